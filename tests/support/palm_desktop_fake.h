#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "tests/support/test_support.h"

namespace quillet {

namespace testing_support {

// One user's record in Palm Desktop's users.dat, laid out the way the program reads it:
// the HotSync number (2 bytes, little-endian), one byte, a zero byte, the display name's
// length and the display name, the folder name's length and the folder name.
Bytes usersDatRecord(std::int16_t hotsyncNumber, std::string_view displayName,
                     std::string_view folderName);

// A small Palm database as the install run reads it: the 32-byte name field, the
// attributes (big-endian), the rest of a 78-byte header zero, then `body`.
Bytes installableDatabase(std::string_view name, std::uint16_t attributes,
                          std::string_view body = "records");

// Palm Desktop's data folder, made in a test's own place: user folders with their
// install and backup folders, and users.dat.
class FakePalmFolder {
 public:
  // Makes the folder (its parent must exist).
  explicit FakePalmFolder(std::string path);

  const std::string& path() const { return path_; }
  // A path below the Palm folder, joined with the platform's separator.
  std::string pathOf(std::string_view name) const;
  std::string pathOf(std::string_view folder, std::string_view name) const;

  // Makes the folder `name` with the given folders inside (for example "Install",
  // "backup"); returns its path.
  std::string addFolder(std::string_view name, std::initializer_list<std::string_view> inside);
  void writeUsersDat(const Bytes& bytes) const;

 private:
  std::string path_;
};

}  // namespace testing_support

}  // namespace quillet
