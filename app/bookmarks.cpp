#include "app/bookmarks.h"

#include <algorithm>

namespace quillet {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\xA0'; }

}  // namespace

std::string bookmarkName(std::string_view line) {
  std::string name;
  for (const char c : line) {
    if (!isBlank(c)) {
      name += c;
    } else if (!name.empty() && name.back() != ' ') {
      name += ' ';
    }
    if (name.size() > kBookmarkNameSize) break;  // enough to cut from, trailing blank or not
  }
  while (!name.empty() && name.back() == ' ') name.pop_back();
  name.resize(std::min(name.size(), kBookmarkNameSize - 1));
  return name;
}

std::vector<Bookmark> bookmarksForLines(std::string_view text, const std::regex& pattern) {
  std::vector<Bookmark> bookmarks;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::string_view line = text.substr(start, end - start);
    if (std::regex_search(line.begin(), line.end(), pattern)) {
      std::string name = bookmarkName(line);
      if (!name.empty()) bookmarks.push_back({std::move(name), static_cast<std::uint32_t>(start)});
    }
    start = end + 1;
  }
  return bookmarks;
}

std::vector<std::uint32_t> takeMarkers(WorkText& text, char marker) {
  std::vector<std::uint32_t> offsets;
  if (!text.hasText() || marker == '\0') return offsets;
  char* bytes = text.buffer.get();
  std::size_t out = 0;
  for (std::int32_t in = 0; in < text.length; ++in) {
    if (bytes[in] == marker) {
      offsets.push_back(static_cast<std::uint32_t>(out));
    } else {
      bytes[out++] = bytes[in];
    }
  }
  setWorkTextLength(text, out);
  return offsets;
}

std::vector<Bookmark> headingBookmarks(std::string_view text,
                                       const std::vector<std::uint32_t>& offsets) {
  constexpr std::string_view kMarkup = "<HEADER ";
  constexpr std::string_view kText = "TEXT=\"";
  std::vector<Bookmark> bookmarks;
  for (const std::uint32_t offset : offsets) {
    if (offset >= text.size()) continue;
    std::string_view line = text.substr(offset, text.find('\n', offset) - offset);
    if (line.starts_with(kMarkup) && line.find(kText) != std::string_view::npos) {
      line.remove_prefix(line.find(kText) + kText.size());
      line = line.substr(0, line.find('"'));
    }
    std::string name = bookmarkName(line);
    if (!name.empty()) bookmarks.push_back({std::move(name), offset});
  }
  return bookmarks;
}

std::vector<std::uint32_t> followDeletions(std::string_view before, std::string_view after,
                                           const std::vector<std::uint32_t>& offsets) {
  // Where each byte of `before` went: the first byte of `after` not yet matched.
  std::vector<std::uint32_t> moved;
  moved.reserve(offsets.size());
  std::size_t kept = 0;
  std::size_t next = 0;  // the next offset to answer
  for (std::size_t i = 0; i <= before.size() && next < offsets.size(); ++i) {
    while (next < offsets.size() && offsets[next] == i) {
      moved.push_back(static_cast<std::uint32_t>(kept));
      ++next;
    }
    if (i < before.size() && kept < after.size() && before[i] == after[kept]) ++kept;
  }
  while (moved.size() < offsets.size()) moved.push_back(static_cast<std::uint32_t>(after.size()));
  return moved;
}

}  // namespace quillet
