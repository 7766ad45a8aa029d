#pragma once

#include <cstddef>
#include <cstdint>

#include "format/pdb_writer.h"

// Doc header record (record 0), 16 bytes big-endian:
// compression, spare, textLength, recordCount, recordSize, currentPosition.
struct DocRecord0 {
  std::uint16_t compression;
  std::uint16_t spare;
  std::uint32_t textLength;
  std::uint16_t recordCount;
  std::uint16_t recordSize;
  std::uint32_t currentPosition;
};

inline constexpr std::size_t kDocRecord0Size = 16;
inline constexpr std::uint16_t kDocCompressionPalmDoc = 2;
inline constexpr char kDocType[] = "TEXt";
inline constexpr char kDocPublicCreator[] = "REAd";
inline constexpr char kDocOwnCreator[] = "Qvlt";

void storeDocRecord0(const DocRecord0& record, unsigned char* out16);
DocRecord0 parseDocRecord0(const unsigned char* bytes16);

// Result codes of buildDoc.
inline constexpr int kBuildOk = 0;
inline constexpr int kBuildFailed = -1;          // cannot create; empty text; a record not added
inline constexpr int kBuildNoHeaderRecord = -2;  // record 0 could not be added
inline constexpr int kBuildNoText = -3;          // the text file cannot be opened

// Makes a Doc database at outputPath from the text file at textPath. The text is read by
// the text-mode rules (CR LF in as LF, a lone CR kept, 0x1A ends it); NUL bytes are
// dropped; every 4096 bytes of what is left become one compressed record.
// palmName is cut in place to at most 32 characters and becomes the database name.
// publicFormat selects creator "REAd", else "Qvlt"; the type is "TEXt".
// Whatever the result, the database written so far stays at outputPath: the 80-byte empty
// one after kBuildNoText and kBuildNoHeaderRecord; after a refused text record, the
// records before it with record 0 giving their figures.
// Time grows with the text's length: the database is written once, front to back, and
// the text read twice (held in memory instead when it cannot be read twice, as from a
// pipe). A write that fails (a full disk) makes the result kBuildFailed.
int buildDoc(const char* textPath, const char* outputPath, char* palmName, bool publicFormat);

// buildDoc with a smaller record ceiling: a database never holds more than maxRecords
// records (record 0 included), and the text record that would pass it is refused.
// A ceiling above kPdbMaxRecords counts as kPdbMaxRecords.
int buildDocLimited(const char* textPath, const char* outputPath, char* palmName, bool publicFormat,
                    int maxRecords);
