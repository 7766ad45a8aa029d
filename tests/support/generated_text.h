#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Generated inputs shared by the tests and the benchmarks (no GoogleTest here).
namespace testing_support {

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

}  // namespace testing_support
