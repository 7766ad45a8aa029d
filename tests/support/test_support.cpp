#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace quillet {

namespace testing_support {

namespace fs = std::filesystem;

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  TestRandom random(
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  for (;;) {
    path_ =
        fs::temp_directory_path() / ("quillet-test-" + std::to_string(random.next() % 1000000000) +
                                     "-" + std::to_string(counter++));
    std::error_code error;
    if (fs::create_directory(path_, error)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string TempDir::file(std::string_view name) const { return (path_ / name).string(); }

ScopedCurrentDir::ScopedCurrentDir(const fs::path& dir) : previous_(fs::current_path()) {
  fs::current_path(dir);
}

ScopedCurrentDir::~ScopedCurrentDir() {
  std::error_code ignored;
  fs::current_path(previous_, ignored);
}

namespace {

const char* const kTemporaryFolderVariables[] = {"TMPDIR", "TMP", "TEMP"};

void setVariable(const std::string& name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name.c_str(), value.c_str());  // an empty value removes it
#else
  if (value.empty()) {
    unsetenv(name.c_str());
  } else {
    setenv(name.c_str(), value.c_str(), 1);
  }
#endif
}

}  // namespace

ScopedTemporaryFolder::ScopedTemporaryFolder(const std::string& folder) {
  for (const char* name : kTemporaryFolderVariables) {
    const char* value = std::getenv(name);
    saved_.emplace_back(name, value ? value : "");
    setVariable(name, folder);
  }
}

ScopedTemporaryFolder::~ScopedTemporaryFolder() {
  for (const auto& [name, value] : saved_) setVariable(name, value);
}

std::size_t countEntries(const std::string& folder) {
  std::error_code error;
  std::size_t count = 0;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    ++count;
  }
  return count;
}

void writeFile(const std::string& path, const Bytes& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  if (!bytes.empty()) {
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
  }
  ASSERT_EQ(std::fclose(f), 0);
}

void writeFile(const std::string& path, std::string_view text) { writeFile(path, bytesOf(text)); }

Bytes readFile(const std::string& path) {
  Bytes bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    ADD_FAILURE() << "cannot read " << path;
    return bytes;
  }
  unsigned char block[65536];
  std::size_t got;
  while ((got = std::fread(block, 1, sizeof block, f)) > 0)
    bytes.insert(bytes.end(), block, block + got);
  std::fclose(f);
  return bytes;
}

bool fileExists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::path(path), error);
}

Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

bool isSubsequence(const std::vector<std::string>& part, const std::vector<std::string>& whole) {
  auto at = whole.begin();
  for (const std::string& item : part) {
    at = std::find(at, whole.end(), item);
    if (at == whole.end()) return false;
    ++at;
  }
  return true;
}

Bytes hexBytes(std::string_view hex) {
  Bytes bytes;
  int high = -1;
  for (char c : hex) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else
      continue;
    if (high < 0) {
      high = digit;
    } else {
      bytes.push_back(static_cast<unsigned char>(high * 16 + digit));
      high = -1;
    }
  }
  return bytes;
}

std::string hexOf(const Bytes& bytes) {
  std::string text;
  char two[4];
  for (unsigned char b : bytes) {
    std::snprintf(two, sizeof two, "%02X ", b);
    text += two;
  }
  if (!text.empty()) text.pop_back();
  return text;
}

}  // namespace testing_support

}  // namespace quillet
