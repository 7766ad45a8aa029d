#pragma once

// A fixture for the program's dialogs opened in the test's own process, with a settings
// key of the test's own: the test's thread plays the main flow (waitForRequest), and
// scripts on a ScriptThread answer the modal file dialogs the dialogs open.

#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <string>
#include <vector>

#include "app/app_context.h"
#include "app/win32/dialog_frame.h"
#include "app/win32/message_loop.h"
#include "platform/clipboard.h"
#include "tests/support/test_registry.h"

namespace quillet {

class ProgramDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    watchdogFired() = false;
    watchdog_ = SetTimer(nullptr, 0, 20000, watchdog);
    context_.settingsKey = registry_.path("Corvane Software\\Quillet\\v1.0");
    context_.commandLine = "gui_tests.exe";
    emptyClipboard();
  }

  void TearDown() override {
    KillTimer(nullptr, watchdog_);
    closeDialog();
    pumpWaiting();
    emptyClipboard();
    EXPECT_FALSE(watchdogFired()) << "a wait was ended by the watchdog";
  }

  HWND open(int templateId) {
    closeDialog();
    dialog_ = openProgramDialog(launch_, context_, templateId);
    context_.flow.currentDialog = dialog_;
    return dialog_;
  }

  void closeDialog() {
    if (dialog_ != nullptr) DestroyWindow(dialog_);
    dialog_ = nullptr;
    context_.flow.currentDialog = nullptr;
  }

  // Handles what is waiting; true when a quit message was among it.
  static bool pumpWaiting() {
    bool quit = false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    return quit;
  }

  // The main flow's wait, and its clearing of the requests afterwards.
  WaitOutcome wait() { return waitForRequest(context_.flow); }
  void clearRequests() {
    context_.flow.advanceRequest = 0;
    context_.flow.cancelRequest = 0;
  }

  std::string text(int controlId) const {
    HWND control = GetDlgItem(dialog_, controlId);
    std::string read(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    read.resize(static_cast<std::size_t>(
        GetWindowTextA(control, read.data(), static_cast<int>(read.size()))));
    return read;
  }

  std::vector<std::string> comboEntries(int controlId) const {
    std::vector<std::string> entries;
    const auto count = SendDlgItemMessageA(dialog_, controlId, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      char entry[256] = {};
      SendDlgItemMessageA(dialog_, controlId, CB_GETLBTEXT, static_cast<WPARAM>(i),
                          reinterpret_cast<LPARAM>(entry));
      entries.emplace_back(entry);
    }
    return entries;
  }

  int comboSelection(int controlId) const {
    return static_cast<int>(SendDlgItemMessageA(dialog_, controlId, CB_GETCURSEL, 0, 0));
  }

  testing_support::ScopedTestRegistry registry_;
  const Win32Launch launch_{GetModuleHandleA(nullptr), SW_SHOWNORMAL};
  AppContext context_;
  HWND dialog_ = nullptr;

 private:
  static bool& watchdogFired() {
    static bool fired = false;
    return fired;
  }
  // A wait that nothing ends would hang the suite: after a while a timer ends it.
  static void CALLBACK watchdog(HWND, UINT, UINT_PTR, DWORD) {
    watchdogFired() = true;
    PostQuitMessage(98);
  }

  UINT_PTR watchdog_ = 0;
};

}  // namespace quillet
