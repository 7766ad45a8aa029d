#include "format/byte_order.h"

namespace quillet {

void putBE16(std::FILE* file, std::uint32_t value) {
  std::putc(static_cast<unsigned char>(value >> 8), file);
  std::putc(static_cast<unsigned char>(value), file);
}

void putBE32(std::FILE* file, std::uint32_t value) {
  putBE16(file, value >> 16);
  putBE16(file, value);
}

std::uint16_t getBE16(std::FILE* file) {
  // EOF (-1) converts to 0xFF per byte, so a truncated file reads as all-ones rather
  // than as a plausible small number.
  const auto high = static_cast<unsigned char>(std::getc(file));
  const auto low = static_cast<unsigned char>(std::getc(file));
  return static_cast<std::uint16_t>((high << 8) | low);
}

std::uint32_t getBE32(std::FILE* file) {
  const std::uint32_t high = getBE16(file);
  return (high << 16) | getBE16(file);
}

}  // namespace quillet
