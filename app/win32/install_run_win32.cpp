#include "app/win32/install_run_win32.h"

#include <commctrl.h>

#include "app/resources/resource_ids.h"
#include "app/win32/message_box.h"
#include "platform/system.h"
#include "platform/ui.h"

namespace {

LRESULT sendToBar(const AppContext& context, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendDlgItemMessageA(static_cast<HWND>(context.flow.currentDialog), IDC_PROGRESS_BAR,
                             message, wParam, lParam);
}

}  // namespace

InstallOptions progressDialogInstallOptions(const Win32Launch& launch, AppContext& context) {
  InstallOptions options;
  options.createProgress = [launch, &context]() -> DialogHandle {
    // The progress bar's window class exists only once the common controls are set up.
    InitCommonControls();
    return createProgramDialog(launch, context, IDD_INSTALL_PROGRESS);
  };
  options.setBarRange = [&context](std::uint16_t upper) {
    sendToBar(context, PBM_SETRANGE, 0, MAKELPARAM(0, upper));
  };
  options.setBarStep = [&context](int step) {
    sendToBar(context, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
  };
  options.showProgress = [launch, &context] {
    ShowWindow(static_cast<HWND>(context.flow.currentDialog), launch.showCommand);
  };
  options.stepBar = [&context] { sendToBar(context, PBM_STEPIT, 0, 0); };
  options.showStatus = [&context](const char* text) {
    setDialogItemText(context.flow.currentDialog, IDC_INSTALL_STATUS, text);
  };
  options.pump = pumpPending;
  options.pause = sleepMilliseconds;
  // hotsyncName goes where the options dialog keeps the other options.
  options.settingsKey = context.settingsKey.c_str();
  return options;
}

int installWithProgressDialog(const Win32Launch& launch, AppContext& context) {
  return runInstall(context.users, context.flow, context.options,
                    progressDialogInstallOptions(launch, context), messageBoxSink());
}
