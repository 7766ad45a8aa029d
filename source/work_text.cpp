#include "source/work_text.h"

#include <cstdlib>
#include <cstring>

namespace quillet {

void releaseWorkText(WorkText& text) {
  text.buffer.reset();
  text.length = 0;
}

bool allocateWorkText(WorkText& text, std::size_t capacity) {
  releaseWorkText(text);
  if (capacity > kMaxWorkTextLength) return false;
  text.buffer = allocateText(capacity + 1);
  if (!text.buffer) return false;
  text.buffer.get()[0] = '\0';
  return true;
}

bool assignWorkText(WorkText& text, std::string_view bytes) {
  if (!allocateWorkText(text, bytes.size())) return false;
  if (!bytes.empty()) std::memcpy(text.buffer.get(), bytes.data(), bytes.size());
  setWorkTextLength(text, bytes.size());
  return true;
}

void setWorkTextLength(WorkText& text, std::size_t length) {
  text.length = static_cast<std::int32_t>(length);
  text.buffer.get()[length] = '\0';
}

}  // namespace quillet
