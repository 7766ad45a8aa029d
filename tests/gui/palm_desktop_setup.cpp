#include "tests/gui/palm_desktop_setup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/registry.h"
#include "platform/registry_text.h"
#include "platform/win32/windows_api.h"

namespace quillet {

namespace scripted_user {

namespace {

void removePalmDesktopKeys() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kPilotDesktopKey);
  RegDeleteTreeA(HKEY_CURRENT_USER, kPalmDesktopKey);
  // The vendors' keys go too when nothing else is in them.
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\U.S. Robotics");
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\3Com");
}

}  // namespace

ScopedPalmDesktop::ScopedPalmDesktop() {
  static int counter = 0;
  removePalmDesktopKeys();
  root_ = "C:\\QuilletPalm-";
  root_ += std::to_string(GetCurrentProcessId());
  root_ += '-';
  root_ += std::to_string(counter++);
  std::error_code error;
  std::filesystem::remove_all(root_, error);
  std::filesystem::create_directory(root_, error);
  EXPECT_FALSE(error) << root_ << ": " << error.message();
  palm_ = std::make_unique<testing_support::FakePalmFolder>(root_ + "\\Palm");
}

ScopedPalmDesktop::~ScopedPalmDesktop() {
  palm_.reset();
  removePalmDesktopKeys();
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

bool ScopedPalmDesktop::importValues(const std::vector<PalmDesktopValue>& values) {
  RegistryTree tree;
  for (const PalmDesktopValue& value : values) {
    std::vector<unsigned char> data(value.text.begin(), value.text.end());
    data.push_back(0);
    tree.makeKey(value.key).setValue(value.name, kRegSz, data);
  }
  const std::string file = root_ + "\\import.reg";
  const std::string text = formatRegistryText(tree);
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (out == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  if (std::fclose(out) != 0 || !written) return false;
  const bool imported = std::system(("reg.exe import \"" + file + "\" >NUL 2>&1").c_str()) == 0;
  std::remove(file.c_str());
  return imported;
}

bool ScopedPalmDesktop::importStandardValues(const std::string& installFolder) {
  const std::string conduit = std::string(kPilotDesktopKey) + "\\HotSync Manager\\InstallConduit1";
  return importValues({{std::string(kPilotDesktopKey) + "\\Core", "Path", palm_->path()},
                       {conduit, "Module", "inscn20.dll"},
                       {conduit, "Directory", installFolder}});
}

}  // namespace scripted_user

}  // namespace quillet
