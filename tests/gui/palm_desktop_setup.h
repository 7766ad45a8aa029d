#pragma once

// Palm Desktop faked for scenarios under Wine: a Palm folder on drive C: and the
// registry values that name it, imported with reg.exe as "wine reg import" does. Palm
// Desktop's keys are the real ones, so scenarios that use this must not run beside each
// other (CTest: RESOURCE_LOCK palm_desktop).

#include <memory>
#include <string>
#include <vector>

#include "tests/support/palm_desktop_fake.h"

namespace quillet {

namespace scripted_user {

inline constexpr char kPilotDesktopKey[] = "Software\\U.S. Robotics\\Pilot Desktop";
inline constexpr char kPalmDesktopKey[] = "Software\\3Com\\Palm Desktop";

// One text value (REG_SZ) for the import.
struct PalmDesktopValue {
  std::string key;  // below HKEY_CURRENT_USER
  std::string name;
  std::string text;
};

// A fresh Palm folder, C:\QuilletPalm-N\Palm, and no Palm Desktop values: both are
// removed when the object goes, and values left behind by an earlier run are removed
// when it comes.
class ScopedPalmDesktop {
 public:
  ScopedPalmDesktop();
  ~ScopedPalmDesktop();
  ScopedPalmDesktop(const ScopedPalmDesktop&) = delete;
  ScopedPalmDesktop& operator=(const ScopedPalmDesktop&) = delete;

  testing_support::FakePalmFolder& palm() { return *palm_; }

  // Imports the values with reg.exe from a REGEDIT4 file. False when the import failed.
  bool importValues(const std::vector<PalmDesktopValue>& values);
  // The usual set: the Palm folder under Pilot Desktop's Core\Path, and install conduit 1
  // ("inscn20.dll") naming `installFolder`.
  bool importStandardValues(const std::string& installFolder = "Install");

 private:
  std::string root_;
  std::unique_ptr<testing_support::FakePalmFolder> palm_;
};

}  // namespace scripted_user

}  // namespace quillet
