#pragma once

#include "app/flow_state.h"

namespace quillet {

// The main flow's wait: what ended it.
enum class WaitOutcome {
  kQuit,       // quitRequest was set, or the quit message arrived: the program ends
  kStartOver,  // a dialog set cancelRequest
  kMoveOn,     // a dialog raised advanceRequest
};

// Handles messages until a request is made. Before each message it ends on quitRequest;
// the quit message ends it too. Each message first goes to the current dialog's keyboard
// handling (IsDialogMessage: Tab, Enter for the default button, ...), and is translated
// and dispatched when that does not take it. After each message cancelRequest is looked
// at before advanceRequest, so a dialog that asks for both starts over. The requests
// are left set: the main flow clears them as it acts.
WaitOutcome waitForRequest(FlowState& flow);

}  // namespace quillet
