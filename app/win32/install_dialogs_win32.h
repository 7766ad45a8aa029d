#pragma once

#include "platform/win32/windows_api.h"

namespace quillet {

// The dialog procedures of the install-time dialogs. Each is created through
// createProgramDialog (app/win32/dialog_frame.h) with the application context.

// Template 111: the splash of the start-up scan. No commands; the scan writes its status
// line (1048).
INT_PTR CALLBACK ScanSplashDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Template 110: lists the HotSync users in the scan's order and preselects the user of
// hotsyncName. Continue (1011) takes the selected user and moves on; Cancel (1012)
// deletes the temporary document when not saving to a file, and starts over.
INT_PTR CALLBACK UserSelectDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Template 116: the install run's progress; no commands. The install run writes its
// status line (1055) and drives its bar (1054). Needs the common controls initialised.
INT_PTR CALLBACK InstallProgressDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Templates 112 (after an install) and 122 (after saving to a file). Exit (1011) posts the
// quit message; Convert Another (1012) moves on.
INT_PTR CALLBACK ConversionCompleteDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace quillet
