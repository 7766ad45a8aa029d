#include "platform/win32/windows_api.h"

#include "platform/ui.h"

namespace quillet {

void pumpPending() {
  MSG message;
  // PM_REMOVE takes WM_QUIT off the queue too, and DispatchMessage sends it to no window:
  // a quit that arrives while work drains the queue is dropped on purpose.
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void setDialogItemText(void* dialog, int controlId, const char* text) {
  SetDlgItemTextA(static_cast<HWND>(dialog), controlId, text);
}

}  // namespace quillet
