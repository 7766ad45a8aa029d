#include "hotsync/install_target.h"

#include <cstdio>
#include <cstring>

#include "format/file_paths.h"
#include "format/pdb_writer.h"

namespace {

#ifdef _WIN32
constexpr bool kDriveLetters = true;
#else
constexpr bool kDriveLetters = false;
#endif

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

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

int clearedResult(char* result) {
  result[0] = '\0';
  return -1;
}

}  // namespace

SplitPath splitPath(std::string_view path) {
  SplitPath parts;
  if (kDriveLetters && path.size() >= 2 && path[1] == ':') {
    parts.drive = path.substr(0, 2);
    path.remove_prefix(2);
  }
  std::size_t nameStart = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (isPathSeparator(path[i])) nameStart = i + 1;
  }
  parts.folder = path.substr(0, nameStart);
  const std::string_view name = path.substr(nameStart);
  const std::size_t dot = name.rfind('.');
  parts.baseName = name.substr(0, dot);
  if (dot != std::string_view::npos) parts.extension = name.substr(dot);
  return parts;
}

void trimInstallPath(char* path, std::size_t size) {
  std::size_t length = strnlen(path, size);
  if (length == 0) return;
  while (length > 0 && (path[length - 1] == '\n' || path[length - 1] == '\r')) --length;
  while (length > 0 && (path[length - 1] == ' ' || path[length - 1] == '\t')) --length;
  if (length < size) path[length] = '\0';
}

InstallSource readInstallSource(std::string_view path) {
  InstallSource source;
  unsigned char header[kNameAndAttributesSize];
  std::size_t got = 0;
  if (std::FILE* file = std::fopen(std::string(path).c_str(), "rb")) {
    got = std::fread(header, 1, sizeof header, file);
    std::fclose(file);
  }
  // A file too short for these fields is no database, and its first bytes are no name:
  // it is named after its path, as a file that cannot be opened is.
  if (got == sizeof header) {
    source.databaseName = fieldText(reinterpret_cast<const char*>(header), kPdbNameSize);
    const unsigned attributes = (unsigned{header[32]} << 8) | header[33];
    source.resource = (attributes & kPdbResourceAttribute) != 0;
    return source;
  }
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
