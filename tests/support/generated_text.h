#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Generated inputs shared by the tests and the benchmarks (no GoogleTest here).
namespace quillet::testing_support {

// Deterministic pseudo-random data (xorshift), so failures reproduce.
class TestRandom {
 public:
  explicit TestRandom(std::uint64_t seed) : state_(seed | 1) {}
  std::uint64_t next();
  unsigned below(unsigned bound) { return static_cast<unsigned>(next() % bound); }

 private:
  std::uint64_t state_;
};

// English-like prose with repeated words and line breaks, size bytes long.
std::string proseText(std::size_t size, std::uint64_t seed = 1);

// Texts that stress the compressor's search in different ways. None holds a NUL, a CR or
// a byte 0x1A, so a text file of any of them is stored exactly as it is.
enum class TextKind {
  kProse,         // proseText
  kRandomBytes,   // every other byte value, evenly
  kOneByteRun,    // 'a' throughout
  kSpaces,        // ' ' throughout
  kRepeatAt2047,  // random letters repeating with a period of 2047, the farthest reach
  kRepeatAt2048,  // ... and of 2048, just out of reach
};
inline constexpr TextKind kAllTextKinds[] = {TextKind::kProse,        TextKind::kRandomBytes,
                                             TextKind::kOneByteRun,   TextKind::kSpaces,
                                             TextKind::kRepeatAt2047, TextKind::kRepeatAt2048};

std::string generatedText(TextKind kind, std::size_t size, std::uint64_t seed = 1);
const char* textKindName(TextKind kind);

}  // namespace quillet::testing_support
