// quillet-maker.exe: the dialog application.
#include <memory>

#include "app/app_context.h"
#include "app/win32/dialog_frame.h"
#include "app/win32/main_flow.h"
#include "platform/win32/windows_api.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  // The context is large (the user list, the flow's slots): it lives on the heap.
  auto context = std::make_unique<quillet::AppContext>();
  return quillet::runMainFlow(quillet::Win32Launch{instance, showCommand}, *context);
}
