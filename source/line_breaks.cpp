#include "source/line_breaks.h"

#include <cstdlib>
#include <cstring>

#include "base/bytes.h"

namespace quillet {

namespace {
constexpr char kCR = '\r';
constexpr char kLF = '\n';

bool isBlank(char c) { return c == ' ' || c == '\t' || c == kLF || c == kCR; }
}  // namespace

namespace {

// The next CR or NUL at or after `from`, or `end`. The two are looked for with memchr, each
// only again once the one found before has been passed.
class SpecialBytes {
 public:
  SpecialBytes(const char* end) : end_(end) {}
  const char* next(const char* from) {
    if (cr_ < from) cr_ = find(from, kCR);
    if (nul_ < from) nul_ = find(from, '\0');
    return cr_ < nul_ ? cr_ : nul_;
  }

 private:
  const char* find(const char* from, char c) const {
    const void* hit = std::memchr(from, c, static_cast<std::size_t>(end_ - from));
    return hit != nullptr ? static_cast<const char*>(hit) : end_;
  }
  const char* end_;
  const char* cr_ = nullptr;
  const char* nul_ = nullptr;
};

}  // namespace

std::size_t normalizeTextFileBytes(char* bytes, std::size_t size) {
  // An LF stays as it is unless a CR stands just before it; so only a CR (which becomes
  // the line end, taking an LF right after it along) and a NUL (which goes) need work.
  const char* const end = bytes + size;
  SpecialBytes special(end);
  char* out = bytes;
  const char* in = bytes;
  while (in < end) {
    const char* stop = special.next(in);
    if (out != in) std::memmove(out, in, static_cast<std::size_t>(stop - in));
    out += stop - in;
    if (stop == end) break;
    in = stop + 1;
    if (*stop == kCR) {
      *out++ = kLF;
      if (in < end && *in == kLF) ++in;
    }
  }
  return static_cast<std::size_t>(out - bytes);
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
  setWorkTextLength(text, removeEveryByte(text.buffer.get(),
                                          static_cast<std::size_t>(text.length), kCR));
}

}  // namespace quillet
