#include "tests/support/test_registry.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "platform/registry.h"
#include "tests/support/generated_text.h"

#ifdef _WIN32
#include "platform/win32/windows_api.h"
#endif

namespace quillet {

namespace testing_support {

namespace {

std::string uniqueSuffix() {
  static unsigned counter = 0;
  TestRandom random(
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  return std::to_string(random.next() % 1000000000) + "-" + std::to_string(counter++);
}

}  // namespace

ScopedTestRegistry::ScopedTestRegistry()
    : key_("Software\\QuilletTest-" + uniqueSuffix()),
      rootValue_("QuilletTestValue-" + uniqueSuffix()) {
#ifndef _WIN32
  folder_ =
      (std::filesystem::temp_directory_path() / ("quillet-registry-" + uniqueSuffix())).string();
  std::filesystem::create_directories(folder_);
  file_ = folder_ + "/registry.reg";
  savedVariable_ = std::getenv("QUILLET_REGISTRY");
  if (savedVariable_ != nullptr) saved_ = savedVariable_;
  setenv("QUILLET_REGISTRY", file_.c_str(), 1);
#endif
}

ScopedTestRegistry::~ScopedTestRegistry() {
#ifdef _WIN32
  RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
  RegDeleteValueA(HKEY_CURRENT_USER, rootValue_.c_str());
#else
  if (savedVariable_ != nullptr) {
    setenv("QUILLET_REGISTRY", saved_.c_str(), 1);
  } else {
    unsetenv("QUILLET_REGISTRY");
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
#endif
}

bool queryValueAt(const std::string& settingPath, std::uint32_t& type, Bytes& data) {
  RegistryKey key = registryRootKey();
  std::size_t start = 0;
  for (std::size_t end; (end = settingPath.find('\\', start)) != std::string::npos;
       start = end + 1) {
    RegistryKey next = nullptr;
    const RegistryStatus status =
        openRegistryKey(key, settingPath.substr(start, end - start).c_str(), &next);
    closeRegistryKey(key);
    if (status != RegistryStatus::kOk) return false;
    key = next;
  }
  data.assign(4096, 0);
  std::uint32_t size = 4096;
  const bool found = queryRegistryValue(key, settingPath.c_str() + start, &type, data.data(),
                                        &size) == RegistryStatus::kOk;
  data.resize(found ? size : 0);
  closeRegistryKey(key);
  return found;
}

}  // namespace testing_support

}  // namespace quillet
