#pragma once

#include <string_view>

namespace quillet {

// The kinds of source, as the options store them (the value is the position of the kind
// in the options dialog's list).
inline constexpr int kSourceBlankDoc = 0;
inline constexpr int kSourceTextFile = 1;
inline constexpr int kSourceHtmlFile = 2;
inline constexpr int kSourceDocFile = 3;
inline constexpr int kSourceClipboard = 4;

// The source kind a path's ending names: ".txt"/".text" text, ".htm"/".html" HTML,
// ".prc"/".pdb" Doc, compared without regard to case. Paths of 4 characters or fewer, and
// unknown endings, leave current as it is.
int sourceTypeForPath(std::string_view path, int current);

}  // namespace quillet
