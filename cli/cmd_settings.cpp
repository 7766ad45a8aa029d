#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "settings/app_options.h"
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "platform/registry.h"

namespace quillet {

namespace {

const CommandHelp kHelp{
    "settings",
    "[--help]",
    "Shows the options Quillet Maker keeps between runs, as the application loads them\n"
    "when its options dialog opens: each registry value, the field it fills, its width\n"
    "in bytes, whether it came from the store or is the default, and its setting.\n"
    "\n"
    "On Windows the options live in the registry key\n"
    "HKEY_CURRENT_USER\\Software\\Corvane Software\\Quillet\\v1.0. Elsewhere that key is\n"
    "kept in a registry file in regedit's REGEDIT4 format, at $QUILLET_REGISTRY, else\n"
    "$XDG_CONFIG_HOME/quillet/registry.reg, else ~/.config/quillet/registry.reg; Windows'\n"
    "regedit can import it. A file that cannot be read is reported and left untouched.",
    {}};

// A text field as people read it: up to its NUL, quoted, odd bytes escaped.
std::string describeText(const unsigned char* field, std::size_t width) {
  const void* nul = std::memchr(field, 0, width);
  const std::size_t length =
      nul != nullptr ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - field)
                     : width;
  std::string text = "\"";
  for (std::size_t i = 0; i < length; ++i) {
    const unsigned char c = field[i];
    if (c == '"' || c == '\\') {
      text += '\\';
      text += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      text += escaped;
    } else {
      text += static_cast<char>(c);  // Windows-1252 bytes pass as they are
    }
  }
  text += '"';
  if (nul == nullptr) text += " (no terminating NUL)";
  return text;
}

std::string describeSetting(const StoredOption& option, const AppOptions& options) {
  const unsigned char* field = option.field(options);
  switch (option.kind) {
    case OptionKind::kText:
      return describeText(field, option.width);
    case OptionKind::kFlag:
      return std::to_string(field[0]) + (field[0] != 0 ? " (on)" : " (off)");
    case OptionKind::kSourceType: {
      const char* name = sourceTypeName(options.sourceType);
      return std::to_string(options.sourceType) + " (" + (name != nullptr ? name : "unknown kind") +
             ")";
    }
  }
  return "";
}

}  // namespace

int runSettingsCommand(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  int exitCode = kExitOk;
  if (!parseCommand(kHelp, args, parsed, exitCode)) return exitCode;
  if (!parsed.operands.empty()) return usageError(kHelp, "takes no operands");

  std::printf("Key:   HKEY_CURRENT_USER\\%s\n", kSettingsKeyPath);
  const std::string file = registryFilePath();
  if (!file.empty()) std::printf("File:  %s\n", file.c_str());

  AppOptions options;
  std::printf("\n%-22s %-16s %5s  %-8s %s\n", "Value", "Field", "Bytes", "From", "Setting");
  for (const StoredOption& option : loadedOptions()) {
    const bool stored = readOption(options, option) == 0;
    std::printf("%-22s %-16s %5u  %-8s %s\n", option.valueName, option.fieldName,
                static_cast<unsigned>(option.width), stored ? "stored" : "default",
                describeSetting(option, options).c_str());
  }
  std::fflush(stdout);

  const std::string problem = registryProblem();
  if (!problem.empty()) {
    printError(problem);
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace quillet
