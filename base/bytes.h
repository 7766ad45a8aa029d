#pragma once

#include <cstddef>

namespace quillet {

// Removes every byte equal to `drop` from text[0 .. length), moving the rest together in
// place, and returns the new length. Stretches without it are found with memchr and moved
// whole, so a text that holds none costs one scan.
std::size_t removeEveryByte(char* text, std::size_t length, char drop);

}  // namespace quillet
