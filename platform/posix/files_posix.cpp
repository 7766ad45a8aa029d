#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "base/file_io.h"
#include "platform/files.h"
#include "platform/posix/replace_file_posix.h"

namespace quillet {

namespace {

// Follows links, as a Windows search reports a link to a folder as a folder.
bool isDirectoryAt(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool copyContents(int from, int to) {
  char block[65536];
  for (;;) {
    const ssize_t got = ::read(from, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!writeAll(to, block, static_cast<std::size_t>(got))) return false;
  }
}

}  // namespace

bool listDirectory(const char* folder, std::vector<DirectoryEntry>& entries) {
  entries.clear();
  DIR* directory = ::opendir(folder);
  if (directory == nullptr) return false;
  const std::string prefix = std::string(folder) + "/";
  while (const dirent* entry = ::readdir(directory)) {
    bool isDirectory = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
      isDirectory = isDirectoryAt(prefix + entry->d_name);
    }
    entries.push_back({entry->d_name, isDirectory});
  }
  ::closedir(directory);
  return true;
}

// lstat: a link counts as the entry it is, even when what it points to is gone.
bool pathExists(const char* path) {
  struct stat info {};
  return ::lstat(path, &info) == 0;
}

bool createDirectory(const char* path) { return ::mkdir(path, 0777) == 0; }

bool copyFileReplacing(const char* from, const char* to) {
  const int source = ::open(from, O_RDONLY);
  if (source < 0) return false;
  struct stat info {};
  if (::fstat(source, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(source);
    return false;
  }
  const bool ok = replaceFileWith(to, ".copy-", info.st_mode & 0777, false,
                                  [source](int target) { return copyContents(source, target); });
  ::close(source);
  return ok;
}

bool createNewFile(const char* path) {
  if (injectedFault(FileOp::kCreate)) return false;
  const int descriptor = ::open(path, O_WRONLY | O_CREAT | O_EXCL, 0666);
  if (descriptor < 0) return false;
  ::close(descriptor);
  return true;
}

bool moveReplacing(const char* from, const char* to) {
  if (injectedFault(FileOp::kRename)) return false;
  return std::rename(from, to) == 0;
}

bool deleteFile(const char* path) {
  struct stat info {};
  if (::lstat(path, &info) != 0 || S_ISDIR(info.st_mode)) return false;
  return ::unlink(path) == 0;
}

}  // namespace quillet
