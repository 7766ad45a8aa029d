#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/thread_pool.h"
#include "format/pdb_writer.h"

namespace quillet {

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

// ---- In memory: a text in, a database's bytes out -------------------------------------

// A place in the text that readers on the handheld list by name. Stored as a record of
// its own after the text records: the name in 16 bytes (at most 15 characters, then NUL
// bytes), then the offset into the text, 32 bits big-endian.
struct Bookmark {
  std::string name;           // Windows-1252; at most its first 15 bytes are stored
  std::uint32_t offset = 0;   // of the first character of the line it marks
};
inline constexpr std::size_t kBookmarkRecordSize = 20;
inline constexpr std::size_t kBookmarkNameSize = 16;

// What one database is made with.
struct DocOptions {
  std::string_view name;      // the database name; at most its first 32 bytes are stored
  bool publicFormat = false;  // creator "REAd", else "Qvlt"; the type is always "TEXt"
  int maxRecords = kPdbMaxRecords;  // record 0 included; above kPdbMaxRecords counts as that
  // Each record is decoded again as soon as it is compressed and compared with its text;
  // a record that would read back wrong fails the build instead of reaching the book.
  bool verify = true;
  // Threads to compress records on, side by side; null: the calling thread alone. The
  // database is the same, byte for byte, whatever the number of threads.
  ThreadPool* pool = nullptr;
  // Told after each batch of records: how many are written, of how many.
  std::function<void(std::size_t written, std::size_t total)> progress;
  // Written after the text records, in the order of their offsets. Record 0 counts the
  // text records only, so readers that know no bookmarks read the text as ever.
  std::vector<Bookmark> bookmarks;
};

// For tests only: called on each compressed record before it is checked and written, to
// show that the check catches a record that comes out wrong. Empty: nothing is called.
using RecordTamper = std::function<void(std::size_t record, unsigned char* packed, std::size_t size)>;
void setRecordTamperForTests(RecordTamper tamper);

enum class DocBuildStatus {
  kBuilt,
  kEmptyText,        // no text record: the database holds record 0 only
  kTooManyRecords,   // the text needs more records than allowed; those that fit are written
  kWriteFailed,      // the sink refused a write
  kVerifyFailed,     // a record did not decode to its text; the database is not whole
  kTooManyBookmarks, // the text records and the bookmarks pass the record limit: nothing written
};

struct DocBuild {
  DocBuildStatus status = DocBuildStatus::kBuilt;
  std::size_t textRecords = 0;  // records after record 0 (written, or that would have been)
  std::size_t failedRecord = 0;  // kVerifyFailed: the record that read back wrong (1 on)
  std::size_t textLength = 0;    // bytes of text stored
  std::size_t databaseSize = 0;  // bytes of the whole database written
};

// Where a database's bytes go: appended front to back, and once rewritten where the head
// stands, when the record sizes are known.
class DocSink {
 public:
  virtual ~DocSink() = default;
  virtual bool append(const unsigned char* bytes, std::size_t size) = 0;
  // REQUIRES: offset + size <= the bytes appended so far.
  virtual bool rewrite(std::size_t offset, const unsigned char* bytes, std::size_t size) = 0;
};

// A database held in memory.
class MemoryDocSink final : public DocSink {
 public:
  explicit MemoryDocSink(std::vector<unsigned char>& bytes) : bytes_(bytes) {}
  bool append(const unsigned char* bytes, std::size_t size) override;
  bool rewrite(std::size_t offset, const unsigned char* bytes, std::size_t size) override;

 private:
  std::vector<unsigned char>& bytes_;
};

// A database written into an open binary file from its current position (which becomes
// the database's offset 0); the file must allow seeking back there. Writes go through a
// block of its own, so records of a few hundred bytes do not each cost a call.
class FileDocSink final : public DocSink {
 public:
  explicit FileDocSink(std::FILE* file);
  ~FileDocSink() override;
  bool append(const unsigned char* bytes, std::size_t size) override;
  bool rewrite(std::size_t offset, const unsigned char* bytes, std::size_t size) override;
  // Hands every byte to the file. False once any write has failed.
  bool flush();
  // The errno of the first write that failed, else 0.
  int error() const { return error_; }

 private:
  bool fail();

  std::FILE* file_;
  long start_;
  std::vector<unsigned char> block_;
  bool failed_ = false;
  int error_ = 0;
};

// Writes the Doc database of `text` to `sink`: the header, record 0, and the text cut into
// records of 4096 bytes, each compressed on its own. The text is stored byte for byte (see
// toStoredText for what a text file or a working text stores). Unless a write failed or a
// record failed its check, the sink holds a whole database whose record 0 gives the
// figures of the records it holds.
[[nodiscard]] DocBuild writeDoc(std::string_view text, const DocOptions& options, DocSink& sink);

// writeDoc into `database` (replacing what it held).
[[nodiscard]] DocBuild buildDocBytes(std::string_view text, const DocOptions& options,
                                     std::vector<unsigned char>& database);

// What a Doc stores of a text that reaches the builder through a build file: the text up to
// its first byte 0x1A, without its NUL bytes. Works in place; returns the new length.
std::size_t toStoredText(char* text, std::size_t length);

// ---- From a text file to a database file ----------------------------------------------

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
// records before it with record 0 giving their figures. A write that fails (a full disk)
// makes the result kBuildFailed. Each record is checked as it is made (DocOptions::verify);
// a record that would read back wrong makes the result kBuildFailed and removes the
// database, which would otherwise look whole.
int buildDoc(const char* textPath, const char* outputPath, char* palmName, bool publicFormat);

// buildDoc with a smaller record ceiling: a database never holds more than maxRecords
// records (record 0 included), and the text record that would pass it is refused.
// A ceiling above kPdbMaxRecords counts as kPdbMaxRecords.
int buildDocLimited(const char* textPath, const char* outputPath, char* palmName, bool publicFormat,
                    int maxRecords);

}  // namespace quillet
