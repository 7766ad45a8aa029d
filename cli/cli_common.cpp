#include "cli/cli_common.h"

#include "base/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <iostream>

namespace quillet {

namespace {

std::string trimLineBreaks(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  return std::string(text);
}

const OptionSpec kHelpOption{'h', "help", nullptr, "show this help and exit"};

}  // namespace

bool parseCommand(const CommandHelp& help, const std::vector<std::string>& args, ParsedArgs& parsed,
                  int& exitCode) {
  std::vector<OptionSpec> specs = help.options;
  specs.push_back(kHelpOption);
  std::string error;
  if (!parseArgs(args, specs, parsed, error)) {
    exitCode = usageError(help, error);
    return false;
  }
  if (parsed.has("help")) {
    std::cout << "Usage: quillet " << help.name << ' ' << help.synopsis << "\n\n"
              << help.description << "\n\nOptions:\n"
              << describeOptions(specs);
    exitCode = kExitOk;
    return false;
  }
  return true;
}

int usageError(const CommandHelp& help, const std::string& reason) {
  std::cerr << "quillet " << help.name << ": " << reason << "\n"
            << "Usage: quillet " << help.name << ' ' << help.synopsis << "\n"
            << "Try 'quillet " << help.name << " --help' for more information.\n";
  return kExitUsage;
}

MessageSink standardErrorSink() {
  return [](std::string_view caption, std::string_view text) {
    std::cerr << caption << ": " << trimLineBreaks(text) << '\n';
  };
}

void printError(const std::string& message) { std::cerr << "quillet: " << message << '\n'; }

bool writeOutput(const std::string& path, const char* bytes, std::size_t size) {
  if (path.empty() || path == "-") {
    std::fwrite(bytes, 1, size, stdout);
    if (std::fflush(stdout) != 0) {
      printError("cannot write to standard output");
      return false;
    }
    return true;
  }
  ScratchFile file(path);
  if (file.stream() == nullptr) {
    printError("cannot create '" + path + "': " + std::strerror(file.error()));
    return false;
  }
  const bool written = std::fwrite(bytes, 1, size, file.stream()) == size;
  if (!written || !file.commit()) {
    printError("cannot write '" + path + "'");
    return false;
  }
  return true;
}

bool readWholeFile(const std::string& path, std::vector<unsigned char>& bytes) {
  const bool standardInput = path == "-";
  std::FILE* file = standardInput ? stdin : std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  unsigned char block[65536];
  std::size_t got;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
    bytes.insert(bytes.end(), block, block + got);
  }
  const bool ok = !std::ferror(file);
  if (!standardInput) std::fclose(file);
  return ok;
}

}  // namespace quillet
