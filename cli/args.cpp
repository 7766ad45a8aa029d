#include "cli/args.h"

#include <algorithm>

namespace quillet {

namespace {

const OptionSpec* findLong(const std::vector<OptionSpec>& specs, std::string_view name) {
  for (const auto& option : specs) {
    if (name == option.longName) return &option;
  }
  return nullptr;
}

const OptionSpec* findShort(const std::vector<OptionSpec>& specs, char name) {
  for (const auto& option : specs) {
    if (option.shortName != '\0' && option.shortName == name) return &option;
  }
  return nullptr;
}

}  // namespace

std::string ParsedArgs::value(std::string_view longName, std::string fallback) const {
  const auto found = values.find(longName);
  if (found == values.end() || found->second.empty()) return fallback;
  return found->second.back();
}

const std::vector<std::string>& ParsedArgs::all(std::string_view longName) const {
  static const std::vector<std::string> kNone;
  const auto found = values.find(longName);
  return found == values.end() ? kNone : found->second;
}

bool parseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs,
               ParsedArgs& parsed, std::string& error) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.operands.push_back(arg);  // includes "-", standard input
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const OptionSpec* option = nullptr;
    std::string inlineValue;
    bool hasInlineValue = false;
    std::string shownName;
    if (arg.starts_with("--")) {
      const std::size_t equals = arg.find('=');
      const std::string name =
          arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
      option = findLong(specs, name);
      shownName = "--" + name;
      if (equals != std::string::npos) {
        hasInlineValue = true;
        inlineValue = arg.substr(equals + 1);
      }
    } else {
      option = findShort(specs, arg[1]);
      shownName = arg.substr(0, 2);
      if (arg.size() > 2) {
        hasInlineValue = true;
        inlineValue = arg.substr(2);
      }
    }
    if (option == nullptr) {
      error = "unknown option '" + shownName + "'";
      return false;
    }
    std::vector<std::string>& slot = parsed.values[option->longName];
    if (option->valueName == nullptr) {
      if (hasInlineValue) {
        error = "option '" + shownName + "' takes no value";
        return false;
      }
      slot.emplace_back();
      continue;
    }
    if (hasInlineValue) {
      slot.push_back(inlineValue);
    } else if (i + 1 < args.size()) {
      slot.push_back(args[++i]);
    } else {
      error = "option '" + shownName + "' needs a value (" + option->valueName + ")";
      return false;
    }
  }
  return true;
}

std::string describeOptions(const std::vector<OptionSpec>& specs) {
  std::vector<std::string> heads;
  std::size_t width = 0;
  for (const auto& option : specs) {
    std::string head = option.shortName ? std::string("  -") + option.shortName + ", " : "      ";
    head += "--";
    head += option.longName;
    if (option.valueName) {
      head += ' ';
      head += option.valueName;
    }
    width = std::max(width, head.size());
    heads.push_back(std::move(head));
  }
  std::string text;
  for (std::size_t i = 0; i < specs.size(); ++i) {
    text += heads[i];
    text.append(width + 2 - heads[i].size(), ' ');
    text += specs[i].help;
    text += '\n';
  }
  return text;
}

}  // namespace quillet
