#pragma once

#include <string>
#include <string_view>

namespace testing_support {

// A registry of the test's own, so that the same registry and settings tests run on both
// backends.
// POSIX: $QUILLET_REGISTRY names a file in a fresh folder; the variable is restored after.
// Windows (under Wine): the real registry; the test works below a key of its own,
// "Software\QuilletTest-N", which is deleted with everything below it afterwards, as are
// the values made in HKEY_CURRENT_USER itself under names from rootValueName().
class ScopedTestRegistry {
 public:
  ScopedTestRegistry();
  ~ScopedTestRegistry();
  ScopedTestRegistry(const ScopedTestRegistry&) = delete;
  ScopedTestRegistry& operator=(const ScopedTestRegistry&) = delete;

  // "Software\QuilletTest-N", below HKEY_CURRENT_USER.
  const std::string& key() const { return key_; }
  // key() + "\" + below.
  std::string path(std::string_view below) const;
  // A value name of this test's own for HKEY_CURRENT_USER itself, removed afterwards.
  std::string rootValueName();
  // POSIX: the registry file; Windows: empty.
  const std::string& file() const { return file_; }

 private:
  std::string key_;
  std::string file_;
  std::string folder_;
  std::string savedVariable_;
  bool hadVariable_ = false;
  std::string rootValue_;
};

}  // namespace testing_support
