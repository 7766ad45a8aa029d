#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "hotsync/palm_user_list.h"

namespace quillet {

// Where a document goes when it is installed for a HotSync user: its name in the user's
// install and backup folders, made from the database name inside the file.

// Room for a target path with its NUL: targets of 256 characters or more are not formed.
inline constexpr std::size_t kInstallTargetSize = 256;

// A path to install as the install run trims it: first line feeds and carriage returns at
// its end, then blanks and tabs at its end, once each ("a\n " keeps its line feed).
std::string trimmedInstallPath(std::string_view path);

// What the install run learns about one file to install.
struct InstallSource {
  std::string databaseName;  // at most 32 characters when read from the file's header
  bool resource = false;     // installed as ".prc" rather than ".pdb"
};

// The database name and kind of the file at `path` (already trimmed). A file whose first
// 34 bytes can be read gives the name in its header (bytes 0-31, up to the first NUL) and
// ".prc" when its attributes (bytes 32-33, big-endian) have the resource bit, ".pdb"
// otherwise. A file that cannot be opened, or is shorter than a header's first 34 bytes,
// gives the base name and extension of its path instead. It is a resource file when that
// extension is ".prc", in any case.
InstallSource readInstallSource(std::string_view path);

// The same from a header's first 34 bytes already read: the name (bytes 0-31, up to the
// first NUL) and the resource bit of the attributes (bytes 32-33, big-endian).
InstallSource installSourceFromHeader(const unsigned char* header);

// The database name as it appears in target file names: one leading and one trailing
// double quote left out, then every byte 1-31 and every character of
// . , ? * < > + = | \ [ ] / ^ ; : " and the bytes 0xD8 0xA9 0xAE 0x91 0x92 0x93 0x94 made
// an underscore. Blanks are left to installTargetPath.
std::string cleanDatabaseName(std::string_view databaseName);

// The first user of the list whose display name is exactly `userName` (case-sensitive), or
// null.
const PalmUser* userNamed(const PalmUserList& users, std::string_view userName);

// Builds in `result` (of `resultSize` bytes) the path of a document in the install folder
// (backup false) or the backup folder (backup true) of the first user of `users` whose
// display name is exactly `userName`: the folder, a separator, the cleaned database name
// with every blank made an underscore, and ".prc" (resource) or ".pdb". An empty database
// name gives the folder itself. Returns 0, or -1 with an empty result when no user has
// that name or the path does not fit `resultSize` with its NUL; nothing is ever written
// past `resultSize` bytes. REQUIRES: resultSize > 0.
int installTargetPath(char* result, std::size_t resultSize, const PalmUserList& users,
                      std::string_view userName, std::string_view databaseName, bool resource,
                      bool backup);

}  // namespace quillet
