#pragma once

// The program's own options key (HKEY_CURRENT_USER\Software\Corvane Software\Quillet\v1.0)
// for scenarios under Wine: quillet-maker.exe loads and stores its options there, and
// there is no other. A scenario starts from a removed key and presets what it needs;
// what the key held before is put back afterwards. Scenarios that use this must not run
// beside each other (CTest: RESOURCE_LOCK quillet_options).

#include "platform/win32/windows_api.h"

#include <string>
#include <vector>

#include "settings/app_options.h"

namespace quillet {

namespace scripted_user {

class ScopedProgramOptions {
 public:
  // Saves the key's values and removes the key.
  ScopedProgramOptions();
  // Removes the key and the vendor keys the scenario made, and puts the saved values back.
  ~ScopedProgramOptions();
  ScopedProgramOptions(const ScopedProgramOptions&) = delete;
  ScopedProgramOptions& operator=(const ScopedProgramOptions&) = delete;

  // Stores every option as the program does, hotsyncName included. False when a value
  // could not be written.
  bool preset(const AppOptions& options) const;
  // The options as the key holds them now; a value the key lacks keeps its field's
  // starting value.
  AppOptions stored() const;

 private:
  struct SavedValue {
    std::string name;
    DWORD type = 0;
    std::vector<unsigned char> data;
  };

  // The outermost key of the options' path that did not exist before: removed afterwards
  // with everything in it. Empty when the options key itself existed.
  std::string madeKey_;
  std::vector<SavedValue> saved_;
};

}  // namespace scripted_user

}  // namespace quillet
