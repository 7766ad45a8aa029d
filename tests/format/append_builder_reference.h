#pragma once

#include <string>
#include <string_view>

namespace quillet::reference {

// The text a Doc stores of a text file's bytes, by the text-mode rules taken one byte at a
// time: CR LF as LF, a lone CR kept, NUL bytes left out, nothing from the first 0x1A on.
std::string storedTextOf(std::string_view file);

// The builder as first written: record 0 and then every text record added through the
// appender, which rewrites the whole database each time; records compressed by the scanning
// compressor. Slow and plainly right; the builder must leave the same file and give the same
// result.
int buildDocByAppends(const char* textPath, const char* outputPath, char* palmName,
                      bool publicFormat, int maxRecords);

}  // namespace quillet::reference
