#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/fixed_field.h"

namespace quillet {

// The HotSync users of the Palm Desktop installation on this PC, found once at start-up
// by the user scan (hotsync/user_scan.h), shown by the user selection dialog and used by
// the install run. Every text field keeps a fixed width and always holds its NUL.

inline constexpr std::size_t kPalmFolderSize = 512;        // at most 511 characters
inline constexpr std::size_t kInstallFolderNameSize = 40;  // at most 39 characters
inline constexpr int kPalmUsersMax = 25;
inline constexpr std::size_t kPalmUserNameSize = 50;   // at most 49 characters
inline constexpr std::size_t kPalmUserPathSize = 100;  // at most 99 characters

struct PalmUser {
  char userName[kPalmUserNameSize] = {};     // from users.dat, or the user's folder name
  char installPath[kPalmUserPathSize] = {};  // palmFolder/folder/installFolderName
  char backupPath[kPalmUserPathSize] = {};   // palmFolder/folder/backup
};

struct PalmUserList {
  char palmFolder[kPalmFolderSize] = {};  // Palm Desktop's data folder, from the registry
  char installFolderName[kInstallFolderNameSize] = {};  // "Install" unless a conduit says
  std::int32_t userCount = 0;                           // 0 to kPalmUsersMax
  PalmUser entries[kPalmUsersMax];  // in the order the folder search returned them
};

}  // namespace quillet
