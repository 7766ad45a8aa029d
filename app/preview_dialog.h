#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "source/work_text.h"

namespace quillet {

// What the preview dialog does, apart from its window. The working text it is given has
// CR LF line ends, and its length counts them: previewIsEditable (app/options_rules.h)
// decides whether the text is edited or only previewed.

// The explanation line above the text: the editable one, or the longer one that says
// only the beginning is shown.
const char* previewExplanation(std::int32_t length);

// The part of the text the field shows: all of it when editable, otherwise its first
// kPreviewLimit bytes. The text itself is not changed.
std::string_view shownPreviewText(const WorkText& text);

// What "Save to File..." writes. An editable text is saved as the field holds it, edits
// included, so that the file is what Continue would build: every CR dropped and every
// line end written as CR LF. A text too long to edit is saved whole, as the working text
// holds it. REQUIRES: fieldText is given when the text is editable.
std::string previewFileText(const WorkText& text, std::optional<std::string_view> fieldText);

// Writes bytes to a new file at path (binary, replacing a file that is there). False when
// the file cannot be created or written; a file that could not be written whole is
// deleted, so that no part of a text is left looking like the whole.
bool writeWholeFile(const char* path, std::string_view bytes);

}  // namespace quillet
