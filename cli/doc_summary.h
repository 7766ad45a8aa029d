#pragma once

#include <cstdint>
#include <string>

namespace quillet {

// The figures a user wants after a build: text stored, records, file size.
struct DocSummary {
  std::uint32_t textLength = 0;
  unsigned textRecords = 0;
  std::uint64_t fileSize = 0;
};

// Reads them from a Doc database's header and record 0; false when the file has none.
bool summarizeDoc(const std::string& path, DocSummary& summary);

// "12 records, 45678 bytes of text in 23456 bytes (51.4%)"
std::string describeDocSummary(const DocSummary& summary);

}  // namespace quillet
