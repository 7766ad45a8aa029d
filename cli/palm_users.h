#pragma once

#include "hotsync/palm_user_list.h"

namespace quillet {

// Whether the registry (on POSIX the registry file) can be read; when not, the reason is
// told on standard error.
bool registryUsable();

// The HotSync users as the commands scan them: without the splash and its pauses, with a
// word on standard error for every user folder left out. False (the reason told) when
// there is no Palm folder to scan.
bool scanPalmUsersForCommand(PalmUserList& users, bool createInstallFolders);

}  // namespace quillet
