// dialog-gallery.exe FOLDER: opens each of the program's dialogs in turn, filled as a user
// would see it, and saves a picture of it as FOLDER\<name>.bmp. It needs a real display
// (Wine's X11 driver under Xvfb, say); tools/screenshots.sh runs it and makes the PNGs
// the README shows.
#include <cstdio>
#include <string>

#include "app/app_context.h"
#include "app/resources/resource_ids.h"
#include "app/win32/dialog_frame.h"
#include "platform/clipboard.h"
#include "platform/win32/windows_api.h"
#include "source/line_breaks.h"

#include <commctrl.h>

namespace quillet {

namespace {

// Lets the dialog draw itself completely before the picture is taken.
void settle(unsigned milliseconds) {
  const DWORD until = GetTickCount() + milliseconds;
  while (GetTickCount() < until) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(20);
  }
}

// The window as the screen shows it, title bar included, as a 24-bit BMP file.
bool saveWindowPicture(HWND window, const std::string& path) {
  RECT r;
  GetWindowRect(window, &r);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
  SelectObject(memory, old);

  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const DWORD rowBytes = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
  std::string pixels(rowBytes * static_cast<DWORD>(height), '\0');
  GetDIBits(memory, picture, 0, static_cast<UINT>(height), pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&info, sizeof info, 1, out);
  std::fwrite(pixels.data(), 1, pixels.size(), out);
  return std::fclose(out) == 0;
}

void addUser(PalmUserList& users, const char* name, const char* folder) {
  PalmUser& user = users.entries[users.userCount++];
  setFieldText(user.userName, name);
  setFieldText(user.installPath, std::string("C:\\Palm\\") + folder + "\\Install");
  setFieldText(user.backupPath, std::string("C:\\Palm\\") + folder + "\\backup");
}

constexpr char kStoryStart[] =
    "THE LAMP AT HARROW POINT\n\n"
    "The lamp at Harrow Point had not gone dark in forty-one years, and Edith Marr did not "
    "mean to be the keeper who let it. She climbed the hundred and twelve steps every "
    "evening at a quarter to six, wound the clockwork that turned the lens, trimmed the "
    "wick, polished the brass until it showed her own tired face, and then sat by the "
    "window with a pot of tea and a notebook in which she wrote down the ships.\n\n"
    "There were not many ships any more.\n";

// A context as a user would meet it: three HotSync users, the last one chosen before; a
// story to convert, and a few words on the clipboard.
void fillContext(AppContext& context) {
  addUser(context.users, "Ann Smith", "SmithA");
  addUser(context.users, "Bob Jones", "JonesB");
  addUser(context.users, "Carla Diaz", "DiazC");
  setFieldText(context.options.hotsyncName, "Bob Jones");
  setFieldText(context.options.sourcePath, "C:\\Books\\the-lamp-at-harrow-point.txt");
  setFieldText(context.options.palmName, "The Lamp at Harrow Point");
  context.options.sourceType = 1;
  context.settingsKey = "Software\\Quillet Maker dialog gallery";  // nothing stored there
  context.commandLine = "dialog-gallery.exe";
  assignWorkText(context.text, kStoryStart);
  expandLineEnds(context.text);
}

struct Shot {
  const char* name;
  int templateId;
  void (*prepare)(HWND dialog);
};

void prepareSplash(HWND dialog) {
  SetDlgItemTextA(dialog, IDC_SCAN_STATUS, "Found user 'Bob Jones'");
}

void prepareProgress(HWND dialog) {
  SetDlgItemTextA(dialog, IDC_INSTALL_STATUS,
                  "Installing 'The Lamp' to user 'Bob Jones'\r\n\r\n"
                  "(C:\\Palm\\JonesB\\Install\\The_Lamp.pdb)...");
  HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
  SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 2));
  SendMessageA(bar, PBM_SETPOS, 1, 0);
}

// The caret at the start, so the picture shows the text's beginning.
void preparePreview(HWND dialog) {
  SendDlgItemMessageA(dialog, IDC_PREVIEW_TEXT, EM_SETSEL, 0, 0);
  SendDlgItemMessageA(dialog, IDC_PREVIEW_TEXT, EM_SCROLLCARET, 0, 0);
}

const Shot kShots[] = {
    {"scan-splash", IDD_SCAN_SPLASH, prepareSplash},
    {"options", IDD_OPTIONS, nullptr},
    {"preview", IDD_PREVIEW, preparePreview},
    {"user-select", IDD_USER_SELECT, nullptr},
    {"install-progress", IDD_INSTALL_PROGRESS, prepareProgress},
    {"complete-installed", IDD_COMPLETE_INSTALLED, nullptr},
    {"complete-saved", IDD_COMPLETE_SAVED, nullptr},
};

}  // namespace

}  // namespace quillet

int main(int argc, char** argv) {
  using namespace quillet;
  if (argc != 2) {
    std::fprintf(stderr, "usage: dialog-gallery FOLDER\n");
    return 2;
  }
  InitCommonControls();
  writeClipboardText("Notes for the next chapter:\r\nthe storm, the gearing, the Alder Queen.");
  const Win32Launch launch{GetModuleHandleA(nullptr), SW_SHOWNORMAL};
  int failures = 0;
  for (const Shot& shot : kShots) {
    AppContext context;
    fillContext(context);
    HWND dialog = openProgramDialog(launch, context, shot.templateId);
    if (dialog == nullptr) {
      std::fprintf(stderr, "cannot open %s\n", shot.name);
      ++failures;
      continue;
    }
    context.flow.currentDialog = dialog;
    if (shot.prepare != nullptr) shot.prepare(dialog);
    settle(600);
    const std::string path = std::string(argv[1]) + "\\" + shot.name + ".bmp";
    if (saveWindowPicture(dialog, path)) {
      std::printf("%s\n", shot.name);
    } else {
      ++failures;
    }
    DestroyWindow(dialog);
  }
  emptyClipboard();
  return failures == 0 ? 0 : 1;
}
