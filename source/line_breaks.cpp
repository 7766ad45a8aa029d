#include "source/line_breaks.h"

#include <cstdlib>
#include <cstring>

namespace quillet {

namespace {
constexpr char kCR = '\r';
constexpr char kLF = '\n';

bool isBlank(char c) { return c == ' ' || c == '\t' || c == kLF || c == kCR; }
}  // namespace

std::size_t normalizeTextFileBytes(char* bytes, std::size_t size) {
  std::size_t out = 0;
  char previous = '\0';  // the byte read before, also when it was dropped
  for (std::size_t in = 0; in < size; ++in) {
    const char c = bytes[in];
    if (c == kLF && previous == kCR) {
      // the CR has already given this line end
    } else if (c == kCR || c == kLF) {
      bytes[out++] = kLF;
    } else if (c != '\0') {
      bytes[out++] = c;
    }
    previous = c;
  }
  return out;
}

void stripSingleLineBreaks(WorkText& text, bool htmlForm) {
  stripSingleLineBreaks(text, htmlForm, false);
}

void stripSingleLineBreaks(WorkText& text, bool htmlForm, bool joinWithBlank) {
  if (!text.hasText() || text.length <= 1) return;
  char* t = text.buffer.get();
  const auto length = static_cast<std::size_t>(text.length);
  // Each decision looks at the text as it was before this step: the neighbour before the
  // current position is remembered before the write position can overwrite it.
  std::size_t out = 1;
  char before = t[0];
  for (std::size_t i = 1; i < length; ++i) {
    const char c = t[i];
    const char after = t[i + 1];  // the NUL after the last character
    bool keep = true;
    char written = c;
    if (c == kLF) {
      const int lfNeighbours = (before == kLF) + (after == kLF);
      keep = lfNeighbours == 1 || (lfNeighbours == 0 && htmlForm);
      if (!keep && joinWithBlank && lfNeighbours == 0 && !isBlank(before) && after != '\0' &&
          !isBlank(after)) {
        keep = true;
        written = ' ';
      }
    }
    before = c;
    if (keep) t[out++] = written;
  }
  setWorkTextLength(text, out);
}

bool expandLineEnds(WorkText& text) {
  if (!text.hasText()) return true;
  const auto length = static_cast<std::size_t>(text.length);
  std::size_t lineFeeds = 0;
  for (std::size_t i = 0; i < length; ++i) lineFeeds += text.buffer.get()[i] == kLF;
  if (lineFeeds == 0) return true;
  if (length + lineFeeds > kMaxWorkTextLength) return false;
  auto* grown = static_cast<char*>(std::realloc(text.buffer.get(), length + lineFeeds + 1));
  if (grown == nullptr) return false;  // realloc left the old block as it was
  static_cast<void>(text.buffer.release());
  text.buffer.reset(grown);
  // From the end towards the start, so the text is rebuilt in the same block.
  std::size_t write = length + lineFeeds;
  grown[write] = '\0';
  for (std::size_t read = length; read > 0;) {
    const char c = grown[--read];
    grown[--write] = c;
    if (c == kLF) grown[--write] = kCR;
  }
  text.length = static_cast<std::int32_t>(length + lineFeeds);
  return true;
}

void removeCarriageReturns(WorkText& text) {
  if (!text.hasText()) return;
  char* t = text.buffer.get();
  std::size_t out = 0;
  for (std::int32_t i = 0; i < text.length; ++i) {
    if (t[i] != kCR) t[out++] = t[i];
  }
  setWorkTextLength(text, out);
}

}  // namespace quillet
