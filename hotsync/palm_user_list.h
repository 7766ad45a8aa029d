#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

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

// The text of a fixed-width field: up to its NUL, or the whole field when it has none
// (a field filled from the registry may lack one).
inline std::string_view fieldText(const char* field, std::size_t width) {
  std::size_t length = 0;
  while (length < width && field[length] != '\0') ++length;
  return {field, length};
}

template <std::size_t N>
std::string_view fieldText(const char (&field)[N]) {
  return fieldText(field, N);
}

// Puts text into a fixed-width field with its NUL, cut to the field's width less one.
inline void setFieldText(char* field, std::size_t width, std::string_view text) {
  const std::size_t length = text.size() < width ? text.size() : width - 1;
  for (std::size_t i = 0; i < length; ++i) field[i] = text[i];
  field[length] = '\0';
}

template <std::size_t N>
void setFieldText(char (&field)[N], std::string_view text) {
  setFieldText(field, N, text);
}
