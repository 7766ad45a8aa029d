#include "platform/win32/windows_api.h"

#include <string>

#include "base/file_io.h"
#include "platform/files.h"

namespace quillet {

bool listDirectory(const char* folder, std::vector<DirectoryEntry>& entries) {
  entries.clear();
  const std::string pattern = std::string(folder) + "\\*";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    entries.push_back({found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return true;
}

// GetFileAttributes looks up the exact name; a search would take '*' and '?' as patterns.
bool pathExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool createDirectory(const char* path) { return CreateDirectoryA(path, nullptr) != 0; }

bool copyFileReplacing(const char* from, const char* to) { return CopyFileA(from, to, FALSE) != 0; }

bool deleteFile(const char* path) { return DeleteFileA(path) != 0; }

bool createNewFile(const char* path) {
  if (injectedFault(FileOp::kCreate)) return false;
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool moveReplacing(const char* from, const char* to) {
  if (injectedFault(FileOp::kRename)) return false;
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace quillet
