#include "format/doc_builder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "format/byte_order.h"
#include "format/doc_compressor.h"
#include "format/stored_text.h"

// The database is written once, front to back, instead of being rewritten for every record
// as the appender does: the text is read twice, once to count what it stores (which fixes
// the number of records, and so where their data begins), once to compress it record by
// record. The bytes, and what stays behind on each failure, are those the appender gives.

namespace {

constexpr std::size_t kOutputBlock = 64 * 1024;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// The stored text, read twice. A file that cannot be read again from its start (a pipe) is
// held in memory after the first reading instead.
class TwicePassedText {
 public:
  explicit TwicePassedText(std::FILE* file)
      : file_(file), seekable_(std::fseek(file, 0, SEEK_SET) == 0), reader_(file) {}

  // First pass: the number of bytes the text stores, counting no further than limit.
  std::uint64_t count(std::uint64_t limit) {
    std::uint64_t counted = 0;
    unsigned char chunk[kDocRecordSize];
    while (counted < limit) {
      const auto want =
          static_cast<std::size_t>(std::min<std::uint64_t>(limit - counted, sizeof chunk));
      const std::size_t got = reader_.read(chunk, want);
      if (!seekable_) held_.insert(held_.end(), chunk, chunk + got);
      counted += got;
      if (got < want) break;
    }
    return counted;
  }

  // Starts the second pass. False when the text cannot be read again.
  bool restart() {
    if (!seekable_) return true;
    if (std::fseek(file_, 0, SEEK_SET) != 0) return false;
    reader_ = StoredTextReader(file_);
    return true;
  }

  // Second pass: up to limit bytes of the text.
  std::size_t read(unsigned char* out, std::size_t limit) {
    if (seekable_) return reader_.read(out, limit);
    const std::size_t take = std::min(limit, held_.size() - heldAt_);
    if (take > 0) std::memcpy(out, held_.data() + heldAt_, take);
    heldAt_ += take;
    return take;
  }

 private:
  std::FILE* file_;
  bool seekable_;
  StoredTextReader reader_;
  std::vector<unsigned char> held_;
  std::size_t heldAt_ = 0;
};

// Writes through a block of its own, so that records of a few hundred bytes do not each
// cost a call into the stream. Remembers any failure.
class BlockWriter {
 public:
  explicit BlockWriter(std::FILE* file) : file_(file) { block_.reserve(kOutputBlock); }

  void write(const unsigned char* bytes, std::size_t size) {
    if (block_.size() + size > kOutputBlock) flush();
    block_.insert(block_.end(), bytes, bytes + size);
  }
  void flush() {
    if (!block_.empty() && std::fwrite(block_.data(), 1, block_.size(), file_) != block_.size()) {
      failed_ = true;
    }
    block_.clear();
  }
  bool failed() const { return failed_; }

 private:
  std::FILE* file_;
  std::vector<unsigned char> block_;
  bool failed_ = false;
};

std::uint32_t recordsFor(std::uint64_t textBytes) {
  return static_cast<std::uint32_t>((textBytes + kDocRecordSize - 1) / kDocRecordSize);
}

// Second pass: compresses the text record by record, writing the records one after another
// from where out stands, and notes each record's data offset from offsets[0] + 16 on.
// Returns how many text bytes went into the records: fewer than textLength when the text
// no longer reads as it was counted (the records it lacks stay empty).
std::uint32_t writeTextRecords(TwicePassedText& text, BlockWriter& out,
                               std::vector<std::uint32_t>& offsets, std::uint32_t textLength) {
  unsigned char chunk[kDocRecordSize];
  unsigned char packed[2 * kDocRecordSize];
  std::uint32_t position = offsets[0] + kDocRecord0Size;
  std::uint32_t stored = 0;
  bool cut = false;
  for (std::size_t k = 1; k < offsets.size(); ++k) {
    offsets[k] = position;
    const std::size_t length = std::min<std::size_t>(textLength - stored, kDocRecordSize);
    if (cut || text.read(chunk, length) != length) {
      cut = true;
      continue;
    }
    const std::size_t packedSize = compressRecord(packed, chunk, length);
    out.write(packed, packedSize);
    position += static_cast<std::uint32_t>(packedSize);
    stored += static_cast<std::uint32_t>(length);
  }
  return stored;
}

// Everything from the record count to the end of record 0: the count, the record list,
// the gap and record 0 with its final figures.
std::vector<unsigned char> headOfDatabase(const std::vector<std::uint32_t>& offsets,
                                          std::uint32_t textLength) {
  const auto textRecords = static_cast<std::uint32_t>(offsets.size() - 1);
  std::vector<unsigned char> head(2 + kPdbRecordEntrySize * offsets.size() + kPdbGapSize +
                                  kDocRecord0Size);
  unsigned char* at = head.data();
  storeBE16(at, textRecords + 1);
  at += 2;
  for (const std::uint32_t offset : offsets) {
    storeBE32(at, offset);
    storeBE32(at + 4, 0);  // attributes and unique ID
    at += kPdbRecordEntrySize;
  }
  at += kPdbGapSize;  // zero
  storeDocRecord0(
      DocRecord0{kDocCompressionPalmDoc, 0, textLength, static_cast<std::uint16_t>(textRecords),
                 static_cast<std::uint16_t>(kDocRecordSize), 0},
      at);
  return head;
}

}  // namespace

void storeDocRecord0(const DocRecord0& r, unsigned char* out) {
  storeBE16(out, r.compression);
  storeBE16(out + 2, r.spare);
  storeBE32(out + 4, r.textLength);
  storeBE16(out + 8, r.recordCount);
  storeBE16(out + 10, r.recordSize);
  storeBE32(out + 12, r.currentPosition);
}

DocRecord0 parseDocRecord0(const unsigned char* b) {
  return DocRecord0{loadBE16(b),     loadBE16(b + 2),  loadBE32(b + 4),
                    loadBE16(b + 8), loadBE16(b + 10), loadBE32(b + 12)};
}

int buildDoc(const char* textPath, const char* outputPath, char* palmName, bool publicFormat) {
  return buildDocLimited(textPath, outputPath, palmName, publicFormat, kPdbMaxRecords);
}

int buildDocLimited(const char* textPath, const char* outputPath, char* palmName, bool publicFormat,
                    int maxRecords) {
  if (std::strlen(palmName) > kPdbNameSize) palmName[kPdbNameSize] = '\0';
  const char* creator = publicFormat ? kDocPublicCreator : kDocOwnCreator;
  if (createPdb(outputPath, palmName, creator, kDocType) != 0) return kBuildFailed;

  FileHandle textFile(std::fopen(textPath, "rb"));
  if (!textFile) return kBuildNoText;
  // Record 0's entry goes in through the appender, like any record's: whatever keeps the
  // appender from adding it fails the build here just as it would there.
  FileHandle db(appendPdbRecord(outputPath, maxRecords));
  if (!db) return kBuildNoHeaderRecord;

  // Past the ceiling the appender refuses a text record: the text it would hold and
  // everything after it are not stored, and the build fails.
  const int ceiling = std::min(maxRecords, kPdbMaxRecords);
  const std::uint64_t roomForText = std::uint64_t(ceiling - 1) * kDocRecordSize;
  TwicePassedText text(textFile.get());
  const std::uint64_t counted = text.count(roomForText + 1);
  const bool refused = counted > roomForText;
  const auto textLength = static_cast<std::uint32_t>(std::min(counted, roomForText));

  // Record k's data offset; record 0 lies just behind the record list and the gap, and the
  // text records behind it.
  std::vector<std::uint32_t> offsets(recordsFor(textLength) + 1);
  offsets[0] = static_cast<std::uint32_t>(kPdbEmptySize + kPdbRecordEntrySize * offsets.size());
  std::fill(offsets.begin() + 1, offsets.end(), offsets[0] + kDocRecord0Size);  // until written
  bool failed =
      !text.restart() ||
      std::fseek(db.get(), static_cast<long>(offsets[0] + kDocRecord0Size), SEEK_SET) != 0;
  std::uint32_t stored = 0;
  BlockWriter out(db.get());
  if (!failed) {
    stored = writeTextRecords(text, out, offsets, textLength);
    out.flush();
    unsigned char more;
    // The text changed between the two readings: what was stored is not what it holds.
    failed = stored != textLength || (!refused && text.read(&more, 1) != 0);
  }
  const std::vector<unsigned char> head = headOfDatabase(offsets, stored);
  failed = failed || out.failed() || std::fseek(db.get(), kPdbTemplateSize, SEEK_SET) != 0 ||
           std::fwrite(head.data(), 1, head.size(), db.get()) != head.size();
  // Short writes and a failed close are reported, not passed off as a finished database.
  failed = std::fclose(db.release()) != 0 || failed;

  if (failed || refused || stored == 0) return kBuildFailed;
  return kBuildOk;
}
