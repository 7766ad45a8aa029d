#pragma once

#include "app/app_context.h"
#include "app/win32/dialog_frame.h"

namespace quillet {

// The program from start-up to exit: the scan behind the splash, the -u names of the
// command line, then one conversion after another (options, load and preview, build,
// install or save, completion), each step showing one modeless dialog and waiting in the
// message loop for what the dialog asks. Returns the exit code, which is always 0.
int runMainFlow(const Win32Launch& launch, AppContext& context);

}  // namespace quillet
