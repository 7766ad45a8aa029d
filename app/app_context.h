#pragma once

#include "app/app_options.h"
#include "app/flow_state.h"
#include "hotsync/palm_user_list.h"
#include "source/work_text.h"

// The process-wide state of the application, in one place and handed explicitly to the
// main flow and the dialogs, so that a test can run whole conversions in one process and
// start each from a fresh context.
struct AppContext {
  AppOptions options;
  FlowState flow;
  PalmUserList users;  // filled once by the start-up scan
  WorkText text;       // the working text of the conversion under way
};
