#include "app/win32/dialog_frame.h"

#include "app/resources/resource_ids.h"
#include "app/win32/install_dialogs_win32.h"
#include "app/win32/options_dialog_win32.h"
#include "app/win32/preview_dialog_win32.h"

namespace quillet {

namespace {

struct ProgramDialog {
  int templateId;
  DLGPROC procedure;
};

constexpr ProgramDialog kProgramDialogs[] = {
    {IDD_SCAN_SPLASH, ScanSplashDialog},
    {IDD_USER_SELECT, UserSelectDialog},
    {IDD_INSTALL_PROGRESS, InstallProgressDialog},
    {IDD_COMPLETE_INSTALLED, ConversionCompleteDialog},
    {IDD_COMPLETE_SAVED, ConversionCompleteDialog},
    {IDD_OPTIONS, OptionsDialog},
    {IDD_PREVIEW, PreviewDialog},
};

// Shared icons belong to the system's cache: the dialog need not destroy them.
HICON programIcon(HWND dialog, int sizeMetricX, int sizeMetricY) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
  return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON,
                                       GetSystemMetrics(sizeMetricX), GetSystemMetrics(sizeMetricY),
                                       LR_SHARED));
}

void setProgramIcons(HWND dialog) {
  SendMessageA(dialog, WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(programIcon(dialog, SM_CXICON, SM_CYICON)));
  SendMessageA(dialog, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(programIcon(dialog, SM_CXSMICON, SM_CYSMICON)));
}

}  // namespace

AppContext* dialogContext(HWND dialog) {
  return reinterpret_cast<AppContext*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

INT_PTR handleDialogMessage(const DialogActions& actions, HWND dialog, UINT message, WPARAM wParam,
                            LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      setProgramIcons(dialog);
      AppContext* context = dialogContext(dialog);
      if (actions.initialise != nullptr && context != nullptr) {
        actions.initialise(dialog, *context);
      }
      return TRUE;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(dialog, &paint);
      EndPaint(dialog, &paint);
      return TRUE;
    }
    case WM_CLOSE:
      PostQuitMessage(0);
      return TRUE;
    case WM_COMMAND: {
      AppContext* context = dialogContext(dialog);
      if (actions.command == nullptr || context == nullptr) return FALSE;
      return actions.command(dialog, *context, LOWORD(wParam)) ? TRUE : FALSE;
    }
    default:
      return FALSE;
  }
}

HWND createProgramDialog(const Win32Launch& launch, AppContext& context, int templateId) {
  for (const ProgramDialog& dialog : kProgramDialogs) {
    if (dialog.templateId != templateId) continue;
    return CreateDialogParamA(launch.instance, MAKEINTRESOURCEA(templateId), nullptr,
                              dialog.procedure, reinterpret_cast<LPARAM>(&context));
  }
  return nullptr;
}

HWND openProgramDialog(const Win32Launch& launch, AppContext& context, int templateId) {
  HWND dialog = createProgramDialog(launch, context, templateId);
  if (dialog != nullptr) ShowWindow(dialog, launch.showCommand);
  return dialog;
}

std::string controlText(HWND control) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace quillet
