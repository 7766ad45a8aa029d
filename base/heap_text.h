#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>

namespace quillet {

// Text in a block from malloc, so that its owner may grow it with realloc.
struct FreeDeleter {
  void operator()(char* p) const noexcept { std::free(p); }
};
using HeapText = std::unique_ptr<char, FreeDeleter>;

// A block of `bytes` for a whole text (empty when memory runs out). A large one comes from
// the allocator the program names below, if any, else from malloc; either way it is freed
// with free and may grow with realloc.
HeapText allocateText(std::size_t bytes);

// Where large text blocks come from: a function giving a block for free(), or nullptr when
// it cannot (malloc is then used). Programs name one first thing in main, before any
// thread starts; the platform's allocateInLargePages fills a block with few page faults.
using LargeBlockAllocator = char* (*)(std::size_t bytes);
void setLargeBlockAllocator(LargeBlockAllocator allocator);

}  // namespace quillet
