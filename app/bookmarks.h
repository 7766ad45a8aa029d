#pragma once

#include <cstdint>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "format/doc_builder.h"
#include "source/work_text.h"

namespace quillet {

// Bookmarks from a book's own structure: a line that a pattern matches (a chapter's first
// line), or a heading of an HTML page; and keeping a Doc source's bookmarks in place.

// The name a bookmark takes from its line: runs of blanks (space, tab, CR, no-break
// space) made one space, the ends trimmed, then the first 15 characters kept (so a name
// cut there may end in a space).
std::string bookmarkName(std::string_view line);

// One bookmark for each line of the text that `pattern` finds something in, at the line's
// first character, named after it; lines whose name would be empty are left out.
std::vector<Bookmark> bookmarksForLines(std::string_view text, const std::regex& pattern);

// Removes every `marker` byte from the text and returns the offsets, in the text as it is
// afterwards, where they stood.
std::vector<std::uint32_t> takeMarkers(WorkText& text, char marker);

// A bookmark for each heading that begins at one of the offsets, named after the heading:
// the TEXT of a "<HEADER ..." line of doc markup, or the line itself in plain text.
std::vector<Bookmark> headingBookmarks(std::string_view text,
                                       const std::vector<std::uint32_t>& offsets);

// Where places of `before` are in `after`, a copy of it with bytes left out: each offset
// goes to the place of the first byte from it on that is kept.
// REQUIRES: offsets in increasing order.
std::vector<std::uint32_t> followDeletions(std::string_view before, std::string_view after,
                                           const std::vector<std::uint32_t>& offsets);

}  // namespace quillet
