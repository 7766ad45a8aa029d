// quillet: the command-line Palm Doc converter.
#include <cstring>
#include <string>
#include <vector>

#include "base/heap_text.h"
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "platform/console.h"
#include "platform/interrupts.h"
#include "platform/system.h"

#ifndef QUILLET_VERSION
#define QUILLET_VERSION "unknown"
#endif

namespace quillet {
namespace {

struct Command {
  const char* name;
  const char* summary;
  int (*run)(const std::vector<std::string>& args);
};

const Command kCommands[] = {
    {"build", "make a Palm Doc database (.pdb) from a text file", runBuildCommand},
    {"html", "convert an HTML page into the text a Doc is made of", runHtmlCommand},
    {"import", "read a Palm Doc database back into text", runImportCommand},
    {"info", "show a Palm database's header, record list and Doc header", runInfoCommand},
    {"install", "install Palm databases for HotSync users of Palm Desktop", runInstallCommand},
    {"settings", "show Quillet Maker's stored options and where they live", runSettingsCommand},
    {"users", "list the HotSync users of Palm Desktop on this PC", runUsersCommand},
};

std::string overview() {
  std::string text =
      "Usage: quillet COMMAND [ARGS...]\n\n"
      "Quillet Maker's command-line converter: makes Palm Doc e-books (.pdb, type TEXt,\n"
      "PalmDOC-compressed 4096-byte records) and reads them back.\n\nCommands:\n";
  for (const auto& command : kCommands) {
    text += "  " + std::string(command.name) + std::string(10 - std::strlen(command.name), ' ') +
            command.summary + '\n';
  }
  return text +
         "\nOptions:\n  -h, --help     show this help and exit\n"
         "      --version  show the version and exit\n\n"
         "Every command also takes -q/--quiet (nothing but the output and errors) and\n"
         "-v/--verbose (what is being done, on standard error). Exit codes: 0 success, 1 a\n"
         "failure (its reason on standard error), 2 a usage error, 130 interrupted.\n\n"
         "Run 'quillet COMMAND --help' for a command's own options.\n";
}

}  // namespace
}  // namespace quillet

int main(int argc, char** argv) {
  using namespace quillet;
  setCommandLineArguments(argc, argv);
  keepFreedMemoryForReuse();
  setLargeBlockAllocator(allocateInLargePages);
  useBinaryStandardStreams();
  removeScratchFilesOnInterrupt();
  if (argc < 2) {
    writeStandardError(overview());
    return kExitUsage;
  }
  const std::string first = argv[1];
  if (first == "-h" || first == "--help" || first == "help") {
    writeStandardOutput(overview());
    return kExitOk;
  }
  if (first == "--version") {
    writeStandardOutput("quillet " QUILLET_VERSION "\n");
    return kExitOk;
  }
  for (const auto& command : kCommands) {
    if (first == command.name) return command.run(std::vector<std::string>(argv + 2, argv + argc));
  }
  writeStandardError("quillet: unknown command '" + first +
                     "'\nRun 'quillet --help' for the list of commands.\n");
  return kExitUsage;
}
