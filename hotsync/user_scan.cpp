#include "hotsync/user_scan.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "settings/settings_store.h"
#include "base/file_handle.h"
#include "base/paths.h"
#include "platform/files.h"

namespace quillet {

namespace {

// Reads a text value into a fixed-width field. The value must fit the field with a NUL
// and must not be empty: a value that fills the whole field names a longer path, cut
// short, and an empty one names no folder at all (as a Palm folder it would make the
// search look at the root of the current drive).
bool readTextSetting(const std::string& path, char* field, std::size_t width) {
  std::vector<char> value(width, '\0');
  if (readSetting(path.c_str(), value.data(), static_cast<std::uint32_t>(width)) != 0) {
    return false;
  }
  const std::string_view text = fieldText(value.data(), width);
  if (text.empty() || text.size() == width) return false;
  setFieldText(field, width, text);
  return true;
}

bool readPalmFolder(const PalmDesktopKeys& keys, PalmUserList& users) {
  for (const char* key : {keys.pilotDesktop, keys.palmDesktop}) {
    if (readTextSetting(std::string(key) + "\\Core\\Path", users.palmFolder,
                        sizeof users.palmFolder)) {
      return true;
    }
  }
  return false;
}

// HotSync Manager's install conduit names the install folder when its module is the
// install conduit ("inscn...", case-sensitive). The first of two conduits that does so
// wins; without one the folder is "Install".
void readInstallFolderName(const PalmDesktopKeys& keys, PalmUserList& users) {
  for (const char* conduit : {"InstallConduit1", "InstallConduit2"}) {
    const std::string base =
        std::string(keys.pilotDesktop) + "\\HotSync Manager\\" + conduit + "\\";
    char module[40] = {};
    if (readSetting((base + "Module").c_str(), module, sizeof module) != 0) continue;
    if (std::strncmp(module, "inscn", 5) != 0) continue;
    if (readTextSetting(base + "Directory", users.installFolderName,
                        sizeof users.installFolderName)) {
      return;
    }
  }
  setFieldText(users.installFolderName, kDefaultInstallFolderName);
}

void show(const ScanOptions& options, const char* text) {
  if (options.showStatus) options.showStatus(text);
}

void pause(const ScanOptions& options, unsigned milliseconds) {
  if (options.pause) options.pause(milliseconds);
}

// A folder of the Palm folder belongs to a user when it holds an entry named like the
// install folder or "backup"; a plain file of that name counts too.
bool isUserFolder(const std::string& folder, const PalmUserList& users) {
  return pathExists(joinPath(folder, fieldText(users.installFolderName)).c_str()) ||
         pathExists(joinPath(folder, kBackupFolderName).c_str());
}

}  // namespace

PalmScan scanPalmUsers(PalmUserList& users, const ScanOptions& options) {
  users = PalmUserList{};
  if (!readPalmFolder(options.keys, users)) return PalmScan::kNoPalmFolder;
  readInstallFolderName(options.keys, users);

  const std::string_view palmFolder = fieldText(users.palmFolder);
  std::vector<DirectoryEntry> entries;
  if (!listDirectory(users.palmFolder, entries)) return PalmScan::kScanned;
  for (const DirectoryEntry& found : entries) {
    if (users.userCount == kPalmUsersMax) break;
    if (!found.isDirectory || found.name == "." || found.name == "..") continue;
    const std::string folder = joinPath(palmFolder, found.name);
    if (!isUserFolder(folder, users)) continue;

    // A path cut to fit its field would name some other folder, and the install would
    // create folders and copy files there: such a user is left out instead.
    const std::string installPath = joinPath(folder, fieldText(users.installFolderName));
    const std::string backupPath = joinPath(folder, kBackupFolderName);
    if (installPath.size() >= kPalmUserPathSize || backupPath.size() >= kPalmUserPathSize) {
      if (options.userSkipped) options.userSkipped(found.name);
      continue;
    }

    PalmUser& entry = users.entries[users.userCount];
    setFieldText(entry.installPath, installPath);
    setFieldText(entry.backupPath, backupPath);
    lookupUserName(users.palmFolder, entry, found.name);

    const std::string status = "Found user '" + std::string(fieldText(entry.userName)) + "'";
    show(options, status.c_str());
    pause(options, kPausePerUserMilliseconds);
    ++users.userCount;
    // Usually the folder exists already, and the failure says so.
    if (options.createInstallFolders) createDirectory(entry.installPath);
  }
  return PalmScan::kScanned;
}

void lookupUserName(const char* palmFolder, PalmUser& entry, std::string_view folderName) {
  setFieldText(entry.userName, folderName);
  std::string usersFile;
  if (!readUsersFile(palmFolder, usersFile)) return;
  const std::string_view displayName = findDisplayName(usersFile, folderName);
  // An empty display name would leave the user without a name to show or to match: the
  // folder name stays.
  if (!displayName.empty()) setFieldText(entry.userName, displayName);
}

std::string_view findDisplayName(std::string_view usersFile, std::string_view folderName) {
  const std::size_t length = folderName.size();
  // The length byte cannot announce more than 255 characters.
  if (length == 0 || length > 255 || length > usersFile.size()) return {};
  for (std::size_t p = usersFile.size() - length; p > 5; --p) {
    if (static_cast<unsigned char>(usersFile[p - 1]) != length ||
        usersFile.compare(p, length, folderName) != 0) {
      continue;
    }
    const std::size_t last = p - 2;  // the display name's last character
    std::size_t zero = last;
    while (zero > 0 && usersFile[zero] != '\0') --zero;
    const std::size_t first = zero + 2;  // past the zero byte and the name's length byte
    if (first > last) return {};
    return usersFile.substr(first, last - first + 1);
  }
  return {};
}

std::string usersFilePath(std::string_view palmFolder) {
  return joinPath(palmFolder, kUsersFileName);
}

bool readUsersFile(std::string_view palmFolder, std::string& bytes) {
  bytes.clear();
  FileHandle file = openFile(usersFilePath(palmFolder).c_str(), "rb");
  if (!file) return false;
  bool ok = true;
  try {
    char block[65536];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) bytes.append(block, got);
    ok = std::ferror(file.get()) == 0;
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (!ok) bytes.clear();
  return ok;
}

}  // namespace quillet
