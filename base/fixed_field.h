#pragma once

#include <cstddef>
#include <string_view>

namespace quillet {

// Fixed-width character fields, as the stored options and the HotSync user list keep them:
// a text followed by a NUL, unless it fills the whole field.

// The field's text: up to its NUL, or the whole field when it has none (a field filled from
// the registry may lack one).
inline std::string_view fieldText(const char* field, std::size_t width) {
  std::size_t length = 0;
  while (length < width && field[length] != '\0') ++length;
  return {field, length};
}

template <std::size_t N>
std::string_view fieldText(const char (&field)[N]) {
  return fieldText(field, N);
}

// Puts text into the field with its NUL, cut to the field's width less one. The bytes after
// the NUL stay as they were (they are stored with the field).
inline void setFieldText(char* field, std::size_t width, std::string_view text) {
  const std::size_t length = text.size() < width ? text.size() : width - 1;
  for (std::size_t i = 0; i < length; ++i) field[i] = text[i];
  field[length] = '\0';
}

template <std::size_t N>
void setFieldText(char (&field)[N], std::string_view text) {
  setFieldText(field, N, text);
}

}  // namespace quillet
