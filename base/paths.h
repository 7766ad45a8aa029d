#pragma once

#include <string>
#include <string_view>

namespace quillet {

// Path helpers that need no operating-system call. On Windows both '\' and '/' separate
// folders (and "C:" ends a drive); elsewhere only '/' does.

// The separator this platform's paths are joined with.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

bool isPathSeparator(char c);

// The folder part of path, with its trailing separator ("dir/" for "dir/file.pdb"), or
// "" when path names a file in the current folder.
std::string folderOf(std::string_view path);

// The file name part of path ("file.pdb" for "dir/file.pdb").
std::string_view fileNameOf(std::string_view path);

// A file name beside path, in the same folder.
std::string siblingPath(std::string_view path, std::string_view name);

// folder, a separator, name.
std::string joinPath(std::string_view folder, std::string_view name);

// A path cut into its parts by the platform's path rules. On Windows "C:" is the drive and
// both '\' and '/' end folders; elsewhere there is no drive and only '/' does. The
// extension is the last '.' of the file name and what follows it; the base name is what
// precedes it ("notes.v2.pdb": "notes.v2" and ".pdb"; ".pdb": "" and ".pdb").
struct SplitPath {
  std::string drive;      // "C:" or ""
  std::string folder;     // with its trailing separator, or ""
  std::string baseName;   // the file name without its extension
  std::string extension;  // with its '.', or ""
};
SplitPath splitPath(std::string_view path);

}  // namespace quillet
