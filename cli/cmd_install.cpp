#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/flow_state.h"
#include "app/messages.h"
#include "base/file_handle.h"
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/palm_users.h"
#include "hotsync/install_run.h"
#include "hotsync/install_target.h"
#include "hotsync/user_scan.h"
#include "settings/app_options.h"

namespace quillet {

namespace {

const CommandHelp kHelp{
    "install",
    "DOC... -u NAME [-u NAME]...",
    "Installs Palm databases for HotSync users of the Palm Desktop installation on this PC,\n"
    "as Quillet Maker installs a document it has made: each DOC is copied into each named\n"
    "user's install folder, where the next HotSync picks it up, and into the user's backup\n"
    "folder, replacing a file of the same name; then HotSync Manager's install flag is set\n"
    "for the user. Each copy's status is printed. The DOCs themselves stay where they are.\n"
    "\n"
    "NAME is a user's display name as 'quillet users' lists it; the letters A-Z match in\n"
    "either case, and a name given twice installs twice. A copy is named after the\n"
    "database name inside DOC, blanks and characters that file names cannot hold made\n"
    "underscores, with .prc for a resource database and .pdb otherwise.\n"
    "\n"
    "The users are found as Quillet Maker finds them at start-up (see 'quillet users'),\n"
    "and, as there, a user's missing install folder is created. The last user installed to\n"
    "is stored as the one Quillet Maker's user selection offers first.\n"
    "\n"
    "At most 9 DOCs and 25 names. Exit code 0 when a NAME matched a user and every copy was\n"
    "made; 1 when no NAME matched (\"Install Error: No valid users selected\"), a DOC\n"
    "cannot be read, or a copy failed.",
    {
        {'u', "user", "NAME", "a HotSync user to install for (repeat for more users)"},
    }};

// The run's request from the command line; a usage error leaves reason set. The limits
// are those of the application's slots.
bool makeRequest(const ParsedArgs& parsed, InstallRequest& request, std::string& reason) {
  const std::vector<std::string>& documents = parsed.operands;
  const std::vector<std::string>& names = parsed.all("user");
  if (documents.empty())
    reason = "no DOC to install";
  else if (names.empty())
    reason = "no user named: give -u NAME";
  else if (documents.size() > kInstallFilesMax)
    reason = "at most 9 DOCs at a time";
  else if (names.size() > kCommandLineUsersMax)
    reason = "at most 25 names at a time";
  for (const std::string& document : documents) {
    if (reason.empty() && document.size() >= kInstallPathSlot) {
      reason = "DOC path longer than 259 characters: " + document;
    }
  }
  for (const std::string& name : names) {
    if (reason.empty() && name.size() >= kUserNameSlot) {
      reason = "user name longer than 99 characters: " + name;
    }
  }
  request.files = documents;
  request.userNames = names;
  return reason.empty();
}

// Every DOC must be readable before anything is installed, named as the run will trim
// them.
bool documentsReadable(const InstallRequest& request) {
  for (const std::string& document : request.files) {
    const std::string path = trimmedInstallPath(document);
    if (!openFile(path.c_str(), "rb")) {
      printError("cannot read '" + path + "': " + std::strerror(errno));
      return false;
    }
  }
  return true;
}

void warnOfUnknownNames(const InstallRequest& request, const PalmUserList& users) {
  for (const std::string& name : request.userNames) {
    if (findUserIgnoringCase(users, name) < 0) {
      printError("no HotSync user named '" + name + "'");
    }
  }
}

// Built by appending: MinGW's GCC 12 warns falsely about chains of string additions.
std::string describeFailure(const FailedCopy& copy) {
  std::string text;
  if (copy.problem == CopyProblem::kCopyFailed) {
    text.append("cannot copy '").append(copy.from).append("' to '").append(copy.to).append("'");
    return text;
  }
  text.append("'").append(copy.from).append("' was not copied to user '").append(copy.userName);
  text.append("''s ").append(copy.backup ? "backup" : "install").append(" folder: ");
  text.append(copy.problem == CopyProblem::kNoDatabaseName
                  ? "its database name is empty"
                  : "the path there would be longer than 255 characters");
  return text;
}

}  // namespace

int runInstallCommand(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  int exitCode = kExitOk;
  if (!parseCommand(kHelp, args, parsed, exitCode)) return exitCode;
  InstallRequest request;  // no temporary document: the DOCs are the user's own and stay
  std::string reason;
  if (!makeRequest(parsed, request, reason)) return usageError(kHelp, reason);

  if (!registryUsable() || !documentsReadable(request)) return kExitFailure;

  // The application's scan creates missing install folders; a copy into one would fail.
  PalmUserList users;
  if (!scanPalmUsersForCommand(users, /*createInstallFolders=*/true)) return kExitFailure;
  const MessageSink sink = standardErrorSink();
  if (users.userCount == 0) tell(sink, messages::kNoPalmUsers);
  warnOfUnknownNames(request, users);

  InstallDisplay display;
  if (!Talk(parsed).quiet) {
    display.showStatus = [](const char* text) {
      writeStandardOutput(std::string(text) + '\n');
      std::fflush(stdout);
    };
  }
  display.copyFailed = [](const FailedCopy& copy) { printError(describeFailure(copy)); };
  // As in the application, the user installed to last is the one its user selection
  // offers first.
  display.userMatched = [&users](int user) {
    AppOptions stored;
    rememberHotsyncUser(stored, fieldText(users.entries[user].userName));
  };
  const InstallReport report = runInstall(users, request, display);
  if (report.matchedNames == 0) tell(sink, messages::kNoValidUsers);
  return report.matchedNames > 0 && report.failedCopies.empty() ? kExitOk : kExitFailure;
}

}  // namespace quillet
