#include "tests/format/append_builder_reference.h"

#include <cstdio>
#include <cstring>

#include "format/byte_order.h"
#include "format/doc_builder.h"
#include "format/doc_compressor.h"
#include "format/pdb_writer.h"
#include "tests/format/scan_compressor_reference.h"
#include "tests/format/text_mode_reference.h"

namespace quillet {

namespace reference {

namespace {

std::size_t readChunk(TextModeReader& text, unsigned char* chunk, std::size_t limit) {
  std::size_t length = 0;
  while (length < limit) {
    const int c = text.get();
    if (c == EOF) break;
    if (c != 0) chunk[length++] = static_cast<unsigned char>(c);
  }
  return length;
}

bool writeRecordAndClose(std::FILE* file, const unsigned char* bytes, std::size_t size) {
  const bool written = std::fwrite(bytes, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

long record0Offset(std::uint32_t textRecords) {
  return static_cast<long>(kPdbEmptySize + kPdbRecordEntrySize * (textRecords + 1));
}

void fixUpRecord0(const char* outputPath, std::uint32_t textLength, std::uint32_t records) {
  std::FILE* db = std::fopen(outputPath, "r+b");
  if (db == nullptr) return;
  if (std::fseek(db, record0Offset(records) + 4, SEEK_SET) == 0) {
    putBE32(db, textLength);
    putBE16(db, records);
  }
  std::fclose(db);
}

}  // namespace

int buildDocByAppends(const char* textPath, const char* outputPath, char* palmName,
                      bool publicFormat, int maxRecords) {
  if (std::strlen(palmName) > kPdbNameSize) palmName[kPdbNameSize] = '\0';
  const char* creator = publicFormat ? kDocPublicCreator : kDocOwnCreator;
  if (createPdb(outputPath, palmName, creator, kDocType) != 0) return kBuildFailed;

  std::FILE* textFile = std::fopen(textPath, "rb");
  if (textFile == nullptr) return kBuildNoText;
  long size = -1;
  if (std::fseek(textFile, 0, SEEK_END) == 0) size = std::ftell(textFile);
  std::rewind(textFile);
  const auto provisionalLength = static_cast<std::uint32_t>(size < 0 ? 0 : size);

  std::FILE* db = appendPdbRecord(outputPath, maxRecords);
  if (db == nullptr) {
    std::fclose(textFile);
    return kBuildNoHeaderRecord;
  }
  unsigned char record0[kDocRecord0Size];
  storeDocRecord0(DocRecord0{kDocCompressionPalmDoc, 0, provisionalLength,
                             static_cast<std::uint16_t>((provisionalLength + kDocRecordSize - 1) /
                                                        kDocRecordSize),
                             static_cast<std::uint16_t>(kDocRecordSize), 0},
                  record0);
  if (!writeRecordAndClose(db, record0, sizeof record0)) {
    std::fclose(textFile);
    return kBuildNoHeaderRecord;
  }
  int result = kBuildFailed;

  TextModeReader text(textFile);
  unsigned char chunk[kDocRecordSize];
  unsigned char packed[2 * kDocRecordSize];
  std::uint32_t stored = 0;
  std::uint32_t records = 0;
  for (;;) {
    const std::size_t length = readChunk(text, chunk, kDocRecordSize);
    if (length == 0) break;
    db = appendPdbRecord(outputPath, maxRecords);
    if (db == nullptr) {
      result = kBuildFailed;
      break;
    }
    const std::size_t packedSize = compressRecordByScan(packed, chunk, length);
    if (!writeRecordAndClose(db, packed, packedSize)) {
      result = kBuildFailed;
      break;
    }
    result = kBuildOk;
    ++records;
    stored += static_cast<std::uint32_t>(length);
  }
  fixUpRecord0(outputPath, stored, records);
  std::fclose(textFile);
  return result;
}

}  // namespace reference

}  // namespace quillet
