#pragma once

#include <string>

#include "settings/app_options.h"
#include "app/flow_state.h"
#include "app/options_rules.h"
#include "hotsync/palm_user_list.h"
#include "platform/system.h"
#include "source/work_text.h"

namespace quillet {

// The process-wide state of the application, in one place and handed explicitly to the
// main flow and the dialogs, so that a test can run whole conversions in one process and
// start each from a fresh context.
struct AppContext {
  AppOptions options;
  FlowState flow;
  PalmUserList users;  // filled once by the start-up scan
  WorkText text;       // the working text of the conversion under way
  // Names for documents left unnamed; one sequence per run, across its conversions.
  DocNameGenerator docNames;
  // The key below HKEY_CURRENT_USER that the options dialog loads and stores the options
  // in. Tests point it at a key of their own.
  std::string settingsKey = kSettingsKeyPath;
  // The whole command line, where the options dialog looks for a source file. Taken when
  // the context is made (the program's entry has called setCommandLineArguments by then
  // on POSIX); tests put their own line here.
  std::string commandLine = wholeCommandLine();
};

}  // namespace quillet
