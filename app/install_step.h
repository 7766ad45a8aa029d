#pragma once

#include "base/message_sink.h"
#include "app/flow_state.h"
#include "hotsync/install_run.h"
#include "settings/app_options.h"

namespace quillet {

// The install run as the main flow starts it and takes its outcome.

// The run's request: the flow's documents and names, and the document built for the
// install (when not saving to a file) to delete when the run ends.
InstallRequest installRequestFor(const FlowState& flow, const AppOptions& options);

// What the flow takes from the run: the user matched last becomes selectedUser and the
// trimmed paths replace installFiles; when no name matched, "No valid users selected" is
// told and quitRequest set. The names are used up, and advanceRequest is raised by 1.
void applyInstallReport(FlowState& flow, const InstallReport& report, const MessageSink& sink);

}  // namespace quillet
