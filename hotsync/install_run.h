#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "app/app_options.h"
#include "app/flow_state.h"
#include "format/message_sink.h"
#include "hotsync/palm_user_list.h"
#include "hotsync/user_scan.h"

// The install run: copies the documents to install into the install and backup folders
// of each chosen HotSync user, and sets the users' install flags, behind a progress
// display. The dialog application shows it in its progress dialog
// (app/win32/install_run_win32.h); `quillet install` prints its statuses.

inline constexpr unsigned kPausePerInstalledFileMilliseconds = 200;
// Room for a status text with its NUL: longer texts are cut to 255 characters.
inline constexpr std::size_t kInstallStatusSize = 256;
inline constexpr char kInstallErrorCaption[] = "Install Error";
inline constexpr char kNoValidUsersText[] = "No valid users selected";
// Said before the install when the scan found no HotSync user at all.
inline constexpr char kNoPalmUsersText[] = "No valid Palm users found on this PC";
inline constexpr char kInstallDoneStatus[] = "Done";
// What runInstall returns when its progress display cannot be created.
inline constexpr int kInstallProgressMissing = -2;

// Why a copy was not made.
enum class CopyProblem {
  kNoDatabaseName,  // the target would be the folder itself: not attempted
  kTargetTooLong,   // the target path would not fit 256 bytes: not attempted
  kCopyFailed,      // the system could not copy the file
};

// A copy the run did not make.
struct FailedCopy {
  std::string_view from;      // the document
  std::string_view to;        // the target; empty when it could not be formed
  std::string_view userName;  // the user it was for
  bool backup;                // the backup copy, not the install copy
  CopyProblem problem;
};

// What the run shows and where it writes, besides the copies. Every callback may be
// empty: nothing is then shown, and the run does not wait.
struct InstallOptions {
  // Creates the progress display, not yet shown; null when it cannot be created. Empty:
  // there is none to create, and the current dialog stays as it is.
  std::function<DialogHandle()> createProgress;
  std::function<void(std::uint16_t upper)> setBarRange;  // the bar goes from 0 to upper
  std::function<void(int step)> setBarStep;
  std::function<void()> showProgress;
  std::function<void()> stepBar;
  std::function<void(const char* text)> showStatus;
  std::function<void()> pump;  // drains the message queue, so the display repaints
  std::function<void(unsigned milliseconds)> pause;
  // Told of each copy not made or failed. The dialog application says nothing of them.
  std::function<void(const FailedCopy& copy)> copyFailed;
  // Where HotSync Manager's key is (below keys.pilotDesktop) and the options' key, which
  // receives hotsyncName. Tests point both at keys of their own.
  PalmDesktopKeys keys;
  const char* settingsKey = kSettingsKeyPath;
};

// Installs every document of flow.installFiles for every name of flow.commandLineUsers.
//
// It creates the progress display and makes it the current dialog; when it cannot be
// created, the run returns kInstallProgressMissing at once and changes nothing. The bar
// goes from 0 to twice the number of documents, in steps of 1, and is stepped once per
// copy, also past its end when there are several users. Each chosen name goes to the
// first user whose display name equals it with A-Z compared without regard to case
// (other names are passed over); that user becomes flow.selectedUser, and
// options.hotsyncName is set to the list's spelling and stored before the copies. Each
// document path is trimmed in place (trimInstallPath), named by readInstallSource, and
// copied to its install and backup targets (installTargetPath), replacing files there,
// under the status "Installing 'NAME' to user 'USER'\n\n(TARGET)...", followed by a 200 ms
// pause and the status "Done". After a user's documents, markUserForInstall sets the
// user's flag. Copies of a document named by an empty database name, or whose target path
// would not fit 256 bytes, are not attempted.
//
// Afterwards options.outputPath is deleted when options.saveToFile is 0 and it is not
// empty (the temporary document built for the install). When no name matched,
// "No valid users selected" goes to `messages` under "Install Error" and
// flow.quitRequest is set. Then flow.commandLineUsers is emptied and flow.advanceRequest
// raised by 1; the progress display stays the current dialog. Returns how many names
// matched a user, each time counted.
int runInstall(const PalmUserList& users, FlowState& flow, AppOptions& options,
               const InstallOptions& install, const MessageSink& messages);

// "Installing 'NAME' to user 'USER'\n\n(TARGET)...", cut to 255 characters.
std::string installStatusText(std::string_view databaseName, std::string_view userName,
                              std::string_view target);

// The index of the first user whose display name equals `name` when the letters A-Z are
// compared without regard to case (other bytes exactly), or -1.
int findUserIgnoringCase(const PalmUserList& users, std::string_view name);
