#pragma once

#include "app/app_context.h"
#include "app/win32/dialog_frame.h"
#include "hotsync/install_run.h"

// The install run in the dialog application: its progress dialog (template 116) shows the
// statuses in its status line (1055) and the copies on its bar (1054).

// Options that drive the progress dialog: it is created from the launch's module once
// the common controls are initialised, without owner, shown with the launch's show
// command; statuses go into the current dialog's status line; the queue is drained before
// each document and the run pauses for real. REQUIRES: context outlives the options.
InstallOptions progressDialogInstallOptions(const Win32Launch& launch, AppContext& context);

// runInstall over the context with its progress dialog, failures shown in message boxes.
// What the main flow calls. Returns runInstall's result.
int installWithProgressDialog(const Win32Launch& launch, AppContext& context);
