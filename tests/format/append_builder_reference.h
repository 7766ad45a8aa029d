#pragma once

namespace quillet {

// The builder as first written: record 0 and then every text record added through the
// appender, which rewrites the whole database each time; the text read one byte at a time
// through the text-mode reader; records compressed by the scanning compressor. Slow and
// plainly right; the builder must leave the same file and give the same result.
namespace reference {

int buildDocByAppends(const char* textPath, const char* outputPath, char* palmName,
                      bool publicFormat, int maxRecords);

}  // namespace reference

}  // namespace quillet
