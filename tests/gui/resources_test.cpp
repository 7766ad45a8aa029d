// The program's compiled resources: the install-time dialogs' templates, the icon and
// the splash picture, as the dialogs need them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/resources/resource_ids.h"
#include "tests/gui/dialog_template.h"

namespace {

constexpr DWORD kDialogStyle =
    DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kButtonType = 0x0F;  // BS_TYPEMASK
constexpr DWORD kStaticType = SS_TYPEMASK;

struct ExpectedControl {
  int id;
  const char* className;
  int x, y, cx, cy;
  const char* text;  // null for a picture
  DWORD typeMask;    // the bits that make the control's kind, and their value
  DWORD type;
  DWORD otherStyle;  // bits that must be set as well
};

struct ExpectedDialog {
  int templateId;
  bool extended;
  int cx, cy;
  const char* title;
  std::vector<ExpectedControl> controls;
};

const DWORD kListStyle =
    LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP;

const std::vector<ExpectedDialog> kDialogs = {
    {IDD_SCAN_SPLASH,
     false,
     259,
     151,
     "Quillet Maker",
     {{IDC_NONE, "Static", 13, 7, 233, 54, nullptr, kStaticType, SS_BITMAP, SS_SUNKEN},
      {IDC_NONE, "Static", 57, 72, 146, 39,
       "Quillet Maker\nUniversal text converter for PalmOS\n\nVersion 5.50", kStaticType, SS_CENTER,
       0},
      {IDC_SCAN_STATUS, "Static", 13, 114, 233, 12, "", kStaticType, SS_LEFT,
       WS_BORDER | SS_SUNKEN},
      {IDC_NONE, "Static", 10, 130, 237, 8, "Scanning for users.  Please wait...", kStaticType,
       SS_CENTER, 0}}},
    {IDD_USER_SELECT,
     false,
     259,
     95,
     "Quillet Maker - Install to User...",
     {{IDC_USER_LIST, "ListBox", 7, 7, 119, 80, "", LBS_MULTIPLESEL | LBS_EXTENDEDSEL, 0,
       kListStyle},
      {IDC_CONTINUE, "Button", 202, 74, 50, 14, "C&ontinue", kButtonType, BS_DEFPUSHBUTTON, 0},
      {IDC_SECOND_BUTTON, "Button", 149, 74, 50, 14, "&Cancel", kButtonType, BS_PUSHBUTTON, 0},
      {IDC_NONE, "Static", 133, 12, 107, 34, "Select a handheld to receive the selected document",
       0, 0, 0}}},
    {IDD_INSTALL_PROGRESS,
     true,
     259,
     77,
     "Quillet Maker - Installing Files...",
     {{IDC_INSTALL_STATUS, "Static", 7, 15, 245, 11, "Installing...", kStaticType, SS_CENTER, 0},
      {IDC_PROGRESS_BAR, "msctls_progress32", 11, 36, 238, 14, "", 0, 0, WS_BORDER}}},
    {IDD_COMPLETE_INSTALLED,
     false,
     259,
     76,
     "Quillet Maker - Conversion Complete",
     {{IDC_CONTINUE, "Button", 202, 55, 50, 14, "E&xit", kButtonType, BS_DEFPUSHBUTTON, 0},
      {IDC_SECOND_BUTTON, "Button", 130, 55, 67, 14, "Convert &Another", kButtonType, BS_PUSHBUTTON,
       0},
      {IDC_NONE, "Static", 16, 8, 210, 41,
       "Conversion Complete\n\nPlease HotSync when done to transfer all installed document files "
       "to the handheld.",
       0, 0, 0}}},
    {IDD_COMPLETE_SAVED,
     false,
     259,
     76,
     "Quillet Maker - Conversion Complete",
     {{IDC_CONTINUE, "Button", 202, 55, 50, 14, "E&xit", kButtonType, BS_DEFPUSHBUTTON, 0},
      {IDC_SECOND_BUTTON, "Button", 130, 55, 67, 14, "Convert &Another", kButtonType, BS_PUSHBUTTON,
       0},
      {IDC_NONE, "Static", 8, 8, 243, 41,
       "Conversion Complete\n\nThe converted document has been written to the specified file.", 0,
       0, 0}}},
};

TEST(ResourcesTest, InstallTimeDialogTemplatesHaveTheirLayout) {
  const HMODULE module = GetModuleHandleA(nullptr);
  for (const ExpectedDialog& expected : kDialogs) {
    SCOPED_TRACE(expected.title);
    DialogTemplate read;
    ASSERT_TRUE(readDialogTemplate(module, expected.templateId, read)) << expected.templateId;
    EXPECT_EQ(read.extended, expected.extended);
    EXPECT_EQ(read.style & kDialogStyle, kDialogStyle);
    EXPECT_EQ(read.style & WS_VISIBLE, 0u) << "shown with the program's show command";
    EXPECT_EQ(read.cx, expected.cx);
    EXPECT_EQ(read.cy, expected.cy);
    EXPECT_EQ(read.title, expected.title);
    EXPECT_EQ(read.font, "MS Sans Serif");
    EXPECT_EQ(read.pointSize, 8);
    ASSERT_EQ(read.controls.size(), expected.controls.size());
    for (std::size_t i = 0; i < read.controls.size(); ++i) {
      const TemplateControl& control = read.controls[i];
      const ExpectedControl& want = expected.controls[i];
      SCOPED_TRACE(i);
      EXPECT_EQ(control.id, want.id);
      EXPECT_EQ(lstrcmpiA(control.className.c_str(), want.className), 0)  // as Windows compares
          << control.className;
      EXPECT_EQ((std::vector<int>{control.x, control.y, control.cx, control.cy}),
                (std::vector<int>{want.x, want.y, want.cx, want.cy}));
      if (want.text != nullptr) {
        EXPECT_EQ(control.text, want.text);
      } else {
        EXPECT_EQ(control.textOrdinal, IDB_SPLASH);
      }
      EXPECT_EQ(control.style & want.typeMask, want.type);
      EXPECT_EQ(control.style & (want.otherStyle | WS_CHILD | WS_VISIBLE),
                want.otherStyle | WS_CHILD | WS_VISIBLE);
    }
  }
}

// The header of a bitmap or icon image resource.
BITMAPINFOHEADER imageHeader(HMODULE module, int id, LPCSTR type) {
  BITMAPINFOHEADER header{};
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (found == nullptr || SizeofResource(module, found) < sizeof header) return header;
  std::memcpy(&header, LockResource(LoadResource(module, found)), sizeof header);
  return header;
}

TEST(ResourcesTest, IconAndSplashPictureHaveTheirSizesAndColours) {
  const HMODULE module = GetModuleHandleA(nullptr);
  const BITMAPINFOHEADER splash = imageHeader(module, IDB_SPLASH, MAKEINTRESOURCEA(2));
  EXPECT_EQ(splash.biWidth, 348);
  EXPECT_EQ(splash.biHeight, 85);
  EXPECT_EQ(splash.biBitCount, 4);

  // The icon group lists its images; each image is a bitmap of twice the icon's height
  // (colours above, mask below).
  HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(IDI_PROGRAM), MAKEINTRESOURCEA(14));
  ASSERT_NE(group, nullptr);
  const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
  const WORD count = *reinterpret_cast<const WORD*>(directory + 4);
  std::vector<std::string> images;
  for (WORD i = 0; i < count; ++i) {
    const BYTE* entry = directory + 6 + i * 14;  // GRPICONDIRENTRY
    const WORD imageId = *reinterpret_cast<const WORD*>(entry + 12);
    const BITMAPINFOHEADER image = imageHeader(module, imageId, MAKEINTRESOURCEA(3));
    images.push_back(std::to_string(image.biWidth) + "x" + std::to_string(image.biHeight / 2) +
                     " " + std::to_string(image.biBitCount) + "-bit");
  }
  std::sort(images.begin(), images.end());
  EXPECT_EQ(images, (std::vector<std::string>{"16x16 4-bit", "32x32 4-bit", "32x32 8-bit"}));
}

}  // namespace
