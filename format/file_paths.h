#pragma once

#include <string>
#include <string_view>

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
