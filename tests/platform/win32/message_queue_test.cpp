// pumpPending against the real Windows message queue (run under Wine).
#include "platform/win32/windows_api.h"

#include <gtest/gtest.h>

#include "platform/ui.h"

namespace quillet {

namespace {

constexpr UINT kWorkMessage = WM_APP + 7;
int gDispatched = 0;

LRESULT CALLBACK countingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kWorkMessage) {
    ++gDispatched;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND makeMessageWindow() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = countingProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "QuilletPumpTest";
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, "QuilletPumpTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         windowClass.hInstance, nullptr);
}

TEST(MessageQueueTest, PumpDispatchesEverythingWaitingAndLosesTheQuitMessage) {
  HWND window = makeMessageWindow();
  ASSERT_NE(window, nullptr);
  gDispatched = 0;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(PostMessageA(window, kWorkMessage, 0, 0));
  PostQuitMessage(0);
  ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_APP + 8, 0, 0));

  pumpPending();

  EXPECT_EQ(gDispatched, 3);
  MSG left;
  EXPECT_FALSE(PeekMessageA(&left, nullptr, 0, 0, PM_REMOVE))
      << "message " << left.message << " was still waiting";
  DestroyWindow(window);
}

}  // namespace

}  // namespace quillet
