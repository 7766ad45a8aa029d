#include "platform/win32/windows_api.h"

#include "platform/system.h"

namespace quillet {

void sleepMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

std::string wholeCommandLine() { return GetCommandLineA(); }

void setCommandLineArguments(int, const char* const*) {}  // the system keeps the line

}  // namespace quillet
