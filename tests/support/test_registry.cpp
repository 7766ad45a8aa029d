#include "tests/support/test_registry.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "tests/support/generated_text.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace testing_support {

namespace {

std::string uniqueSuffix() {
  static std::atomic<unsigned> counter{0};
  TestRandom random(
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  return std::to_string(random.next() % 1000000000) + "-" + std::to_string(counter++);
}

}  // namespace

ScopedTestRegistry::ScopedTestRegistry() : key_("Software\\QuilletTest-" + uniqueSuffix()) {
#ifndef _WIN32
  namespace fs = std::filesystem;
  folder_ = (fs::temp_directory_path() / ("quillet-registry-" + uniqueSuffix())).string();
  fs::create_directories(folder_);
  file_ = folder_ + "/registry.reg";
  if (const char* saved = std::getenv("QUILLET_REGISTRY")) {
    hadVariable_ = true;
    savedVariable_ = saved;
  }
  setenv("QUILLET_REGISTRY", file_.c_str(), 1);
#endif
}

ScopedTestRegistry::~ScopedTestRegistry() {
#ifdef _WIN32
  RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
  if (!rootValue_.empty()) RegDeleteValueA(HKEY_CURRENT_USER, rootValue_.c_str());
#else
  if (hadVariable_) {
    setenv("QUILLET_REGISTRY", savedVariable_.c_str(), 1);
  } else {
    unsetenv("QUILLET_REGISTRY");
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
#endif
}

std::string ScopedTestRegistry::path(std::string_view below) const {
  return key_ + "\\" + std::string(below);
}

std::string ScopedTestRegistry::rootValueName() {
  if (rootValue_.empty()) rootValue_ = "QuilletTestValue-" + uniqueSuffix();
  return rootValue_;
}

}  // namespace testing_support
