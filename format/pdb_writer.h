#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace quillet {

// Palm database (.pdb) container: a 78-byte header, a list of 8-byte record entries, a
// 2-byte gap, then the records' bytes one after another. Layout: docs/pdb_format.md.

inline constexpr std::size_t kPdbHeaderSize = 78;
inline constexpr std::size_t kPdbTemplateSize = 76;  // the header up to the record count
inline constexpr std::size_t kPdbRecordEntrySize = 8;
inline constexpr std::size_t kPdbGapSize = 2;
inline constexpr std::size_t kPdbEmptySize = kPdbHeaderSize + kPdbGapSize;  // 80
inline constexpr std::size_t kPdbNameSize = 32;
inline constexpr std::uint16_t kPdbBackupAttribute = 0x0008;
inline constexpr std::uint16_t kPdbResourceAttribute = 0x0001;
inline constexpr std::uint32_t kPdbFixedDate = 0x33B8BDA5;
// The record count is read back as a signed 16-bit number, so no database grows beyond
// this many records.
inline constexpr int kPdbMaxRecords = 32767;

// The appender's scratch files are named "$$TEMP$$." and a token of their own, in the
// database's own folder.
inline constexpr char kPdbAppendTempName[] = "$$TEMP$$";

using PdbHeaderTemplate = std::array<unsigned char, kPdbTemplateSize>;

struct PdbHeader {
  char name[kPdbNameSize];  // NUL-terminated unless all 32 bytes are used
  std::uint16_t attributes;
  std::uint16_t version;
  std::uint32_t creationDate;
  std::uint32_t modificationDate;
  std::uint32_t lastBackupDate;
  std::uint32_t modificationNumber;
  std::uint32_t appInfoOffset;
  std::uint32_t sortInfoOffset;
  char type[4];
  char creator[4];
  std::uint32_t uniqueIdSeed;
  std::uint32_t nextRecordListId;
  std::uint16_t recordCount;
};

struct PdbRecordEntry {
  std::uint32_t dataOffset;
  std::uint8_t attributes;
  std::uint32_t uniqueId;  // 24 bits
};

// The fixed 76 bytes every new database starts from: name field 0xFF x 24 then 0x00 x 8,
// backup attribute, the fixed dates, modification number 1; type and creator zero.
PdbHeaderTemplate pdbHeaderTemplate();

// The template with a database's name (at most 32 characters, its NUL behind it when it is
// shorter; the template's fill stays behind the NUL), type and creator (four characters
// each).
PdbHeaderTemplate pdbHeaderBytes(const char* name, const char* creator, const char* type);

PdbHeader parsePdbHeader(const unsigned char* bytes);            // reads kPdbHeaderSize bytes
PdbRecordEntry parsePdbRecordEntry(const unsigned char* bytes);  // reads 8 bytes

// Makes a database with the header and no records (80 bytes). name holds at most 32
// characters (longer names are cut to 32; cutting is the caller's business, this only
// keeps the write inside the name field). type and creator are four characters each.
// Returns 0, or -1 when the file cannot be created or written.
int createPdb(const char* path, const char* name, const char* creator, const char* type);

// Adds one record entry to the database at path and returns the file open for writing at
// its end, where the caller writes the new record's bytes and closes the file. Every old
// record moves 8 bytes further in. The database is moved aside to a scratch file of its
// own in its folder ("$$TEMP$$.<token>", created exclusively, so that builds into one
// folder never meet and no file of the user's is touched) and rewritten from there.
// Returns nullptr, leaving the database exactly as it was, when it cannot be moved aside
// or rewritten, when it is too short to hold its own record list, or when it already holds
// maxRecords records.
std::FILE* appendPdbRecord(const char* path, int maxRecords = kPdbMaxRecords);

}  // namespace quillet
