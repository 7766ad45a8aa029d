#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/system.h"

void sleepMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

std::string wholeCommandLine() { return GetCommandLineA(); }

void setCommandLineArguments(int, const char* const*) {}  // the system keeps the line
