#pragma once

#include <string>
#include <vector>

namespace quillet {

// The folder and file calls the HotSync install makes. Paths are narrow strings passed as
// the bytes they are (on Windows through the ANSI calls, so Windows-1252 names survive).
// Every call reports failure by returning false and never throws.

struct DirectoryEntry {
  std::string name;  // the entry's own name, without its folder
  bool isDirectory;
};

// Lists the entries of `folder` in the order the system returns them, "." and ".." as
// the system returns them too. False when the folder cannot be searched (missing, not a
// folder, no access); `entries` is then empty.
bool listDirectory(const char* folder, std::vector<DirectoryEntry>& entries);

// True when a file or folder exists at exactly this path. Wildcard characters are not
// patterns here: "a*" exists only when an entry of that very name does.
bool pathExists(const char* path);

// Creates one folder; its parent must exist. False when it cannot, also when something of
// that name exists already.
bool createDirectory(const char* path);

// Copies the file `from` to `to`, replacing a file at `to`. A failed copy leaves no
// partial file at `to` on POSIX, where the copy is written beside it and renamed into
// place.
bool copyFileReplacing(const char* from, const char* to);

// Deletes one file (not a folder).
bool deleteFile(const char* path);

// Creates an empty file that must not exist yet (exclusively: no other program gets the
// same file). False when it exists or cannot be made.
bool createNewFile(const char* path);

// Renames from to to, replacing a file at to in one step. False when it cannot.
bool moveReplacing(const char* from, const char* to);

}  // namespace quillet
