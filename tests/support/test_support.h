#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/generated_text.h"

namespace quillet {

namespace testing_support {

using Bytes = std::vector<unsigned char>;

// A fresh folder under the system's temporary folder, removed with everything in it when
// the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The path of name inside the folder, as the narrow string the product's calls take.
  std::string file(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

// Makes the current folder another one for the lifetime of the object.
class ScopedCurrentDir {
 public:
  explicit ScopedCurrentDir(const std::filesystem::path& dir);
  ~ScopedCurrentDir();
  ScopedCurrentDir(const ScopedCurrentDir&) = delete;
  ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

 private:
  std::filesystem::path previous_;
};

// Points the system's temporary folder (TMPDIR; TMP and TEMP on Windows) at another folder
// for the lifetime of the object.
class ScopedTemporaryFolder {
 public:
  explicit ScopedTemporaryFolder(const std::string& folder);
  ~ScopedTemporaryFolder();
  ScopedTemporaryFolder(const ScopedTemporaryFolder&) = delete;
  ScopedTemporaryFolder& operator=(const ScopedTemporaryFolder&) = delete;

 private:
  std::vector<std::pair<std::string, std::string>> saved_;  // name, value ("" = unset)
};

// The number of entries in a folder.
std::size_t countEntries(const std::string& folder);

void writeFile(const std::string& path, const Bytes& bytes);
void writeFile(const std::string& path, std::string_view text);
Bytes readFile(const std::string& path);
bool fileExists(const std::string& path);

Bytes bytesOf(std::string_view text);
// The parts one after another.
Bytes concat(std::initializer_list<Bytes> parts);
// Whether `part` occurs in `whole` in its order, with anything in between.
bool isSubsequence(const std::vector<std::string>& part, const std::vector<std::string>& whole);
// "61 62 63" -> {0x61, 0x62, 0x63}; blanks between bytes are optional.
Bytes hexBytes(std::string_view hex);
std::string hexOf(const Bytes& bytes);

}  // namespace testing_support

}  // namespace quillet
