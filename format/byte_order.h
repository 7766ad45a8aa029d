#pragma once

#include <cstdint>
#include <cstdio>

namespace quillet {

// Big-endian numbers, as every multi-byte number in a Palm database is stored.

// Stream forms: single bytes through the buffered stream; errors are not checked here
// (callers check the stream once, when they close it).
void putBE16(std::FILE* file, std::uint32_t value);  // writes the low 16 bits
void putBE32(std::FILE* file, std::uint32_t value);
std::uint16_t getBE16(std::FILE* file);  // a byte past the end reads as 0xFF
std::uint32_t getBE32(std::FILE* file);

// Memory forms, for headers held in a byte array.
inline void storeBE16(unsigned char* at, std::uint32_t value) {
  at[0] = static_cast<unsigned char>(value >> 8);
  at[1] = static_cast<unsigned char>(value);
}
inline void storeBE32(unsigned char* at, std::uint32_t value) {
  at[0] = static_cast<unsigned char>(value >> 24);
  at[1] = static_cast<unsigned char>(value >> 16);
  at[2] = static_cast<unsigned char>(value >> 8);
  at[3] = static_cast<unsigned char>(value);
}
inline std::uint16_t loadBE16(const unsigned char* at) {
  return static_cast<std::uint16_t>((at[0] << 8) | at[1]);
}
inline std::uint32_t loadBE32(const unsigned char* at) {
  return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) | (std::uint32_t{at[2]} << 8) |
         std::uint32_t{at[3]};
}

}  // namespace quillet
