#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillet {

// The decisions the options and preview dialogs make, apart from the windows.

// The program's own pseudo-random numbers for document names: a 32-bit state that starts
// at 1 and is never seeded from anything else, so the names a run makes are always the
// same ones: New Doc 0041, New Doc 8467, New Doc 6334, ...
class DocNameGenerator {
 public:
  // The next number, 0 to 32767: bits 16 to 30 of state * 214013 + 2531011.
  int next();
  // "New Doc %04ld" with the next number modulo 10000.
  std::string nextName();

 private:
  std::uint32_t state_ = 1;
};

// The source kind after the user picked `path` with Browse: by the path's ending when it
// has more than 4 characters (an unknown ending leaves `current`), and then a blank
// document becomes a text file. Shorter paths change nothing.
int sourceTypeAfterBrowse(std::string_view path, int current);

// The open dialog's first filter for the kind selected in the list: 2 (HTML files) for an
// HTML file, 3 (Palm files) for a Doc, 1 (text files) otherwise.
int browseFilterIndex(int selectedSourceType);

// The preview shows and edits texts below this many bytes (CR LF counting two); longer
// texts are shown only in part, read-only, and built whole.
inline constexpr std::int32_t kPreviewLimit = 30000;
inline bool previewIsEditable(std::int32_t length) { return length < kPreviewLimit; }

// Cuts a document name to the 32 characters a database name holds.
void cutPalmName(char* palmName);

}  // namespace quillet
