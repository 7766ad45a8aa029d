#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "hotsync/palm_user_list.h"
#include "hotsync/user_scan.h"

namespace quillet {

// The install run: copies documents into the install and backup folders of HotSync users,
// and sets the users' install flags, behind a progress display. The dialog application
// shows it in its progress dialog; `quillet install` prints its statuses.

inline constexpr unsigned kPausePerInstalledFileMilliseconds = 200;
// Room for a status text with its NUL: longer texts are cut to 255 characters.
inline constexpr std::size_t kInstallStatusSize = 256;
inline constexpr char kInstallDoneStatus[] = "Done";

// Why a copy was not made.
enum class CopyProblem {
  kNoDatabaseName,  // the target would be the folder itself: not attempted
  kTargetTooLong,   // the target path would not fit 256 bytes: not attempted
  kCopyFailed,      // the system could not copy the file
};

// A copy the run did not make.
struct FailedCopy {
  std::string from;      // the document
  std::string to;        // the target; empty when it could not be formed
  std::string userName;  // the user it was for
  bool backup = false;   // the backup copy, not the install copy
  CopyProblem problem = CopyProblem::kCopyFailed;
};

// What the run is asked to do.
struct InstallRequest {
  std::vector<std::string> files;      // documents to install, in order
  std::vector<std::string> userNames;  // names to install for, in order
  // A document to delete when the run ends (the temporary one built for the install);
  // empty: none.
  std::string temporaryDocument;
  // Where HotSync Manager's key is (below keys.pilotDesktop). Tests point it elsewhere.
  PalmDesktopKeys keys;
};

// What the run shows while it works. Every callback may be empty: nothing is then shown,
// and the run does not wait.
struct InstallDisplay {
  // Makes the display (not yet shown); false when it cannot be made, and the run then
  // does nothing at all.
  std::function<bool()> open;
  std::function<void(std::uint16_t upper)> setBarRange;  // the bar goes from 0 to upper
  std::function<void(int step)> setBarStep;
  std::function<void()> show;
  std::function<void()> stepBar;
  std::function<void(const char* text)> showStatus;
  std::function<void()> pump;  // drains the message queue, so the display repaints
  std::function<void(unsigned milliseconds)> pause;
  // Told of each name matched to a user, before the user's copies: the user's index.
  std::function<void(int user)> userMatched;
  // Told of each copy not made or failed.
  std::function<void(const FailedCopy& copy)> copyFailed;
};

// What the run did.
struct InstallReport {
  bool displayMissing = false;        // the display could not be made: nothing was done
  int matchedNames = 0;               // names that matched a user, each time counted
  int lastUser = -1;                  // the index of the user matched last
  std::vector<std::string> files;     // the documents as installed (trimmed)
  std::vector<FailedCopy> failedCopies;
};

// Installs every document of the request for every name of it.
//
// The bar goes from 0 to twice the number of documents, in steps of 1, and is stepped once
// per copy, also past its end when there are several users. Each name goes to the first
// user whose display name equals it with A-Z compared without regard to case (other names
// are passed over). Each document path is trimmed (trimInstallPath), named by
// readInstallSource, and copied to its install and backup targets (installTargetPath),
// replacing files there, under the status "Installing 'NAME' to user 'USER'\n\n(TARGET)...",
// followed by a 200 ms pause and the status "Done". After a user's documents,
// markUserForInstall sets the user's flag. Copies of a document named by an empty database
// name, or whose target path would not fit 256 bytes, are not attempted. Afterwards the
// request's temporary document is deleted.
[[nodiscard]] InstallReport runInstall(const PalmUserList& users, const InstallRequest& request,
                                       const InstallDisplay& display);

// "Installing 'NAME' to user 'USER'\n\n(TARGET)...", cut to 255 characters.
std::string installStatusText(std::string_view databaseName, std::string_view userName,
                              std::string_view target);

// The index of the first user whose display name equals `name` when the letters A-Z are
// compared without regard to case (other bytes exactly), or -1.
int findUserIgnoringCase(const PalmUserList& users, std::string_view name);

}  // namespace quillet
