#include "base/bytes.h"

#include <cstring>

namespace quillet {

std::size_t removeEveryByte(char* text, std::size_t length, char drop) {
  char* found = static_cast<char*>(std::memchr(text, drop, length));
  if (found == nullptr) return length;
  char* out = found;
  const char* in = found + 1;
  const char* const end = text + length;
  while (in < end) {
    const char* next = static_cast<const char*>(std::memchr(in, drop, static_cast<std::size_t>(end - in)));
    const char* stop = next != nullptr ? next : end;
    std::memmove(out, in, static_cast<std::size_t>(stop - in));
    out += stop - in;
    in = stop + 1;
  }
  return static_cast<std::size_t>(out - text);
}

}  // namespace quillet
