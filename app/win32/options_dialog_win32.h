#pragma once

#include "platform/win32/windows_api.h"

namespace quillet {

// Template 120: the options of a conversion. Created through createProgramDialog
// (app/win32/dialog_frame.h) with the application context.
//
// Opening takes the clipboard's text into the working text, loads the options from the
// context's settings key, takes a source file from the context's command line, and shows
// it all. Continue (1011) stores the options and moves on; when saving to a file it then
// asks for the output file in a save dialog owned by this one, and abandons the
// conversion when none is chosen. Exit (1012) posts the quit message. "..." (1061)
// browses for the source file.
INT_PTR CALLBACK OptionsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace quillet
