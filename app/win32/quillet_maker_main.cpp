// quillet-maker.exe: the dialog application.
#include "app/app_context.h"
#include "app/resources/resource_ids.h"
#include "app/win32/dialog_frame.h"
#include "app/win32/message_box.h"
#include "hotsync/startup_scan.h"
#include "platform/win32/windows_api.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  AppContext context;
  const Win32Launch launch{instance, showCommand};
  const int scanned = startupScan(
      context.users, context.flow,
      [&] { return openProgramDialog(launch, context, IDD_SCAN_SPLASH); },
      splashScanOptions(context.flow), messageBoxSink());
  if (scanned == -2) return 0;
  // The conversions follow here; for now the program ends once the users are known.
  DestroyWindow(static_cast<HWND>(context.flow.currentDialog));
  context.flow.currentDialog = nullptr;
  return 0;
}
