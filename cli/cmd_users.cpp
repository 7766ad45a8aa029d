#include <algorithm>
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/palm_users.h"

namespace quillet {

namespace {

const CommandHelp kHelp{
    "users",
    "[--help]",
    "Lists the HotSync users of the Palm Desktop installation on this PC, as Quillet Maker\n"
    "finds them at start-up: each user's display name, install folder and backup folder,\n"
    "in the order the folder search returns them (at most 25).\n"
    "\n"
    "The Palm folder comes from the registry value\n"
    "HKEY_CURRENT_USER\\Software\\U.S. Robotics\\Pilot Desktop\\Core\\Path, else\n"
    "...\\3Com\\Palm Desktop\\Core\\Path; the install folder's name from HotSync Manager's\n"
    "install conduit, else \"Install\". A user is a folder of the Palm folder that holds\n"
    "the install folder or a \"backup\" folder; display names come from users.dat.\n"
    "Elsewhere than on Windows these values are read from the registry file that\n"
    "'quillet settings' shows, and the Palm folder is a path of this system.\n"
    "\n"
    "Unlike Quillet Maker's scan, this listing changes nothing: a missing install folder\n"
    "is shown but not created. Exits with 1 when no Palm folder is set.",
    {}};

std::string padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

void printUsers(const PalmUserList& users) {
  const char* const headings[] = {"User name", "Install folder", "Backup folder"};
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < users.userCount; ++i) {
    const PalmUser& user = users.entries[i];
    rows.push_back({std::string(fieldText(user.userName)), std::string(fieldText(user.installPath)),
                    std::string(fieldText(user.backupPath))});
  }
  std::size_t widths[2] = {};
  for (std::size_t column = 0; column < 2; ++column) {
    widths[column] = std::char_traits<char>::length(headings[column]);
    for (const auto& row : rows) widths[column] = std::max(widths[column], row[column].size());
  }
  std::string table = padded(headings[0], widths[0]) + "  " + padded(headings[1], widths[1]) +
                      "  " + headings[2] + '\n';
  for (const auto& row : rows) {
    table += padded(row[0], widths[0]) + "  " + padded(row[1], widths[1]) + "  " + row[2] + '\n';
  }
  writeStandardOutput(table);
}

}  // namespace

int runUsersCommand(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  int exitCode = kExitOk;
  if (!parseCommand(kHelp, args, parsed, exitCode)) return exitCode;
  if (!parsed.operands.empty()) return usageError(kHelp, "takes no operands");

  PalmUserList users;
  if (!registryUsable() || !scanPalmUsersForCommand(users, /*createInstallFolders=*/false)) {
    return kExitFailure;
  }
  writeStandardOutput("Palm folder:     " + std::string(fieldText(users.palmFolder)) +
                      "\nInstall folder:  " + std::string(fieldText(users.installFolderName)) +
                      '\n');
  if (users.userCount == 0) {
    writeStandardOutput("\nNo HotSync users found.\n");
  } else {
    writeStandardOutput("\n");
    printUsers(users);
  }
  std::fflush(stdout);
  return kExitOk;
}

}  // namespace quillet
