#pragma once

// A scripted user for scenario tests of the dialog application: it starts programs,
// finds their windows, reads texts, presses buttons and keys, answers message boxes and
// the common file dialogs, and waits for programs to end.
//
// Everything here works on windows of another process (quillet-maker.exe started with
// LaunchedProgram) and on windows of another thread of the test's own process (dialogs
// made in-process; run the script on a ScriptThread while the test's thread runs the
// message loop or sits in a modal dialog). Actions are posted, never sent, so a script
// never blocks on a busy program; reads that need the program's thread wait for it at
// most kPatience.

#include "platform/win32/windows_api.h"

#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace quillet {

namespace scripted_user {

// How long a script waits for a window, a text or a program before it gives up.
inline constexpr DWORD kPatience = 15000;

// A program started for a scenario. When the object goes, a program still running is
// ended (exit code 99), so a failed scenario leaves nothing behind.
class LaunchedProgram {
 public:
  // Starts `program` (a path as this process sees it, POSIX paths included) with the
  // command line: the program's path in quotes, a blank, `arguments`.
  LaunchedProgram(const std::string& program, const std::string& arguments);
  ~LaunchedProgram();
  LaunchedProgram(const LaunchedProgram&) = delete;
  LaunchedProgram& operator=(const LaunchedProgram&) = delete;

  bool started() const { return process_ != nullptr; }
  DWORD processId() const { return processId_; }
  // Waits until the program has ended. False when it still runs after `timeout` ms.
  bool waitForExit(DWORD& exitCode, DWORD timeout = kPatience);

 private:
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
};

// What a console program wrote and how it ended.
struct ProgramRun {
  bool finished = false;  // false: it could not be started, or was ended after kPatience
  DWORD exitCode = 0;
  std::string out;
  std::string err;
};

// Runs a console program (quillet.exe) to its end, collecting its output.
ProgramRun runProgram(const std::string& program, const std::string& arguments);

// A Windows path for a path as this process sees it ("/work/x" -> "Z:\work\x" under Wine).
std::string fullPath(const std::string& path);

// Runs a script beside the calling thread; joined when the object goes.
class ScriptThread {
 public:
  explicit ScriptThread(std::function<void()> script) : thread_(std::move(script)) {}
  ~ScriptThread() { thread_.join(); }
  ScriptThread(const ScriptThread&) = delete;
  ScriptThread& operator=(const ScriptThread&) = delete;

 private:
  std::thread thread_;
};

// ---- Windows ----

// A visible top-level window of the process with exactly this title, or null.
HWND findWindow(DWORD processId, std::string_view title);
// findWindow, retried until the window is there or `timeout` ms have passed.
HWND waitForWindow(DWORD processId, std::string_view title, DWORD timeout = kPatience);
// Waits until the window is gone (destroyed) or hidden. False on timeout.
bool waitForWindowGone(HWND window, DWORD timeout = kPatience);

// ---- Reading ----

// A window's text through WM_GETTEXT: what edit fields hold, too. Waits for the window's
// thread (at most kPatience); "" when it cannot be read.
std::string windowText(HWND window);
// A control's text, by id (WM_GETTEXT).
std::string controlText(HWND dialog, int controlId);
// The text a window keeps for itself (static controls, captions), read without a message:
// readable while the program's thread is busy or asleep.
std::string storedText(HWND window);
// Waits until storedText of a control equals `text`. False on timeout.
bool waitForStoredText(HWND dialog, int controlId, std::string_view text,
                       DWORD timeout = kPatience);
// The entries of a list box, in their order, and the selected one (-1 for none).
std::vector<std::string> listBoxEntries(HWND dialog, int controlId);
int listBoxSelection(HWND dialog, int controlId);
// The selected entry of a combo box (-1 for none).
int comboBoxSelection(HWND dialog, int controlId);
// Whether a check box is checked.
bool isChecked(HWND dialog, int controlId);
// The titles of the process's visible top-level windows, sorted: its dialogs and
// message boxes on screen.
std::vector<std::string> shownWindows(DWORD processId);

// ---- Acting ----

// A click on a button: WM_COMMAND with the id (BN_CLICKED), posted to the dialog.
void pressButton(HWND dialog, int controlId);
// A key pressed and released where the dialog's thread has its keyboard focus (the
// dialog itself when no control of it has the focus), so that it goes through the
// program's message loop and the dialog's keyboard handling.
void pressKey(HWND dialog, WORD virtualKey);
// Closes a window through its title bar (WM_SYSCOMMAND SC_CLOSE, posted).
void closeWindow(HWND window);
// Selects a list box entry, as a click on it would.
void selectListBoxEntry(HWND dialog, int controlId, int index);
// Selects a combo box entry. Its dialog is not told, as it is not when a program selects
// one: the program's dialogs read the selection when a button is pressed.
bool selectComboBoxEntry(HWND dialog, int controlId, int index);
// Replaces a control's text (WM_SETTEXT), as typing it over would leave it.
bool setControlText(HWND dialog, int controlId, const std::string& text);
// Checks or clears a check box.
bool setChecked(HWND dialog, int controlId, bool checked);

// ---- Answering ----

struct SeenMessage {
  std::string caption;
  std::string text;
  bool hasOwner = false;
  bool okOnly = false;  // an OK button and no other
};

// Waits for a message box of the process with this caption, reads it and presses OK.
// False when none came within `timeout` ms.
bool answerMessageBox(DWORD processId, std::string_view caption, SeenMessage& seen,
                      DWORD timeout = kPatience);

// Waits for a common open or save dialog of the process with this title, types `path` as
// the file name and presses OK (Open/Save). False when none came.
bool answerFileDialog(DWORD processId, std::string_view title, const std::string& path,
                      DWORD timeout = kPatience);
// The same dialog closed without a choice (Cancel).
bool cancelFileDialog(DWORD processId, std::string_view title, DWORD timeout = kPatience);

}  // namespace scripted_user

}  // namespace quillet
