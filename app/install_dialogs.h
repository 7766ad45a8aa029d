#pragma once

#include "settings/app_options.h"
#include "app/flow_state.h"
#include "hotsync/palm_user_list.h"

namespace quillet {

// What the install-time dialogs decide, apart from their windows.

// The user the user selection dialog selects when it opens: the last user whose display
// name equals hotsyncName exactly (case-sensitive), or the first user when none does.
int preselectedUser(const PalmUserList& users, const AppOptions& options);

// The user index that Continue in the user selection dialog takes from the list's
// selection: the selection itself, or the first user when nothing valid is selected (the
// list position is the user's index, because the users are inserted at their positions).
int chosenUser(int listSelection, const PalmUserList& users);

// Cancel in the user selection dialog: deletes the temporary document built for the
// install (when not saving to a file and there is one), then asks the main flow to start
// over.
void cancelUserSelection(const AppOptions& options, FlowState& flow);

// The completion dialog's template: the one that names the written file after saving to
// a file, the one that asks for a HotSync after an install.
int conversionCompleteTemplate(const AppOptions& options);

}  // namespace quillet
