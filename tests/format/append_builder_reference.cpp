#include "tests/format/append_builder_reference.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "format/byte_order.h"
#include "format/doc_builder.h"
#include "format/pdb_writer.h"
#include "tests/format/scan_compressor_reference.h"

namespace quillet::reference {

std::string storedTextOf(std::string_view file) {
  std::string text;
  for (std::size_t i = 0; i < file.size() && file[i] != '\x1A'; ++i) {
    const bool crOfCrLf = file[i] == '\r' && i + 1 < file.size() && file[i + 1] == '\n';
    if (file[i] != '\0' && !crOfCrLf) text += file[i];
  }
  return text;
}

int buildDocByAppends(const char* textPath, const char* outputPath, char* palmName,
                      bool publicFormat, int maxRecords) {
  const auto append = [&](const unsigned char* bytes, std::size_t size) {
    std::FILE* db = appendPdbRecord(outputPath, maxRecords);
    if (db == nullptr) return false;
    const bool written = std::fwrite(bytes, 1, size, db) == size;
    return std::fclose(db) == 0 && written;
  };
  if (std::strlen(palmName) > 32) palmName[32] = '\0';
  if (createPdb(outputPath, palmName, publicFormat ? "REAd" : "Qvlt", "TEXt") != 0) {
    return kBuildFailed;
  }
  std::FILE* textFile = std::fopen(textPath, "rb");  // open to the end, as the builder keeps it
  if (textFile == nullptr) return kBuildNoText;
  std::string file;
  char block[4096];
  for (std::size_t got; (got = std::fread(block, 1, sizeof block, textFile)) > 0;) {
    file.append(block, got);
  }
  const std::string text = storedTextOf(file);

  // Record 0: compression 2, records of 4096 bytes; the text's figures go in at the end.
  const unsigned char record0[16] = {0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0, 0, 0, 0, 0};
  int result = kBuildNoHeaderRecord;
  if (append(record0, sizeof record0)) {
    result = kBuildFailed;
    unsigned records = 0;
    unsigned char packed[2 * 4096];
    for (; records * 4096 < text.size(); ++records) {
      const std::size_t length = std::min<std::size_t>(text.size() - records * 4096, 4096);
      const auto* chunk = reinterpret_cast<const unsigned char*>(text.data()) + records * 4096;
      result =
          append(packed, compressRecordByScan(packed, chunk, length)) ? kBuildOk : kBuildFailed;
      if (result != kBuildOk) break;
    }
    // Record 0 lies behind the header, the list of records + 1 entries and the gap.
    std::FILE* db = std::fopen(outputPath, "r+b");
    if (db != nullptr && std::fseek(db, long(80 + 8 * (records + 1) + 4), SEEK_SET) == 0) {
      putBE32(db, static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), 4096 * records)));
      putBE16(db, records);
    }
    if (db != nullptr) std::fclose(db);
  }
  std::fclose(textFile);
  return result;
}

}  // namespace quillet::reference
