#include "cli/palm_users.h"

#include <string>

#include "cli/cli_common.h"
#include "hotsync/user_scan.h"
#include "platform/registry.h"

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
  return scanPalmUsers(users, options, standardErrorSink()) == 0;
}
