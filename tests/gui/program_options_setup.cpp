#include "tests/gui/program_options_setup.h"

#include <array>

namespace quillet {

namespace scripted_user {

namespace {

bool keyExists(const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

}  // namespace

ScopedProgramOptions::ScopedProgramOptions() {
  const std::string options = kSettingsKeyPath;
  const std::array<std::string, 3> levels = {options.substr(0, options.find("\\Quillet")),
                                             options.substr(0, options.rfind('\\')), options};
  for (const std::string& level : levels) {
    if (!keyExists(level.c_str())) {
      madeKey_ = level;
      break;
    }
  }
  HKEY key = nullptr;
  if (madeKey_.empty() &&
      RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    for (DWORD index = 0;; ++index) {
      char name[256];
      DWORD nameSize = sizeof name;
      SavedValue value;
      value.data.resize(4096);
      auto dataSize = static_cast<DWORD>(value.data.size());
      if (RegEnumValueA(key, index, name, &nameSize, nullptr, &value.type, value.data.data(),
                        &dataSize) != ERROR_SUCCESS) {
        break;
      }
      value.name.assign(name, nameSize);
      value.data.resize(dataSize);
      saved_.push_back(std::move(value));
    }
    RegCloseKey(key);
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKeyPath);
}

ScopedProgramOptions::~ScopedProgramOptions() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKeyPath);
  if (!madeKey_.empty()) {
    RegDeleteTreeA(HKEY_CURRENT_USER, madeKey_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, madeKey_.c_str());
    return;
  }
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  for (const SavedValue& value : saved_) {
    RegSetValueExA(key, value.name.c_str(), 0, value.type, value.data.data(),
                   static_cast<DWORD>(value.data.size()));
  }
  RegCloseKey(key);
}

bool ScopedProgramOptions::preset(const AppOptions& options) const {
  return storeAppOptions(options) == static_cast<int>(storedOptions().size()) &&
         storeHotsyncName(options) == 0;
}

AppOptions ScopedProgramOptions::stored() const {
  AppOptions options;
  loadAppOptions(options);
  return options;
}

}  // namespace scripted_user

}  // namespace quillet
