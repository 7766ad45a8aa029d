// Any database header: the file an install makes for it lies in the user's install (or
// backup) folder itself, its name holds no path separator, ends in .pdb or .prc, and the
// whole path fits its 256-byte field.
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/paths.h"
#include "hotsync/install_target.h"

using namespace quillet;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  unsigned char header[34] = {};
  std::memcpy(header, data, size < sizeof header ? size : sizeof header);
  const InstallSource source = installSourceFromHeader(header);

  // A user whose folders are as long as the scan allows, or short.
  PalmUserList users;
  users.userCount = 1;
  const std::size_t folderLength = size > 34 ? 1 + data[34] % 98 : 20;
  const std::string folder(folderLength, 'f');
  setFieldText(users.entries[0].userName, "Ann");
  setFieldText(users.entries[0].installPath, folder);
  setFieldText(users.entries[0].backupPath, folder);

  char target[kInstallTargetSize];
  std::memset(target, 0x5A, sizeof target);
  if (installTargetPath(target, sizeof target, users, "Ann", source.databaseName, source.resource,
                        false) != 0) {
    if (target[0] != '\0') std::abort();  // refused: nothing formed
    return 0;
  }
  const std::string path(target, strnlen(target, sizeof target));
  if (path.size() >= sizeof target) std::abort();
  if (source.databaseName.empty()) {
    if (path != folder) std::abort();  // the folder itself, which the run does not copy to
    return 0;
  }
  if (path.compare(0, folder.size(), folder) != 0 || !isPathSeparator(path[folder.size()])) {
    std::abort();
  }
  const std::string name = path.substr(folder.size() + 1);
  for (const char c : name) {
    if (c == '/' || c == '\\' || c == '\0') std::abort();
  }
  const std::string ending = name.size() >= 4 ? name.substr(name.size() - 4) : "";
  if (ending != (source.resource ? ".prc" : ".pdb")) std::abort();
  return 0;
}
