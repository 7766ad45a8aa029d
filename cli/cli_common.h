#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/args.h"
#include "base/message_sink.h"

namespace quillet {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// What one subcommand says about itself for --help and usage errors.
struct CommandHelp {
  const char* name;                 // "build"
  const char* synopsis;             // "SOURCE [-o OUT.pdb] [-n NAME] [--public]"
  const char* description;          // paragraphs shown under the synopsis
  std::vector<OptionSpec> options;  // --help is added by parseCommand
};

// Parses a subcommand's words. Returns true when the command should run; otherwise
// exitCode says how to end: 0 after --help, 2 after a usage error (already reported).
bool parseCommand(const CommandHelp& help, const std::vector<std::string>& args, ParsedArgs& parsed,
                  int& exitCode);

// Reports a usage error for the command and returns kExitUsage.
int usageError(const CommandHelp& help, const std::string& reason);

// Prints "CAPTION: TEXT" on standard error (without the text's trailing line breaks).
MessageSink standardErrorSink();

// Prints "quillet: " and the message on standard error.
void printError(const std::string& message);

// Writes bytes to path, or to standard output when path is empty or "-". The file is
// written under a scratch name beside it and moved into place, so a failed write never
// leaves half a file under the name. Reports failures itself.
bool writeOutput(const std::string& path, const char* bytes, std::size_t size);

// Reads a whole file (or standard input for "-"); false when it cannot be read.
bool readWholeFile(const std::string& path, std::vector<unsigned char>& bytes);

}  // namespace quillet
