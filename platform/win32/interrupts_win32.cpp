#include "platform/win32/windows_api.h"

#include "base/cleanup.h"
#include "platform/interrupts.h"

namespace quillet {

namespace {

constexpr UINT kInterruptedExitCode = 130;

void deletePath(const char* path) { DeleteFileA(path); }

// Runs on a thread of its own that the system starts for the console event.
BOOL WINAPI onConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
      forEachFileToCleanUp(deletePath);
      ExitProcess(kInterruptedExitCode);
    default:
      return FALSE;
  }
}

}  // namespace

void removeScratchFilesOnInterrupt() { SetConsoleCtrlHandler(onConsoleEvent, TRUE); }

}  // namespace quillet
