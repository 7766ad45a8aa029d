#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// What the application takes from its command line (the whole line, program path
// included, as the platform gives it).

// Reads one argument starting at `from`: blanks and tabs are skipped; a double quote
// starts a quoted argument that runs to the next double quote or the end of the line
// (the quotes are not kept); otherwise the argument runs to the next white space
// (blank, tab, CR, LF, vertical tab, form feed). Nothing left gives an empty argument.
std::string readArgument(std::string_view line, std::size_t from);

// The HotSync user names given with -u: every occurrence of blank, hyphen, small u, from
// the left and inside quoted text too, starts an argument right after the u; the next
// search starts right after that u. "-u" at the very end gives one empty name; "-U" is
// not recognised. Any text that holds " -u" (a folder name, say) also yields a name.
std::vector<std::string> commandLineUserNames(std::string_view line);

// The text after the line's last blank, to the end of the line: where the options dialog
// looks for a source file. None when the line has no blank.
std::optional<std::string_view> lastWord(std::string_view line);

}  // namespace quillet
