#include "base/heap_text.h"

namespace quillet {

namespace {

// Below this a text fits in a few pages, and the allocator's rounding would cost more than
// the page faults it saves.
constexpr std::size_t kLargeBlock = std::size_t{1} << 21;

LargeBlockAllocator gLargeBlockAllocator = nullptr;

}  // namespace

HeapText allocateText(std::size_t bytes) {
  if (bytes >= kLargeBlock && gLargeBlockAllocator != nullptr) {
    if (char* block = gLargeBlockAllocator(bytes)) return HeapText(block);
  }
  return HeapText(static_cast<char*>(std::malloc(bytes)));
}

void setLargeBlockAllocator(LargeBlockAllocator allocator) { gLargeBlockAllocator = allocator; }

}  // namespace quillet
