#pragma once

// A scripted user for the dialog application's tests, on windows of another process or of
// another thread of the test's own. Actions are posted, never sent, so that a script never
// blocks on a busy program; reads that need the window's thread wait at most kPatience.

#include "platform/win32/windows_api.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillet::scripted_user {

// How long a script waits for a window, a text or a program before it gives up (ms).
inline constexpr DWORD kPatience = 15000;

// A message to a dialog's control, waiting for its thread at most kPatience: -1 if it did not.
inline LRESULT sendTo(HWND dialog, int controlId, UINT message, WPARAM wParam = 0,
                      LPARAM lParam = 0) {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(GetDlgItem(dialog, controlId), message, wParam, lParam, SMTO_NORMAL,
                             kPatience, &answer) != 0
             ? static_cast<LRESULT>(answer)
             : -1;
}

// A Windows path for a path as this process sees it ("/work/x" -> "Z:\work\x" under Wine).
inline std::string fullPath(const std::string& path) {
  char full[MAX_PATH * 2];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return length > 0 && length < sizeof full ? std::string(full, length) : path;
}

// Starts a program (a path as this process sees it): its process, or null.
inline HANDLE startProgram(const std::string& program, const std::string& arguments,
                           STARTUPINFOA startup, DWORD* processId = nullptr) {
  // Built in steps: GCC 12 takes "..." + std::string for an overlapping copy.
  std::string line = "\"";
  line += fullPath(program);
  line += arguments.empty() ? "\"" : "\" ";
  line += arguments;
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, startup.dwFlags != 0, 0, nullptr,
                      nullptr, &startup, &info)) {
    return nullptr;
  }
  CloseHandle(info.hThread);
  if (processId != nullptr) *processId = info.dwProcessId;
  return info.hProcess;
}

// A console program run to its end: its exit code (99 when it could not be started or was
// ended after kPatience), and what it wrote to its standard error.
struct ProgramRun {
  DWORD exitCode = 99;
  std::string err;
};

inline ProgramRun runProgram(const std::string& program, const std::string& arguments) {
  ProgramRun run;
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE errRead = nullptr, errWrite = nullptr;
  CreatePipe(&errRead, &errWrite, &inheritable, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = errWrite;
  HANDLE process = startProgram(program, arguments, startup);
  CloseHandle(errWrite);  // the program holds its own copy: the pipe ends when it does
  char block[4096];
  for (DWORD got = 0; ReadFile(errRead, block, sizeof block, &got, nullptr) && got > 0;) {
    run.err.append(block, got);
  }
  CloseHandle(errRead);
  if (process == nullptr) return run;
  if (WaitForSingleObject(process, kPatience) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process, &run.exitCode);
  } else {
    TerminateProcess(process, 99);
  }
  CloseHandle(process);
  return run;
}

// Wide text in the program's code page, as its ANSI calls see it.
inline std::string narrow(const wchar_t* wide, int length) {
  if (length <= 0) return "";
  std::string text(static_cast<std::size_t>(length) * 2, '\0');
  text.resize(static_cast<std::size_t>(
      std::max(0, WideCharToMultiByte(CP_ACP, 0, wide, length, text.data(),
                                      static_cast<int>(text.size()), nullptr, nullptr))));
  return text;
}

// The text a window keeps for itself (a caption, a static text), read without a message:
// readable while the program's thread is busy.
inline std::string storedText(HWND window) {
  wchar_t wide[1024];
  return narrow(wide, InternalGetWindowText(window, wide, 1024));
}

// What a control holds, asked of it: an edit field's text, say.
inline std::string controlText(HWND dialog, int controlId) {
  std::string text(
      static_cast<std::size_t>(std::max<LRESULT>(sendTo(dialog, controlId, WM_GETTEXTLENGTH), 0)) +
          1,
      '\0');
  text.resize(static_cast<std::size_t>(std::max<LRESULT>(
      sendTo(dialog, controlId, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())),
      0)));
  return text;
}

// The process's visible top-level windows: the dialogs and message boxes it shows.
inline std::vector<HWND> windowsOf(DWORD processId) {
  std::pair<DWORD, std::vector<HWND>> search{processId, {}};
  EnumWindows(
      [](HWND window, LPARAM parameter) -> BOOL {
        auto& [wanted, found] = *reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(parameter);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == wanted && IsWindowVisible(window)) found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.second;
}

// Their titles.
inline std::vector<std::string> shownWindows(DWORD processId) {
  std::vector<std::string> titles;
  for (HWND window : windowsOf(processId)) titles.push_back(storedText(window));
  return titles;
}

// A visible top-level window of the process with exactly this title; null when none came.
inline HWND waitForWindow(DWORD processId, std::string_view title) {
  for (DWORD waited = 0; waited <= kPatience; waited += 5, Sleep(5)) {
    for (HWND window : windowsOf(processId)) {
      if (storedText(window) == title) return window;
    }
  }
  return nullptr;
}

// Whether the window was destroyed or hidden in time.
inline bool waitForWindowGone(HWND window) {
  for (DWORD waited = 0; IsWindow(window) && IsWindowVisible(window); waited += 5, Sleep(5)) {
    if (waited > kPatience) return false;
  }
  return true;
}

inline std::vector<std::string> listBoxEntries(HWND dialog, int controlId) {
  // Read as wide text: Wine hands a list box's text to another process as it stores it,
  // UTF-16, also when asked through the ANSI message.
  std::vector<std::string> entries;
  HWND list = GetDlgItem(dialog, controlId);
  for (LRESULT i = 0, count = sendTo(dialog, controlId, LB_GETCOUNT); i < count; ++i) {
    DWORD_PTR length = 0, copied = 0;
    if (SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_NORMAL, kPatience, &length) == 0 ||
        static_cast<LRESULT>(length) < 0) {
      break;
    }
    std::wstring wide(length + 1, L'\0');
    SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide.data()), SMTO_NORMAL,
                        kPatience, &copied);
    entries.push_back(narrow(wide.data(), static_cast<int>(copied)));
  }
  return entries;
}

// -1 for none.
inline int listBoxSelection(HWND dialog, int controlId) {
  return static_cast<int>(sendTo(dialog, controlId, LB_GETCURSEL));
}
inline int comboBoxSelection(HWND dialog, int controlId) {
  return static_cast<int>(sendTo(dialog, controlId, CB_GETCURSEL));
}
inline bool isChecked(HWND dialog, int controlId) {
  return sendTo(dialog, controlId, BM_GETCHECK) == BST_CHECKED;
}

// Controls set as their user would leave them (a dialog is not told of a selection).
inline bool selectListBoxEntry(HWND dialog, int controlId, int index) {
  return sendTo(dialog, controlId, LB_SETCURSEL, static_cast<WPARAM>(index)) == index;
}
inline bool selectComboBoxEntry(HWND dialog, int controlId, int index) {
  return sendTo(dialog, controlId, CB_SETCURSEL, static_cast<WPARAM>(index)) == index;
}
inline bool setControlText(HWND dialog, int controlId, const std::string& text) {
  return sendTo(dialog, controlId, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) == TRUE;
}
inline bool setChecked(HWND dialog, int controlId, bool checked) {
  return sendTo(dialog, controlId, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED) == 0;
}

// A click on a button: WM_COMMAND with its id (BN_CLICKED), posted to the dialog.
inline void pressButton(HWND dialog, int controlId) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, controlId)));
}

// A key pressed and released where the dialog's thread has its focus (the dialog when none
// of its controls has it), so that it goes through the dialog's keyboard handling.
inline void pressKey(HWND dialog, WORD virtualKey) {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  HWND target = dialog;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread) &&
      thread.hwndFocus != nullptr && IsChild(dialog, thread.hwndFocus)) {
    target = thread.hwndFocus;
  }
  const auto down = static_cast<LPARAM>(1 | (MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC) << 16));
  PostMessageA(target, WM_KEYDOWN, virtualKey, down);
  PostMessageA(target, WM_KEYUP, virtualKey, down | (1u << 30) | (1u << 31));
}

// The title bar's close button.
inline void closeWindow(HWND window) { PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

// Waits for the process's common open or save dialog with this title, types `path` as the
// file name and presses OK; with an empty path, presses Cancel.
inline bool answerFileDialog(DWORD processId, std::string_view title, const std::string& path) {
  HWND dialog = waitForWindow(processId, title);
  if (dialog == nullptr) return false;
  // The file name: combo box cmb13 in the explorer-style dialogs, edit field edt1 before.
  const int name = GetDlgItem(dialog, 0x47c) != nullptr ? 0x47c : 0x480;
  if (!path.empty() &&
      sendTo(dialog, name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str())) == -1) {
    return false;
  }
  pressButton(dialog, path.empty() ? IDCANCEL : IDOK);
  return waitForWindowGone(dialog);
}

}  // namespace quillet::scripted_user
