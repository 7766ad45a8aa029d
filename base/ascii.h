#pragma once

#include <string_view>

namespace quillet {

// ASCII case rules: only the letters A to Z and a to z have another case; every other byte,
// Windows-1252 letters included, stands for itself.

inline constexpr char toLowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

inline constexpr char toUpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
}

inline constexpr bool isAsciiLetter(char c) { return toLowerAscii(c) >= 'a' && toLowerAscii(c) <= 'z'; }

// True when a and b are equal when A-Z and a-z are compared without regard to case.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

// True when text begins (ends) with part, compared the same way.
bool startsWithIgnoringAsciiCase(std::string_view text, std::string_view part);
bool endsWithIgnoringAsciiCase(std::string_view text, std::string_view part);

}  // namespace quillet
