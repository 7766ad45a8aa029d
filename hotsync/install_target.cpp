#include "hotsync/install_target.h"

#include <cstdio>
#include <cstring>

#include "base/ascii.h"
#include "base/file_handle.h"
#include "base/paths.h"
#include "format/pdb_writer.h"

namespace quillet {

namespace {

// The database name and attributes are the first fields of a Palm database's header.
constexpr std::size_t kNameAndAttributesSize = kPdbNameSize + 2;  // 34

// ".,?*<>+=|\[]/^;:" and the double quote, the slashed O, the copyright and registered
// signs and the four curly quotes of Windows-1252: characters a file name cannot hold, or
// that the handheld's side of HotSync does not take in one.
constexpr std::string_view kReplacedCharacters =
    ".,?*<>+=|\\[]/^;:\xD8\x22\xA9\xAE\x91\x92\x93\x94";

bool isReplaced(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 1 && byte <= 31) || kReplacedCharacters.find(c) != std::string_view::npos;
}

int clearedResult(char* result) {
  result[0] = '\0';
  return -1;
}

}  // namespace

std::string trimmedInstallPath(std::string_view path) {
  if (path.empty()) return {};
  while (!path.empty() && (path.back() == '\n' || path.back() == '\r')) path.remove_suffix(1);
  while (!path.empty() && (path.back() == ' ' || path.back() == '\t')) path.remove_suffix(1);
  return std::string(path);
}

InstallSource installSourceFromHeader(const unsigned char* header) {
  InstallSource source;
  source.databaseName = fieldText(reinterpret_cast<const char*>(header), kPdbNameSize);
  const unsigned attributes = (unsigned{header[32]} << 8) | header[33];
  source.resource = (attributes & kPdbResourceAttribute) != 0;
  return source;
}

InstallSource readInstallSource(std::string_view path) {
  InstallSource source;
  unsigned char header[kNameAndAttributesSize];
  std::size_t got = 0;
  if (FileHandle file = openFile(std::string(path).c_str(), "rb")) {
    got = std::fread(header, 1, sizeof header, file.get());
  }
  // A file too short for these fields is no database, and its first bytes are no name:
  // it is named after its path, as a file that cannot be opened is.
  if (got == sizeof header) return installSourceFromHeader(header);
  const SplitPath parts = splitPath(path);
  source.databaseName = parts.baseName;
  source.resource = equalsIgnoringAsciiCase(parts.extension, ".prc");
  return source;
}

std::string cleanDatabaseName(std::string_view databaseName) {
  std::string_view name = databaseName;
  if (!name.empty() && name.front() == '"') name.remove_prefix(1);
  if (!name.empty() && name.back() == '"') name.remove_suffix(1);
  std::string cleaned(name);
  for (char& c : cleaned) {
    if (isReplaced(c)) c = '_';
  }
  return cleaned;
}

const PalmUser* userNamed(const PalmUserList& users, std::string_view userName) {
  const int count = users.userCount < kPalmUsersMax ? users.userCount : kPalmUsersMax;
  for (int i = 0; i < count; ++i) {
    if (fieldText(users.entries[i].userName) == userName) return &users.entries[i];
  }
  return nullptr;
}

int installTargetPath(char* result, std::size_t resultSize, const PalmUserList& users,
                      std::string_view userName, std::string_view databaseName, bool resource,
                      bool backup) {
  const PalmUser* user = userNamed(users, userName);
  if (user == nullptr) return clearedResult(result);
  std::string target(fieldText(backup ? user->backupPath : user->installPath));
  if (!databaseName.empty()) {
    // Blanks become underscores in the file name only. Counting the name's length before
    // its quotes were left out would reach back past the separator into the folder.
    std::string fileName = cleanDatabaseName(databaseName);
    for (char& c : fileName) {
      if (c == ' ') c = '_';
    }
    target += kPathSeparator;
    target += fileName;
    target += resource ? ".prc" : ".pdb";
  }
  if (target.size() >= resultSize) return clearedResult(result);
  std::memcpy(result, target.data(), target.size());
  result[target.size()] = '\0';
  return 0;
}

}  // namespace quillet
