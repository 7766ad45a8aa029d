#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// A small getopt-style parser: "-o X", "-oX", "--output X", "--output=X", flags, and "--"
// to end the options. Options may come before, between or after the operands.

struct OptionSpec {
  char shortName;         // '\0' when there is none
  const char* longName;   // without the leading "--"
  const char* valueName;  // nullptr for a flag
  const char* help;
};

struct ParsedArgs {
  std::vector<std::string> operands;
  std::map<std::string, std::vector<std::string>, std::less<>> values;  // by long name

  bool has(std::string_view longName) const { return values.find(longName) != values.end(); }
  // The last value given for the option, or fallback.
  std::string value(std::string_view longName, std::string fallback = {}) const;
  const std::vector<std::string>& all(std::string_view longName) const;
};

// Parses args (the words after the subcommand). On a usage error returns false and
// sets error to a one-line reason.
bool parseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs,
               ParsedArgs& parsed, std::string& error);

// The option list for --help, one option per line.
std::string describeOptions(const std::vector<OptionSpec>& specs);

}  // namespace quillet
