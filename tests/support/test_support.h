#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/paths.h"
#include "tests/support/generated_text.h"

// Shared helpers of every suite: folders and files, bytes, and a registry and a Palm
// Desktop folder of the test's own.
namespace quillet::testing_support {

using Bytes = std::vector<unsigned char>;

struct NotCopied {
  NotCopied() = default;
  NotCopied(const NotCopied&) = delete;
  NotCopied& operator=(const NotCopied&) = delete;
};

// A fresh folder under the system's temporary folder, removed with all it holds.
class TempDir : NotCopied {
 public:
  TempDir();
  ~TempDir() { std::filesystem::remove_all(path_, ignored_); }
  const std::filesystem::path& path() const { return path_; }
  // The path of name inside the folder, as the narrow string the product's calls take.
  std::string file(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
  std::error_code ignored_;
};

// Makes the current folder another one for the lifetime of the object.
class ScopedCurrentDir : NotCopied {
 public:
  explicit ScopedCurrentDir(const std::filesystem::path& dir) {
    std::filesystem::current_path(dir);
  }
  ~ScopedCurrentDir() { std::filesystem::current_path(previous_, ignored_); }

 private:
  std::filesystem::path previous_ = std::filesystem::current_path();
  std::error_code ignored_;
};

// Points the system's temporary folder (TMPDIR; TMP and TEMP on Windows) elsewhere.
class ScopedTemporaryFolder : NotCopied {
 public:
  explicit ScopedTemporaryFolder(const std::string& folder);
  ~ScopedTemporaryFolder();

 private:
  std::vector<std::pair<std::string, std::string>> saved_;  // name, value ("" = unset)
};

inline std::size_t countEntries(const std::string& folder) {
  std::error_code error;
  std::size_t count = 0;
  for (std::filesystem::directory_iterator it(folder, error);
       !error && it != std::filesystem::directory_iterator(); it.increment(error))
    ++count;
  return count;
}
inline bool fileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::path(path), error);
}
void writeFile(const std::string& path, const Bytes& bytes);
void writeFile(const std::string& path, std::string_view text);
Bytes readFile(const std::string& path);

inline Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }
inline Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}
// Whether `part` occurs in `whole` in its order, with anything in between.
inline bool isSubsequence(const std::vector<std::string>& part,
                          const std::vector<std::string>& whole) {
  auto at = whole.begin();
  for (const std::string& item : part) {
    if ((at = std::find(at, whole.end(), item)) == whole.end()) return false;
    ++at;
  }
  return true;
}
// "61 62 63" -> {0x61, 0x62, 0x63}; blanks between bytes are optional.
Bytes hexBytes(std::string_view hex);
inline std::string hexOf(const Bytes& bytes) {
  std::string text;
  char hex[4];
  for (unsigned char b : bytes) text += (std::snprintf(hex, sizeof hex, " %02X", b), hex);
  return text.empty() ? text : text.substr(1);
}

// A registry of the test's own, so that the same tests run on both backends. POSIX:
// $QUILLET_REGISTRY names a file in a fresh folder until the object goes. Windows: the
// real registry below key(), deleted afterwards with the root value rootValueName().
class ScopedTestRegistry : NotCopied {
 public:
  ScopedTestRegistry();
  ~ScopedTestRegistry();
  const std::string& key() const { return key_; }  // "Software\QuilletTest-N"
  std::string path(std::string_view below) const { return key_ + "\\" + std::string(below); }
  const std::string& rootValueName() const { return rootValue_; }
  const std::string& file() const { return file_; }  // POSIX only

 private:
  std::string key_, rootValue_, file_, folder_, saved_;
};

// The type and bytes of the value a setting path names ("Software\K\value"; without a
// backslash, a value of the root), read through the registry seam. False when missing.
bool queryValueAt(const std::string& settingPath, std::uint32_t& type, Bytes& data);

// One user's record in users.dat: the HotSync number (2 bytes, little-endian), one byte,
// a zero byte, the display name and the folder name, each after its length byte.
Bytes usersDatRecord(std::int16_t hotsyncNumber, std::string_view displayName,
                     std::string_view folderName);
// A small Palm database: the 32-byte name field, the attributes (big-endian), the rest of
// a 78-byte header zero, then `body`.
Bytes installableDatabase(std::string_view name, std::uint16_t attributes,
                          std::string_view body = "records");

// Palm Desktop's data folder (made; its parent must exist): user folders, users.dat.
class FakePalmFolder {
 public:
  explicit FakePalmFolder(std::string path);
  const std::string& path() const { return path_; }
  // A path below the Palm folder, joined with the platform's separator.
  std::string pathOf(std::string_view name) const { return path_ + kPathSeparator += name; }
  std::string pathOf(std::string_view folder, std::string_view name) const {
    return pathOf(folder) + kPathSeparator += name;
  }
  // Makes the folder `name` with the given folders inside; returns its path.
  std::string addFolder(std::string_view name, std::initializer_list<std::string_view> inside);
  void writeUsersDat(const Bytes& bytes) const { writeFile(pathOf("users.dat"), bytes); }

 private:
  std::string path_;
};

}  // namespace quillet::testing_support
