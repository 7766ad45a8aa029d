#pragma once

#include <string>
#include <string_view>

namespace quillet {

// The system clipboard's plain text (CF_TEXT on Windows): single-byte ANSI text, taken
// without any character-set conversion.
//
// On POSIX there is no system clipboard: the text lives in the process and is there only
// when a test (or a user-interface backend) has put it there.

// The clipboard's text up to its terminating NUL, when the clipboard can be opened and
// offers plain text; false otherwise (nothing taken).
bool readClipboardText(std::string& text);

// Replaces the clipboard's contents with text. False when the clipboard cannot be had.
bool writeClipboardText(std::string_view text);

// Leaves the clipboard empty.
void emptyClipboard();

}  // namespace quillet
