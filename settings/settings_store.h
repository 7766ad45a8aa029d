#pragma once

#include <cstddef>
#include <cstdint>

namespace quillet {

// One registry value below HKEY_CURRENT_USER, named by a single backslash-separated path
// such as "Software\Corvane Software\Quillet\v1.0\options_palm_name".
//
// The path splits at backslashes into components; runs of backslashes count as one, and
// a backslash at the start or end makes no component. Every component names a key
// nested in the one before (the first directly below HKEY_CURRENT_USER), except the last
// one when it reaches the very end of the path: that one names the value. A path that
// ends with a backslash therefore names keys only.
//
// Paths longer than kSettingPathMax characters, or with more than kSettingKeysMax key
// components, are refused with -1 before the registry is touched.

inline constexpr std::size_t kSettingPathMax = 299;
inline constexpr int kSettingKeysMax = 10;

// Opens the keys one after the other for reading and reads the value into `buffer`,
// offering `size` bytes; the value's type is not checked. On success the value's bytes
// are at the start of `buffer` and the rest of it is as it was. Returns 0, or -1 when a
// key or the value is missing, the value is larger than `size`, or the store fails; the
// buffer is then untouched. A path naming keys only returns 0 once they open, reading
// nothing.
int readSetting(const char* path, void* buffer, std::uint32_t size);

// Creates each missing key (opening those that exist) and sets the value to exactly
// `size` bytes of `data` with registry type `type` (platform/registry.h: kRegBinary for
// the program's options, kRegDword for HotSync Manager's install flag). Returns 0, or -1
// at the first call that fails. A path naming keys only creates them and sets nothing.
int writeSetting(const char* path, const void* data, std::uint32_t size, std::uint32_t type);

}  // namespace quillet
