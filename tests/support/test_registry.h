#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tests/support/test_support.h"

namespace quillet {

namespace testing_support {

// A registry of the test's own, so that the same tests run on both backends. POSIX:
// $QUILLET_REGISTRY names a file in a fresh folder, and is put back afterwards. Windows
// (Wine): the real registry; the test works below "Software\QuilletTest-N", which is
// deleted afterwards with the root value named by rootValueName().
class ScopedTestRegistry {
 public:
  ScopedTestRegistry();
  ~ScopedTestRegistry();
  ScopedTestRegistry(const ScopedTestRegistry&) = delete;
  ScopedTestRegistry& operator=(const ScopedTestRegistry&) = delete;

  const std::string& key() const { return key_; }  // "Software\QuilletTest-N"
  std::string path(std::string_view below) const { return key_ + "\\" + std::string(below); }
  const std::string& rootValueName() const { return rootValue_; }
  const std::string& file() const { return file_; }  // POSIX only

 private:
  std::string key_;
  std::string rootValue_;
  std::string file_;
  std::string folder_;
  const char* savedVariable_ = nullptr;
  std::string saved_;
};

// The type and bytes of the value a setting path names ("Software\K\value"; without a
// backslash, a value of the root), read through the registry seam. False when missing.
bool queryValueAt(const std::string& settingPath, std::uint32_t& type, Bytes& data);

}  // namespace testing_support

}  // namespace quillet
