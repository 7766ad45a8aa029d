#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "hotsync/palm_user_list.h"

namespace quillet {

// Finding the Palm Desktop installation and its HotSync users: the registry values that
// name the Palm folder and the install folder, the user folders inside the Palm folder,
// and the display names in Palm Desktop's users.dat. Nothing here talks to HotSync
// Manager; the scan only reads, and creates each user's missing install folder.

// The keys below HKEY_CURRENT_USER where Palm Desktop keeps its values. Tests point the
// scan at keys of their own.
struct PalmDesktopKeys {
  const char* pilotDesktop = "Software\\U.S. Robotics\\Pilot Desktop";
  const char* palmDesktop = "Software\\3Com\\Palm Desktop";
};

// What the scan does besides filling the list. The start-up scan shows each step on its
// splash and pauses so that people can read it (app/startup_scan.h); the command line
// shows nothing, waits for nothing and changes nothing.
struct ScanOptions {
  std::function<void(const char* text)> showStatus;  // empty: statuses go nowhere
  std::function<void(unsigned milliseconds)> pause;  // empty: no pauses
  bool createInstallFolders = true;
  // Told of each user folder left out because one of its paths would not fit its
  // 100-byte field (empty: not told).
  std::function<void(std::string_view folderName)> userSkipped;
  PalmDesktopKeys keys;
};

inline constexpr char kDefaultInstallFolderName[] = "Install";
inline constexpr char kBackupFolderName[] = "backup";
inline constexpr char kUsersFileName[] = "users.dat";
inline constexpr unsigned kPausePerUserMilliseconds = 100;

enum class PalmScan {
  kScanned,       // also when the Palm folder holds no users
  kNoPalmFolder,  // no Palm folder path could be read; the list is empty
};

// Fills `users` afresh.
//
// Users are the folders of the Palm folder that hold an entry named like the install
// folder or "backup", in the order the folder search returns them, at most 25. For each
// one the status "Found user 'NAME'" is shown, followed by a 100 ms pause, and its install
// folder is created when missing.
[[nodiscard]] PalmScan scanPalmUsers(PalmUserList& users, const ScanOptions& options);

// Sets entry.userName to the display name users.dat (in palmFolder) gives the user folder
// `folderName`, or to the folder name when users.dat is missing or does not name it.
// Names longer than 49 characters are cut to 49.
void lookupUserName(const char* palmFolder, PalmUser& entry, std::string_view folderName);

// The display name that Palm Desktop's user file stores for a user folder, or an empty
// view when it stores none. The folder name counts where it is preceded by its length
// byte; the occurrence nearest the end of the file wins. The display name ends just
// before that length byte and begins two bytes after the nearest zero byte before it.
// The result points into `usersFile`.
std::string_view findDisplayName(std::string_view usersFile, std::string_view folderName);

// users.dat in the Palm folder.
std::string usersFilePath(std::string_view palmFolder);

// Reads the whole of users.dat in the Palm folder. False when it cannot be read.
bool readUsersFile(std::string_view palmFolder, std::string& bytes);

}  // namespace quillet
