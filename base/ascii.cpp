#include "base/ascii.h"

namespace quillet {

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (toLowerAscii(a[i]) != toLowerAscii(b[i])) return false;
  }
  return true;
}

bool startsWithIgnoringAsciiCase(std::string_view text, std::string_view part) {
  return text.size() >= part.size() && equalsIgnoringAsciiCase(text.substr(0, part.size()), part);
}

bool endsWithIgnoringAsciiCase(std::string_view text, std::string_view part) {
  return text.size() >= part.size() &&
         equalsIgnoringAsciiCase(text.substr(text.size() - part.size()), part);
}

}  // namespace quillet
