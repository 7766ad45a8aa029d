#include "app/win32/message_loop.h"

#include "platform/win32/windows_api.h"

namespace quillet {

WaitOutcome waitForRequest(FlowState& flow) {
  for (;;) {
    if (flow.quitRequest != 0) return WaitOutcome::kQuit;
    MSG message;
    // 0 is the quit message; -1 a broken queue, which no dialog could be served from.
    if (GetMessageA(&message, nullptr, 0, 0) <= 0) return WaitOutcome::kQuit;
    HWND dialog = static_cast<HWND>(flow.currentDialog);
    if (dialog == nullptr || !IsDialogMessageA(dialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    switch (pendingRequest(flow)) {
      case FlowRequest::kStartOver:
        return WaitOutcome::kStartOver;
      case FlowRequest::kMoveOn:
        return WaitOutcome::kMoveOn;
      case FlowRequest::kNone:
        break;
    }
  }
}

}  // namespace quillet
