#pragma once

#include <cstdlib>
#include <memory>

namespace quillet {

// Text in a block from malloc, so that its owner may grow it with realloc.
struct FreeDeleter {
  void operator()(char* p) const noexcept { std::free(p); }
};
using HeapText = std::unique_ptr<char, FreeDeleter>;

}  // namespace quillet
