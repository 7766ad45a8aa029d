#pragma once

#include <functional>

#include "app/flow_state.h"
#include "base/message_sink.h"
#include "hotsync/palm_user_list.h"
#include "hotsync/user_scan.h"

namespace quillet {

// The scan the program runs once at start-up, behind its splash dialog.

inline constexpr unsigned kPauseAfterScanMilliseconds = 2000;

// Shows the splash through createSplash (which returns it shown, or null when it cannot be
// created), makes it the current dialog, clears advanceRequest, scans (scanPalmUsers with
// `options`), shows "Done" and pauses 2000 ms. Returns 0, or -2 without scanning when the
// splash cannot be created. The splash stays the current dialog: the main flow destroys
// it when it moves on.
int startupScan(PalmUserList& users, FlowState& flow,
                const std::function<DialogHandle()>& createSplash, const ScanOptions& options,
                const MessageSink& sink);

// Puts text into the status line of the current dialog (the splash's control 1048), then
// drains the message queue once, so that the splash repaints while the scan works.
void showScanStatus(const FlowState& flow, const char* text);

// What the application scans with: statuses through showScanStatus, real pauses, install
// folders created. REQUIRES: flow outlives the options (they refer to it).
ScanOptions splashScanOptions(const FlowState& flow);

}  // namespace quillet
