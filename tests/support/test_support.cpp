#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/registry.h"

#ifdef _WIN32
#include "platform/win32/windows_api.h"
#endif

namespace quillet::testing_support {

namespace fs = std::filesystem;

namespace {

std::string uniqueName(const char* prefix) {
  static std::atomic<unsigned> counter{0};
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  TestRandom random(static_cast<std::uint64_t>(now));
  return prefix + std::to_string(random.next() % 1000000000) + "-" + std::to_string(counter++);
}

std::string variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

void setVariable(const std::string& name, const std::string& value) {  // "" removes it
#ifdef _WIN32
  _putenv_s(name.c_str(), value.c_str());
#else
  value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
#endif
}

void makeFolder(const std::string& path) {
  std::error_code error;
  fs::create_directory(path, error);
  EXPECT_FALSE(error) << path << ": " << error.message();
}

}  // namespace

TempDir::TempDir() {
  do path_ = fs::temp_directory_path() / uniqueName("quillet-test-");
  while (!fs::create_directory(path_, ignored_));
}

ScopedTemporaryFolder::ScopedTemporaryFolder(const std::string& folder) {
  for (const char* name : {"TMPDIR", "TMP", "TEMP"}) {
    saved_.emplace_back(name, variable(name));
    setVariable(name, folder);
  }
}

ScopedTemporaryFolder::~ScopedTemporaryFolder() {
  for (const auto& [name, value] : saved_) setVariable(name, value);
}

void writeFile(const std::string& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  ASSERT_FALSE(out.fail()) << "cannot write " << path;
}

void writeFile(const std::string& path, const Bytes& bytes) {
  writeFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) ADD_FAILURE() << "cannot read " << path;
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes hexBytes(std::string_view hex) {
  Bytes bytes;
  std::string pair;
  for (char c : hex) {
    if (std::isxdigit(static_cast<unsigned char>(c)) && (pair += c).size() == 2) {
      bytes.push_back(static_cast<unsigned char>(std::stoi(pair, nullptr, 16)));
      pair.clear();
    }
  }
  return bytes;
}

ScopedTestRegistry::ScopedTestRegistry()
    : key_(uniqueName("Software\\QuilletTest-")), rootValue_(uniqueName("QuilletTestValue-")) {
#ifndef _WIN32
  folder_ = (fs::temp_directory_path() / uniqueName("quillet-registry-")).string();
  makeFolder(folder_);
  file_ = folder_ + "/registry.reg";
  saved_ = variable("QUILLET_REGISTRY");
  setVariable("QUILLET_REGISTRY", file_);
#endif
}

ScopedTestRegistry::~ScopedTestRegistry() {
#ifdef _WIN32
  RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
  RegDeleteValueA(HKEY_CURRENT_USER, rootValue_.c_str());
#else
  setVariable("QUILLET_REGISTRY", saved_);
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
#endif
}

bool queryValueAt(const std::string& settingPath, std::uint32_t& type, Bytes& data) {
  RegistryKey key = registryRootKey();
  std::size_t start = 0;
  for (std::size_t end; key && (end = settingPath.find('\\', start)) != std::string::npos;
       start = end + 1) {
    RegistryKey next = nullptr;
    openRegistryKey(key, settingPath.substr(start, end - start).c_str(), &next);
    closeRegistryKey(key);
    key = next;
  }
  std::uint32_t size = 4096;
  data.assign(size, 0);
  const bool found = key && queryRegistryValue(key, settingPath.c_str() + start, &type, data.data(),
                                               &size) == RegistryStatus::kOk;
  data.resize(found ? size : 0);
  closeRegistryKey(key);
  return found;
}

Bytes usersDatRecord(std::int16_t hotsyncNumber, std::string_view displayName,
                     std::string_view folderName) {
  const auto number = static_cast<std::uint16_t>(hotsyncNumber);
  const std::string record{static_cast<char>(number & 0xFF), static_cast<char>(number >> 8), '\x5A',
                           '\0', static_cast<char>(displayName.size())};
  return bytesOf(record + std::string(displayName) + static_cast<char>(folderName.size()) +
                 std::string(folderName));
}

Bytes installableDatabase(std::string_view name, std::uint16_t attributes, std::string_view body) {
  std::string bytes(78, '\0');
  bytes.replace(0, name.size(), name);
  bytes[32] = static_cast<char>(attributes >> 8);
  bytes[33] = static_cast<char>(attributes & 0xFF);
  return bytesOf(bytes + std::string(body));
}

FakePalmFolder::FakePalmFolder(std::string path) : path_(std::move(path)) { makeFolder(path_); }

std::string FakePalmFolder::addFolder(std::string_view name,
                                      std::initializer_list<std::string_view> inside) {
  makeFolder(pathOf(name));
  for (std::string_view entry : inside) makeFolder(pathOf(name, entry));
  return pathOf(name);
}

}  // namespace quillet::testing_support
