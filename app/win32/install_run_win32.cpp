#include "app/win32/install_run_win32.h"

#include <commctrl.h>

#include "app/resources/resource_ids.h"
#include "app/win32/message_box.h"
#include "platform/system.h"
#include "platform/ui.h"

namespace quillet {

namespace {

LRESULT sendToBar(const AppContext& context, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendDlgItemMessageA(static_cast<HWND>(context.flow.currentDialog), IDC_PROGRESS_BAR,
                             message, wParam, lParam);
}

}  // namespace

InstallDisplay progressDialogDisplay(const Win32Launch& launch, AppContext& context) {
  InstallDisplay display;
  display.open = [launch, &context] {
    // The progress bar's window class exists only once the common controls are set up.
    InitCommonControls();
    HWND progress = createProgramDialog(launch, context, IDD_INSTALL_PROGRESS);
    if (progress == nullptr) return false;
    context.flow.currentDialog = progress;
    return true;
  };
  display.setBarRange = [&context](std::uint16_t upper) {
    sendToBar(context, PBM_SETRANGE, 0, MAKELPARAM(0, upper));
  };
  display.setBarStep = [&context](int step) {
    sendToBar(context, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
  };
  display.show = [launch, &context] {
    ShowWindow(static_cast<HWND>(context.flow.currentDialog), launch.showCommand);
  };
  display.stepBar = [&context] { sendToBar(context, PBM_STEPIT, 0, 0); };
  display.showStatus = [&context](const char* text) {
    setDialogItemText(context.flow.currentDialog, IDC_INSTALL_STATUS, text);
  };
  display.pump = pumpPending;
  display.pause = sleepMilliseconds;
  // hotsyncName goes where the options dialog keeps the other options.
  display.userMatched = [&context](int user) {
    rememberHotsyncUser(context.options, fieldText(context.users.entries[user].userName),
                        context.settingsKey.c_str());
  };
  return display;
}

InstallReport installWithProgressDialog(const Win32Launch& launch, AppContext& context,
                                        const InstallRequest& request) {
  return runInstall(context.users, request, progressDialogDisplay(launch, context));
}

}  // namespace quillet
