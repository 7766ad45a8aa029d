#pragma once

#include <string>

#include "app/app_context.h"
#include "platform/win32/windows_api.h"

namespace quillet {

// The frame every dialog of the program shares, and their creation.

// How the program was started: the module that holds its resources, and the show command
// its dialogs are shown with.
struct Win32Launch {
  HINSTANCE instance = nullptr;
  int showCommand = SW_SHOWNORMAL;
};

// What one dialog does beyond the frame.
struct DialogActions {
  // Its own set-up on initialisation, after the frame's; null when it has none.
  void (*initialise)(HWND dialog, AppContext& context);
  // One command, by control id; returns whether it was the dialog's. Null: no commands.
  bool (*command)(HWND dialog, AppContext& context, int controlId);
};

// The body of every dialog procedure. On initialisation it keeps the context (the
// creation parameter), sets the program icon (resource 116) as the small and the large
// icon, runs the dialog's set-up and returns TRUE, so that the system gives the first
// control the focus. Paint requests are answered without drawing; a close request (the
// title bar's close button, Alt+F4) posts the quit message with code 0; commands go to
// the dialog by the low 16 bits of their first parameter alone. Everything else is left
// to the default dialog handling.
INT_PTR handleDialogMessage(const DialogActions& actions, HWND dialog, UINT message, WPARAM wParam,
                            LPARAM lParam);

// The context handed to the dialog when it was created; null before its initialisation.
AppContext* dialogContext(HWND dialog);

// Creates the dialog of one of the program's templates (IDD_... in
// app/resources/resource_ids.h) as a modeless dialog without owner, from the launch's
// module, not yet shown; its procedure works on `context`, which must outlive it. Null
// when it cannot be created or the template is not one of the program's dialogs.
// The caller destroys it (DestroyWindow).
HWND createProgramDialog(const Win32Launch& launch, AppContext& context, int templateId);

// The text a control holds (an edit field's, say).
std::string controlText(HWND control);

// createProgramDialog, then shown with the launch's show command.
HWND openProgramDialog(const Win32Launch& launch, AppContext& context, int templateId);

}  // namespace quillet
