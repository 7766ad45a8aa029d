#pragma once

namespace quillet {

// Takes every message waiting in the calling thread's queue, translating and dispatching
// each, and returns when the queue is empty. Keyboard messages do not go through a
// dialog's own keyboard handling, and a quit message taken here goes to nobody: it is
// lost, so closing a window while this drains does not end the program.
// POSIX: there is no message queue; it returns at once.
void pumpPending();

// Sets the text of one control of a dialog (an HWND on Windows). POSIX: there are no
// dialogs; it does nothing.
void setDialogItemText(void* dialog, int controlId, const char* text);

}  // namespace quillet
