#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/heap_text.h"

namespace quillet {

// The working text between the source and the builder: one heap block of 8-bit
// characters followed by a NUL, and its length. Line ends are single LFs, except while
// the preview holds the text (CR LF). Exactly one exists, owned by the main flow.
struct WorkText {
  HeapText buffer;          // malloc'd; empty when there is no text
  std::int32_t length = 0;  // characters before the NUL

  bool hasText() const { return buffer != nullptr; }
  std::string_view view() const {
    return buffer ? std::string_view(buffer.get(), static_cast<std::size_t>(length))
                  : std::string_view();
  }
};

// The largest text the working text holds (its length is a signed 32-bit number).
inline constexpr std::size_t kMaxWorkTextLength = 0x7FFFFFFE;

// Frees the block; no text afterwards.
void releaseWorkText(WorkText& text);

// Replaces the text with a fresh block of capacity + 1 bytes (length 0, NUL first).
// False, with no text left, when the block cannot be had.
bool allocateWorkText(WorkText& text, std::size_t capacity);

// Sets the text to a copy of bytes. False, with no text left, when it cannot be held.
bool assignWorkText(WorkText& text, std::string_view bytes);

// Ends the text after length characters.
void setWorkTextLength(WorkText& text, std::size_t length);

}  // namespace quillet
