#pragma once

#include "platform/win32/windows_api.h"

namespace quillet {

// Template 121: the working text (with CR LF line ends) shown before it is built.
// Created through createProgramDialog (app/win32/dialog_frame.h) with the application
// context.
//
// A text below 30000 bytes is shown whole and can be edited; a longer one shows its first
// 30000 bytes, read-only. Continue (1011) takes the edited text as the working text (an
// editable one only) and moves on; Cancel (1012) starts over; "Save to File..." (1013)
// writes the text to a file chosen in a save dialog owned by this one, and stays.
INT_PTR CALLBACK PreviewDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace quillet
