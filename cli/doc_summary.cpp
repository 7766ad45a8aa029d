#include "cli/doc_summary.h"

#include <cstdio>

namespace quillet {

std::string describeDocSummary(const DocBuild& build) {
  char line[160];
  const double percent =
      build.textLength ? 100.0 * static_cast<double>(build.databaseSize) /
                             static_cast<double>(build.textLength)
                       : 0.0;
  std::snprintf(line, sizeof line, "%zu text record%s, %zu bytes of text in %zu bytes (%.1f%%)",
                build.textRecords, build.textRecords == 1 ? "" : "s", build.textLength,
                build.databaseSize, percent);
  return line;
}

}  // namespace quillet
