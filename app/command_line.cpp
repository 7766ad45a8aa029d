#include "app/command_line.h"

namespace quillet {

namespace {

bool isBlankOrTab(char c) { return c == ' ' || c == '\t'; }

bool isWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

std::string readArgument(std::string_view line, std::size_t from) {
  std::size_t at = from;
  while (at < line.size() && isBlankOrTab(line[at])) ++at;
  if (at == line.size()) return {};
  if (line[at] == '"') {
    const std::size_t start = at + 1;
    const std::size_t end = line.find('"', start);
    return std::string(line.substr(start, end == std::string_view::npos ? end : end - start));
  }
  std::size_t end = at;
  while (end < line.size() && !isWhiteSpace(line[end])) ++end;
  return std::string(line.substr(at, end - at));
}

std::vector<std::string> commandLineUserNames(std::string_view line) {
  constexpr std::string_view kUserSwitch = " -u";
  std::vector<std::string> names;
  for (std::size_t found = line.find(kUserSwitch); found != std::string_view::npos;
       found = line.find(kUserSwitch, found + kUserSwitch.size())) {
    names.push_back(readArgument(line, found + kUserSwitch.size()));
  }
  return names;
}

std::optional<std::string_view> lastWord(std::string_view line) {
  const std::size_t blank = line.rfind(' ');
  if (blank == std::string_view::npos) return std::nullopt;
  return line.substr(blank + 1);
}

}  // namespace quillet
