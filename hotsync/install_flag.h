#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "hotsync/palm_user_list.h"
#include "hotsync/user_scan.h"

namespace quillet {

// HotSync Manager's per-user install flag: the value "Install" followed by the user's
// HotSync number, a REG_DWORD 1 under its key, tells it to look in the user's install
// folder at the next HotSync.

// The user's HotSync number as users.dat stores it: the display name counts where the
// byte before it is its length, the occurrence nearest the start of the file wins (from
// position 5 on), and the number is the signed 16-bit little-endian value five bytes
// before the name. Nothing for an empty name or one that does not occur so.
std::optional<int> findHotsyncNumber(std::string_view usersFile, std::string_view displayName);

// The value path of the flag for HotSync number n: "KEY\HotSync Manager\Install<n>", with
// n in decimal (a negative number keeps its minus sign), KEY being keys.pilotDesktop.
std::string installFlagPath(const PalmDesktopKeys& keys, int hotsyncNumber);

// Sets the install flag of the user whose display name is exactly `userName` in `users`,
// its number read from users.dat in the Palm folder. Returns writeSetting's result, or -1
// without writing when no user has that name, users.dat cannot be read or does not give
// the user's number.
int markUserForInstall(const PalmUserList& users, std::string_view userName,
                       const PalmDesktopKeys& keys = {});

}  // namespace quillet
