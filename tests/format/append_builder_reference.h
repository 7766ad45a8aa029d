#pragma once

#include <string>
#include <string_view>

namespace quillet::reference {

// The text a Doc stores of a text file: CR LF read as LF, NULs left out, ended by a 0x1A.
std::string storedTextOf(std::string_view file);

// The builder as first written: record 0, then each text record, added by the appender
// and compressed by the scanning compressor. Slow and plainly right.
int buildDocByAppends(const char* textPath, const char* outputPath, char* palmName,
                      bool publicFormat, int maxRecords);

}  // namespace quillet::reference
