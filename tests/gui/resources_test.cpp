// The program's compiled resources: the install-time dialogs' templates, the icon and
// the splash picture, as the dialogs need them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/resources/resource_ids.h"
#include "tests/gui/dialog_template.h"

namespace quillet {

namespace {

constexpr DWORD kDialogStyle =
    DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;

const TemplateControl* controlWithId(const DialogTemplate& dialog, int id) {
  for (const TemplateControl& control : dialog.controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

// What the dialog code relies on and the resource compiler could get wrong: the frame
// and font of every dialog, only 116 an extended template, the default button, the
// list's styles, the splash's picture and the progress bar's class.
TEST(ResourcesTest, InstallTimeDialogTemplatesHaveTheirFrameAndKeyControls) {
  const HMODULE module = GetModuleHandleA(nullptr);
  struct Expected {
    int templateId;
    int cx, cy;
    const char* title;
  };
  for (const Expected& expected :
       {Expected{IDD_SCAN_SPLASH, 259, 151, "Quillet Maker"},
        Expected{IDD_USER_SELECT, 259, 95, "Quillet Maker - Install to User..."},
        Expected{IDD_INSTALL_PROGRESS, 259, 77, "Quillet Maker - Installing Files..."},
        Expected{IDD_COMPLETE_INSTALLED, 259, 76, "Quillet Maker - Conversion Complete"},
        Expected{IDD_COMPLETE_SAVED, 259, 76, "Quillet Maker - Conversion Complete"}}) {
    SCOPED_TRACE(expected.templateId);
    DialogTemplate read;
    ASSERT_TRUE(readDialogTemplate(module, expected.templateId, read));
    EXPECT_EQ(read.extended, expected.templateId == IDD_INSTALL_PROGRESS);
    EXPECT_EQ(read.style & kDialogStyle, kDialogStyle);
    EXPECT_EQ(read.style & WS_VISIBLE, 0u) << "shown with the program's show command";
    EXPECT_EQ(read.cx, expected.cx);
    EXPECT_EQ(read.cy, expected.cy);
    EXPECT_EQ(read.title, expected.title);
    EXPECT_EQ(read.font, "MS Sans Serif");
    EXPECT_EQ(read.pointSize, 8);
    if (const TemplateControl* button = controlWithId(read, IDC_CONTINUE)) {
      EXPECT_EQ(button->style & 0x0F, static_cast<DWORD>(BS_DEFPUSHBUTTON));
      const TemplateControl* second = controlWithId(read, IDC_SECOND_BUTTON);
      ASSERT_NE(second, nullptr);
      EXPECT_EQ(second->style & 0x0F, static_cast<DWORD>(BS_PUSHBUTTON));
    }
  }

  DialogTemplate users;
  ASSERT_TRUE(readDialogTemplate(module, IDD_USER_SELECT, users));
  const TemplateControl* list = controlWithId(users, IDC_USER_LIST);
  ASSERT_NE(list, nullptr);
  const DWORD listStyle =
      LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
  EXPECT_EQ(list->style & listStyle, listStyle);
  EXPECT_EQ(list->style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL), 0u);

  DialogTemplate splash;
  ASSERT_TRUE(readDialogTemplate(module, IDD_SCAN_SPLASH, splash));
  ASSERT_FALSE(splash.controls.empty());
  EXPECT_EQ(splash.controls[0].style & (SS_TYPEMASK | SS_SUNKEN), DWORD{SS_BITMAP | SS_SUNKEN});
  EXPECT_EQ(splash.controls[0].textOrdinal, IDB_SPLASH);
  const TemplateControl* status = controlWithId(splash, IDC_SCAN_STATUS);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->style & (SS_TYPEMASK | WS_BORDER | SS_SUNKEN),
            DWORD{SS_LEFT | WS_BORDER | SS_SUNKEN});

  DialogTemplate progress;
  ASSERT_TRUE(readDialogTemplate(module, IDD_INSTALL_PROGRESS, progress));
  const TemplateControl* bar = controlWithId(progress, IDC_PROGRESS_BAR);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(lstrcmpiA(bar->className.c_str(), "msctls_progress32"), 0) << bar->className;
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

}  // namespace quillet
