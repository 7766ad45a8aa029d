#pragma once

#include "app/app_context.h"
#include "app/win32/dialog_frame.h"
#include "hotsync/install_run.h"

namespace quillet {

// The install run in the dialog application: its progress dialog (template 116) shows the
// statuses in its status line (1055) and the copies on its bar (1054).

// The display that drives the progress dialog: it is created from the launch's module once
// the common controls are initialised, without owner, made the current dialog and shown
// with the launch's show command; statuses go into its status line; the queue is drained
// before each document and the run pauses for real. Each user matched becomes the one
// most recently installed to (hotsyncName, stored in the context's settings key).
// REQUIRES: context outlives the display.
InstallDisplay progressDialogDisplay(const Win32Launch& launch, AppContext& context);

// runInstall over the context's users with its progress dialog. What the main flow calls.
InstallReport installWithProgressDialog(const Win32Launch& launch, AppContext& context,
                                        const InstallRequest& request);

}  // namespace quillet
