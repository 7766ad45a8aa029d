#pragma once

// <windows.h> as the Win32 backends use it: without the rarely used parts, and without the
// min and max macros that break the standard library. (MinGW's C++ headers may have
// defined NOMINMAX already.)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
