#pragma once

#include <cstddef>
#include <cstdio>

namespace quillet {

// The program's text files are written with every LF stored as CR LF, the same on every
// platform (never through the C library's text mode). The builder reads them back by the
// matching rules (format/stored_text.h).

// Writes size bytes to a file opened in binary mode with every LF stored as CR LF.
// Returns false when a write failed.
bool writeTextMode(std::FILE* file, const char* text, std::size_t size);

}  // namespace quillet
