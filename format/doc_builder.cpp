#include "format/doc_builder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <string>

#include "base/bytes.h"
#include "base/file_handle.h"
#include "base/file_io.h"
#include "format/byte_order.h"
#include "format/doc_compressor.h"
#include "format/doc_importer.h"
#include "format/stored_text.h"

// The database is written once, front to back: the text's length fixes the number of
// records, and so where their data begins; the records follow one another, and the head
// (record count, record list, record 0) is written again at the end with the offsets the
// compressed records gave. The bytes, and what stays behind on each failure of the
// file-based build, are those that adding one record after another with the appender gives.

namespace quillet {

namespace {

constexpr std::size_t kOutputBlock = 64 * 1024;

std::size_t recordsFor(std::size_t textBytes) {
  return (textBytes + kDocRecordSize - 1) / kDocRecordSize;
}

// Everything from the record count to the end of record 0: the count, the record list,
// the gap and record 0.
std::vector<unsigned char> headAfterTemplate(const std::vector<std::uint32_t>& offsets,
                                             std::size_t textRecordCount,
                                             std::uint32_t textLength) {
  const auto textRecords = static_cast<std::uint32_t>(textRecordCount);
  std::vector<unsigned char> head(2 + kPdbRecordEntrySize * offsets.size() + kPdbGapSize +
                                  kDocRecord0Size);
  unsigned char* at = head.data();
  storeBE16(at, static_cast<std::uint32_t>(offsets.size()));
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

// The bookmark records, in the order of their offsets, from record `first` on.
bool appendBookmarks(std::vector<Bookmark> bookmarks, DocSink& sink,
                     std::vector<std::uint32_t>& offsets, std::size_t first,
                     std::uint32_t& position) {
  std::stable_sort(bookmarks.begin(), bookmarks.end(),
                   [](const Bookmark& a, const Bookmark& b) { return a.offset < b.offset; });
  for (std::size_t k = 0; k < bookmarks.size(); ++k) {
    unsigned char record[kBookmarkRecordSize] = {};
    const std::string& name = bookmarks[k].name;
    std::memcpy(record, name.data(), std::min(name.size(), kBookmarkNameSize - 1));
    storeBE32(record + kBookmarkNameSize, bookmarks[k].offset);
    offsets[first + k] = position;
    if (!sink.append(record, sizeof record)) return false;
    position += kBookmarkRecordSize;
  }
  return true;
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

bool MemoryDocSink::append(const unsigned char* bytes, std::size_t size) {
  bytes_.insert(bytes_.end(), bytes, bytes + size);
  return true;
}

bool MemoryDocSink::rewrite(std::size_t offset, const unsigned char* bytes, std::size_t size) {
  if (offset + size > bytes_.size()) return false;
  std::memcpy(bytes_.data() + offset, bytes, size);
  return true;
}

FileDocSink::FileDocSink(std::FILE* file) : file_(file), start_(std::ftell(file)) {
  block_.reserve(kOutputBlock);
  if (start_ < 0) fail();
}

FileDocSink::~FileDocSink() { flush(); }

bool FileDocSink::fail() {
  if (!failed_) error_ = errno != 0 ? errno : EIO;
  failed_ = true;
  return false;
}

bool FileDocSink::append(const unsigned char* bytes, std::size_t size) {
  if (failed_ || (block_.size() + size > kOutputBlock && !flush())) return false;
  if (size >= kOutputBlock) return writeToFile(file_, bytes, size) || fail();
  block_.insert(block_.end(), bytes, bytes + size);
  return true;
}

bool FileDocSink::rewrite(std::size_t offset, const unsigned char* bytes, std::size_t size) {
  if (!flush()) return false;
  if (std::fseek(file_, start_ + static_cast<long>(offset), SEEK_SET) != 0 ||
      !writeToFile(file_, bytes, size) || std::fseek(file_, 0, SEEK_END) != 0) {
    return fail();
  }
  return true;
}

bool FileDocSink::flush() {
  if (!block_.empty() && !failed_ && !writeToFile(file_, block_.data(), block_.size())) fail();
  block_.clear();
  return !failed_;
}

namespace {

RecordTamper gRecordTamper;  // tests only

// Records in flight per thread: enough to keep every thread busy between two writes.
constexpr std::size_t kRecordsPerThread = 32;

struct PackedRecord {
  // Written by hand, not defaulted, so that making a batch does not zero the bytes: the
  // compressor writes all it reads, and a record that compresses well never touches the
  // second half's page.
  PackedRecord() {}
  unsigned char bytes[2 * kDocRecordSize];
  std::size_t size = 0;
  bool readsBack = true;
};

}  // namespace

DocBuild writeDoc(std::string_view text, const DocOptions& options, DocSink& sink) {
  const int ceiling = std::clamp(options.maxRecords, 1, kPdbMaxRecords);
  const std::size_t room = static_cast<std::size_t>(ceiling - 1) * kDocRecordSize;
  const bool tooLong = text.size() > room;
  const std::string_view stored = text.substr(0, std::min(text.size(), room));

  DocBuild build;
  build.textRecords = recordsFor(stored.size());
  if (!options.bookmarks.empty() &&
      build.textRecords + 1 + options.bookmarks.size() > static_cast<std::size_t>(ceiling)) {
    build.status = DocBuildStatus::kTooManyBookmarks;
    return build;
  }
  // Record k's data offset; record 0 lies just behind the record list and the gap, the text
  // records behind it, and the bookmarks last.
  std::vector<std::uint32_t> offsets(build.textRecords + 1 + options.bookmarks.size());
  offsets[0] = static_cast<std::uint32_t>(kPdbEmptySize + kPdbRecordEntrySize * offsets.size());

  const std::string name(options.name.substr(0, std::min(options.name.size(), kPdbNameSize)));
  const auto header = pdbHeaderBytes(name.c_str(), options.publicFormat ? kDocPublicCreator
                                                                        : kDocOwnCreator,
                                     kDocType);
  std::vector<unsigned char> head = headAfterTemplate(offsets, build.textRecords, 0);
  bool ok = sink.append(header.data(), header.size()) && sink.append(head.data(), head.size());

  std::uint32_t position = offsets[0] + kDocRecord0Size;
  const auto* bytes = reinterpret_cast<const unsigned char*>(stored.data());
  // The records go through in batches: compressed (and checked) side by side on the
  // pool's threads, then written in order.
  const std::size_t threads = options.pool != nullptr ? options.pool->threads() : 1;
  std::vector<PackedRecord> batch(std::min(build.textRecords, kRecordsPerThread * threads));
  for (std::size_t first = 1; first <= build.textRecords && ok; first += batch.size()) {
    const std::size_t count = std::min(batch.size(), build.textRecords + 1 - first);
    const auto packRecord = [&](std::size_t i) {
      const std::size_t at = (first + i - 1) * kDocRecordSize;
      const std::size_t length = std::min(stored.size() - at, kDocRecordSize);
      PackedRecord& record = batch[i];
      record.size = compressRecord(record.bytes, bytes + at, length);
      if (gRecordTamper) gRecordTamper(first + i, record.bytes, record.size);
      record.readsBack = !options.verify || decodesTo(record.bytes, record.size, bytes + at, length);
    };
    if (options.pool != nullptr) {
      options.pool->parallelFor(count, packRecord);
    } else {
      for (std::size_t i = 0; i < count; ++i) packRecord(i);
    }
    for (std::size_t i = 0; i < count && ok; ++i) {
      if (!batch[i].readsBack) {
        build.status = DocBuildStatus::kVerifyFailed;
        build.failedRecord = first + i;
        return build;
      }
      offsets[first + i] = position;
      ok = sink.append(batch[i].bytes, batch[i].size);
      position += static_cast<std::uint32_t>(batch[i].size);
    }
    if (options.progress) options.progress(first + count - 1, build.textRecords);
  }
  ok = ok && appendBookmarks(options.bookmarks, sink, offsets, build.textRecords + 1, position);
  build.textLength = stored.size();
  build.databaseSize = position;
  head = headAfterTemplate(offsets, build.textRecords, static_cast<std::uint32_t>(stored.size()));
  if (!ok || !sink.rewrite(kPdbTemplateSize, head.data(), head.size())) {
    build.status = DocBuildStatus::kWriteFailed;
  } else if (tooLong) {
    build.status = DocBuildStatus::kTooManyRecords;
  } else if (stored.empty()) {
    build.status = DocBuildStatus::kEmptyText;
  }
  return build;
}

void setRecordTamperForTests(RecordTamper tamper) { gRecordTamper = std::move(tamper); }

DocBuild buildDocBytes(std::string_view text, const DocOptions& options,
                       std::vector<unsigned char>& database) {
  database.clear();
  MemoryDocSink sink(database);
  return writeDoc(text, options, sink);
}

std::size_t toStoredText(char* text, std::size_t length) {
  const void* end = std::memchr(text, 0x1A, length);
  if (end != nullptr) length = static_cast<std::size_t>(static_cast<const char*>(end) - text);
  return removeEveryByte(text, length, '\0');
}

int buildDoc(const char* textPath, const char* outputPath, char* palmName, bool publicFormat) {
  return buildDocLimited(textPath, outputPath, palmName, publicFormat, kPdbMaxRecords);
}

int buildDocLimited(const char* textPath, const char* outputPath, char* palmName, bool publicFormat,
                    int maxRecords) {
  if (std::strlen(palmName) > kPdbNameSize) palmName[kPdbNameSize] = '\0';
  const char* creator = publicFormat ? kDocPublicCreator : kDocOwnCreator;
  if (createPdb(outputPath, palmName, creator, kDocType) != 0) return kBuildFailed;

  FileHandle textFile = openFile(textPath, "rb");
  if (!textFile) return kBuildNoText;
  // Record 0's entry goes in through the appender, like any record's: whatever keeps the
  // appender from adding it fails the build here just as it would there.
  FileHandle db(appendPdbRecord(outputPath, maxRecords));
  if (!db) return kBuildNoHeaderRecord;

  // One byte past what the records can hold tells that the text is too long.
  const int ceiling = std::min(maxRecords, kPdbMaxRecords);
  const std::size_t room = static_cast<std::size_t>(ceiling - 1) * kDocRecordSize;
  std::string text;
  bool ok = true;
  try {
    text = readStoredText(textFile.get(), room + 1);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  DocBuildStatus status = DocBuildStatus::kWriteFailed;
  if (ok && std::fseek(db.get(), 0, SEEK_SET) == 0) {
    FileDocSink sink(db.get());
    DocOptions options;
    options.name = palmName;
    options.publicFormat = publicFormat;
    options.maxRecords = ceiling;
    status = writeDoc(text, options, sink).status;
    ok = sink.flush();
  }
  // A failed close is a write that did not reach the disk.
  ok = closeFile(db.release()) && ok;
  if (status == DocBuildStatus::kVerifyFailed) std::remove(outputPath);
  return ok && status == DocBuildStatus::kBuilt ? kBuildOk : kBuildFailed;
}

}  // namespace quillet
