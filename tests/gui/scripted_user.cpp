#include "tests/gui/scripted_user.h"

#include <algorithm>
#include <chrono>

namespace quillet {

namespace scripted_user {

namespace {

constexpr DWORD kPollInterval = 5;  // ms between looks for a window or a text

// Retries `look` until it gives something or the time is up.
template <typename Look>
auto poll(DWORD timeout, Look look) -> decltype(look()) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout);
  for (;;) {
    auto found = look();
    if (found || std::chrono::steady_clock::now() >= deadline) return found;
    Sleep(kPollInterval);
  }
}

std::string commandLineFor(const std::string& program, const std::string& arguments) {
  std::string line = "\"";
  line += fullPath(program);
  line += '"';
  if (!arguments.empty()) {
    line += ' ';
    line += arguments;
  }
  return line;
}

struct WindowSearch {
  DWORD processId;
  std::string_view title;
  HWND found = nullptr;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId != search->processId || !IsWindowVisible(window)) return TRUE;
  if (storedText(window) != search->title) return TRUE;
  search->found = window;
  return FALSE;
}

// Sends a message and waits for the window's thread at most kPatience.
bool sendPatiently(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kPatience, &answer) == 0) {
    return false;
  }
  result = static_cast<LRESULT>(answer);
  return true;
}

// Reads one end of a pipe to its end.
void drain(HANDLE pipe, std::string& into) {
  char block[4096];
  DWORD got = 0;
  while (ReadFile(pipe, block, sizeof block, &got, nullptr) && got > 0) into.append(block, got);
}

bool isShownButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return button != nullptr && IsWindowVisible(button);
}

// Wide text in the program's code page, as its ANSI calls see it.
std::string narrow(const wchar_t* wide, int length) {
  if (length <= 0) return "";
  std::string text(static_cast<std::size_t>(length) * 2, '\0');
  const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, length, text.data(),
                                        static_cast<int>(text.size()), nullptr, nullptr);
  text.resize(bytes > 0 ? static_cast<std::size_t>(bytes) : 0);
  return text;
}

HWND fileNameControl(HWND fileDialog) {
  // The explorer-style dialogs keep the file name in combo box cmb13; the old style in
  // edit field edt1.
  constexpr int kFileNameCombo = 0x47c;
  constexpr int kFileNameEdit = 0x480;
  HWND control = GetDlgItem(fileDialog, kFileNameCombo);
  return control != nullptr ? control : GetDlgItem(fileDialog, kFileNameEdit);
}

}  // namespace

std::string fullPath(const std::string& path) {
  char full[MAX_PATH * 2];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return length > 0 && length < sizeof full ? std::string(full, length) : path;
}

LaunchedProgram::LaunchedProgram(const std::string& program, const std::string& arguments) {
  std::string line = commandLineFor(program, arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    return;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  processId_ = info.dwProcessId;
}

LaunchedProgram::~LaunchedProgram() {
  if (process_ == nullptr) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, kPatience);
  }
  CloseHandle(process_);
}

bool LaunchedProgram::waitForExit(DWORD& exitCode, DWORD timeout) {
  if (process_ == nullptr || WaitForSingleObject(process_, timeout) != WAIT_OBJECT_0) {
    return false;
  }
  return GetExitCodeProcess(process_, &exitCode) != 0;
}

ProgramRun runProgram(const std::string& program, const std::string& arguments) {
  ProgramRun run;
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE outRead, outWrite, errRead, errWrite;
  if (!CreatePipe(&outRead, &outWrite, &inheritable, 0)) return run;
  if (!CreatePipe(&errRead, &errWrite, &inheritable, 0)) {
    CloseHandle(outRead);
    CloseHandle(outWrite);
    return run;
  }
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);

  std::string line = commandLineFor(program, arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION info{};
  const bool started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &info) != 0;
  // The child holds its own copies; the pipes end when it does.
  CloseHandle(outWrite);
  CloseHandle(errWrite);
  if (started) {
    std::thread errReader(drain, errRead, std::ref(run.err));
    drain(outRead, run.out);
    errReader.join();
    if (WaitForSingleObject(info.hProcess, kPatience) == WAIT_OBJECT_0) {
      run.finished = GetExitCodeProcess(info.hProcess, &run.exitCode) != 0;
    } else {
      TerminateProcess(info.hProcess, 99);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  CloseHandle(outRead);
  CloseHandle(errRead);
  return run;
}

HWND findWindow(DWORD processId, std::string_view title) {
  WindowSearch search{processId, title};
  EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND waitForWindow(DWORD processId, std::string_view title, DWORD timeout) {
  return poll(timeout, [&] { return findWindow(processId, title); });
}

bool waitForWindowGone(HWND window, DWORD timeout) {
  return poll(timeout, [&] { return !IsWindow(window) || !IsWindowVisible(window); });
}

std::string windowText(HWND window) {
  LRESULT length = 0;
  if (!sendPatiently(window, WM_GETTEXTLENGTH, 0, 0, length)) return "";
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  LRESULT copied = 0;
  if (!sendPatiently(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                     copied)) {
    return "";
  }
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

std::string controlText(HWND dialog, int controlId) {
  HWND control = GetDlgItem(dialog, controlId);
  return control != nullptr ? windowText(control) : "";
}

std::string storedText(HWND window) {
  wchar_t wide[1024];
  const int length = InternalGetWindowText(window, wide, 1024);
  return length > 0 ? narrow(wide, length) : "";
}

bool waitForStoredText(HWND dialog, int controlId, std::string_view text, DWORD timeout) {
  return poll(timeout, [&] { return storedText(GetDlgItem(dialog, controlId)) == text; });
}

std::vector<std::string> listBoxEntries(HWND dialog, int controlId) {
  // Read as wide text: Wine hands a list box's text to another process as it stores it,
  // UTF-16, also when asked through the ANSI message.
  std::vector<std::string> entries;
  HWND list = GetDlgItem(dialog, controlId);
  LRESULT count = 0;
  if (list == nullptr || !sendPatiently(list, LB_GETCOUNT, 0, 0, count)) return entries;
  for (LRESULT i = 0; i < count; ++i) {
    DWORD_PTR length = 0;
    if (SendMessageTimeoutW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0, SMTO_NORMAL, kPatience,
                            &length) == 0 ||
        static_cast<LRESULT>(length) < 0) {
      break;
    }
    std::wstring wide(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                        reinterpret_cast<LPARAM>(wide.data()), SMTO_NORMAL, kPatience, &copied);
    entries.push_back(
        narrow(wide.data(), static_cast<LRESULT>(copied) > 0 ? static_cast<int>(copied) : 0));
  }
  return entries;
}

int listBoxSelection(HWND dialog, int controlId) {
  LRESULT selection = LB_ERR;
  sendPatiently(GetDlgItem(dialog, controlId), LB_GETCURSEL, 0, 0, selection);
  return static_cast<int>(selection);
}

int comboBoxSelection(HWND dialog, int controlId) {
  LRESULT selection = CB_ERR;
  sendPatiently(GetDlgItem(dialog, controlId), CB_GETCURSEL, 0, 0, selection);
  return static_cast<int>(selection);
}

bool isChecked(HWND dialog, int controlId) {
  LRESULT state = BST_UNCHECKED;
  sendPatiently(GetDlgItem(dialog, controlId), BM_GETCHECK, 0, 0, state);
  return state == BST_CHECKED;
}

std::vector<std::string> shownWindows(DWORD processId) {
  struct Search {
    DWORD processId;
    std::vector<std::string> titles;
  } search{processId, {}};
  EnumWindows(
      [](HWND window, LPARAM parameter) -> BOOL {
        auto* found = reinterpret_cast<Search*>(parameter);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == found->processId && IsWindowVisible(window)) {
          found->titles.push_back(storedText(window));
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  std::sort(search.titles.begin(), search.titles.end());
  return search.titles;
}

void pressButton(HWND dialog, int controlId) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, controlId)));
}

void pressKey(HWND dialog, WORD virtualKey) {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  HWND target = dialog;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread) &&
      thread.hwndFocus != nullptr && IsChild(dialog, thread.hwndFocus)) {
    target = thread.hwndFocus;
  }
  const UINT scanCode = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
  const auto down = static_cast<LPARAM>(1 | (scanCode << 16));
  const auto up = static_cast<LPARAM>(down | (1u << 30) | (1u << 31));
  PostMessageA(target, WM_KEYDOWN, virtualKey, down);
  PostMessageA(target, WM_KEYUP, virtualKey, up);
}

void closeWindow(HWND window) { PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

void selectListBoxEntry(HWND dialog, int controlId, int index) {
  LRESULT ignored = 0;
  sendPatiently(GetDlgItem(dialog, controlId), LB_SETCURSEL, static_cast<WPARAM>(index), 0,
                ignored);
}

bool selectComboBoxEntry(HWND dialog, int controlId, int index) {
  LRESULT selected = CB_ERR;
  return sendPatiently(GetDlgItem(dialog, controlId), CB_SETCURSEL, static_cast<WPARAM>(index), 0,
                       selected) &&
         selected == index;
}

bool setControlText(HWND dialog, int controlId, const std::string& text) {
  LRESULT set = FALSE;
  return sendPatiently(GetDlgItem(dialog, controlId), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(text.c_str()), set) &&
         set != FALSE;
}

bool setChecked(HWND dialog, int controlId, bool checked) {
  LRESULT ignored = 0;
  return sendPatiently(GetDlgItem(dialog, controlId), BM_SETCHECK,
                       checked ? BST_CHECKED : BST_UNCHECKED, 0, ignored);
}

bool answerMessageBox(DWORD processId, std::string_view caption, SeenMessage& seen, DWORD timeout) {
  HWND box = waitForWindow(processId, caption, timeout);
  if (box == nullptr) return false;
  // The message box's text is its static control without an id of its own.
  constexpr int kMessageTextId = 0xFFFF;
  seen.caption = storedText(box);
  seen.text = storedText(GetDlgItem(box, kMessageTextId));
  seen.hasOwner = GetWindow(box, GW_OWNER) != nullptr;
  seen.okOnly = isShownButton(box, IDOK);
  for (int other : {IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
    if (isShownButton(box, other)) seen.okOnly = false;
  }
  pressButton(box, IDOK);
  return waitForWindowGone(box);
}

bool answerFileDialog(DWORD processId, std::string_view title, const std::string& path,
                      DWORD timeout) {
  HWND dialog = waitForWindow(processId, title, timeout);
  if (dialog == nullptr) return false;
  HWND name = fileNameControl(dialog);
  LRESULT ignored = 0;
  if (name == nullptr ||
      !sendPatiently(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), ignored)) {
    return false;
  }
  pressButton(dialog, IDOK);
  return waitForWindowGone(dialog);
}

bool cancelFileDialog(DWORD processId, std::string_view title, DWORD timeout) {
  HWND dialog = waitForWindow(processId, title, timeout);
  if (dialog == nullptr) return false;
  pressButton(dialog, IDCANCEL);
  return waitForWindowGone(dialog);
}

}  // namespace scripted_user

}  // namespace quillet
