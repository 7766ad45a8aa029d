#include "cli/palm_users.h"

#include <string>

#include "app/messages.h"
#include "cli/cli_common.h"
#include "hotsync/user_scan.h"
#include "platform/registry.h"

namespace quillet {

bool registryUsable() {
  const std::string problem = registryProblem();
  if (problem.empty()) return true;
  printError(problem);
  return false;
}

bool scanPalmUsersForCommand(PalmUserList& users, bool createInstallFolders) {
  ScanOptions options;
  options.createInstallFolders = createInstallFolders;
  options.userSkipped = [](std::string_view folderName) {
    printError("user folder '" + std::string(folderName) +
               "' left out: its install or backup path would be longer than 99 characters");
  };
  if (scanPalmUsers(users, options) == PalmScan::kScanned) return true;
  tell(standardErrorSink(), messages::kPalmFolderMissing);
  return false;
}

}  // namespace quillet
