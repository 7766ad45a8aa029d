#include "cli/doc_summary.h"

#include <cstdio>
#include <vector>

#include "cli/cli_common.h"
#include "format/byte_order.h"
#include "format/doc_builder.h"
#include "format/pdb_writer.h"

namespace quillet {

bool summarizeDoc(const std::string& path, DocSummary& summary) {
  std::vector<unsigned char> bytes;
  if (!readWholeFile(path, bytes) || bytes.size() < kPdbHeaderSize + kPdbRecordEntrySize) {
    return false;
  }
  const std::uint32_t record0At = loadBE32(&bytes[kPdbHeaderSize]);
  if (loadBE16(&bytes[76]) == 0 || record0At + kDocRecord0Size > bytes.size()) return false;
  const DocRecord0 record0 = parseDocRecord0(&bytes[record0At]);
  summary.textLength = record0.textLength;
  summary.textRecords = record0.recordCount;
  summary.fileSize = bytes.size();
  return true;
}

std::string describeDocSummary(const DocSummary& s) {
  char line[160];
  const double percent =
      s.textLength ? 100.0 * static_cast<double>(s.fileSize) / s.textLength : 0.0;
  std::snprintf(line, sizeof line, "%u text record%s, %lu bytes of text in %llu bytes (%.1f%%)",
                s.textRecords, s.textRecords == 1 ? "" : "s",
                static_cast<unsigned long>(s.textLength),
                static_cast<unsigned long long>(s.fileSize), percent);
  return line;
}

}  // namespace quillet
