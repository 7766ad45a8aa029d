#include "tests/support/palm_desktop_fake.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/paths.h"

namespace quillet {

namespace testing_support {

Bytes usersDatRecord(std::int16_t hotsyncNumber, std::string_view displayName,
                     std::string_view folderName) {
  // Built as text and appended piece by piece: MinGW's GCC 12 warns falsely about
  // inserting ranges into a short byte vector.
  const auto number = static_cast<std::uint16_t>(hotsyncNumber);
  std::string record;
  record += static_cast<char>(number & 0xFF);
  record += static_cast<char>(number >> 8);
  record += '\x5A';  // a byte of any value
  record += '\0';
  record += static_cast<char>(displayName.size());
  record += displayName;
  record += static_cast<char>(folderName.size());
  record += folderName;
  return bytesOf(record);
}

Bytes installableDatabase(std::string_view name, std::uint16_t attributes, std::string_view body) {
  std::string bytes(32, '\0');
  bytes.replace(0, name.size(), name);
  bytes += static_cast<char>(attributes >> 8);
  bytes += static_cast<char>(attributes & 0xFF);
  bytes += std::string(44, '\0');
  bytes += body;
  return bytesOf(bytes);
}

FakePalmFolder::FakePalmFolder(std::string path) : path_(std::move(path)) {
  std::error_code error;
  std::filesystem::create_directory(path_, error);
  EXPECT_FALSE(error) << path_ << ": " << error.message();
}

std::string FakePalmFolder::pathOf(std::string_view name) const {
  return path_ + kPathSeparator + std::string(name);
}

std::string FakePalmFolder::pathOf(std::string_view folder, std::string_view name) const {
  return pathOf(folder) + kPathSeparator + std::string(name);
}

std::string FakePalmFolder::addFolder(std::string_view name,
                                      std::initializer_list<std::string_view> inside) {
  const std::string folder = pathOf(name);
  std::error_code error;
  std::filesystem::create_directory(folder, error);
  EXPECT_FALSE(error) << folder << ": " << error.message();
  for (std::string_view entry : inside) {
    std::filesystem::create_directory(pathOf(name, entry), error);
    EXPECT_FALSE(error) << pathOf(name, entry) << ": " << error.message();
  }
  return folder;
}

void FakePalmFolder::writeUsersDat(const Bytes& bytes) const {
  writeFile(pathOf("users.dat"), bytes);
}

}  // namespace testing_support

}  // namespace quillet
