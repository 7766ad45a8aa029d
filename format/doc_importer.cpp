#include "format/doc_importer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "base/file_handle.h"
#include "format/byte_order.h"
#include "format/doc_builder.h"
#include "format/doc_compressor.h"
#include "format/pdb_writer.h"

namespace quillet {

namespace {

constexpr std::size_t kReadBlock = 64 * 1024;
constexpr std::size_t kTypeOffset = 60;
constexpr std::size_t kRecordCountOffset = 76;
constexpr std::size_t kFirstEntryOffset = 78;  // record 0's entry; record 1's begins at 86
constexpr std::size_t kMaxExpansion = 5;        // text bytes per coded byte, at the most

// Bounds-checked reads from the database's bytes.
class DatabaseBytes {
 public:
  explicit DatabaseBytes(std::span<const unsigned char> bytes) : bytes_(bytes) {}
  std::size_t size() const { return bytes_.size(); }
  bool holds(std::size_t offset, std::size_t size) const {
    return offset <= bytes_.size() && size <= bytes_.size() - offset;
  }
  const unsigned char* at(std::size_t offset) const { return bytes_.data() + offset; }
  bool be16(std::size_t offset, std::uint16_t& value) const {
    if (!holds(offset, 2)) return false;
    value = loadBE16(at(offset));
    return true;
  }
  bool be32(std::size_t offset, std::uint32_t& value) const {
    if (!holds(offset, 4)) return false;
    value = loadBE32(at(offset));
    return true;
  }

 private:
  std::span<const unsigned char> bytes_;
};

// Where the text lies: from record 1's data to the record after the last text record,
// or to the end of the file. Offsets past the end of the file are pulled back to it.
struct TextStretch {
  std::size_t start = 0;
  std::size_t end = 0;
};

TextStretch locateText(const DatabaseBytes& db, unsigned recordsInDb, unsigned textRecords) {
  TextStretch stretch;
  std::uint32_t offset = 0;
  if (recordsInDb < 2 || !db.be32(kFirstEntryOffset + kPdbRecordEntrySize, offset)) {
    return stretch;  // no text record
  }
  stretch.start = std::min<std::size_t>(offset, db.size());
  stretch.end = db.size();
  if (textRecords + 1 < recordsInDb &&
      db.be32(kFirstEntryOffset + kPdbRecordEntrySize * (textRecords + 1), offset)) {
    stretch.end = std::min<std::size_t>(offset, db.size());
  }
  if (stretch.end < stretch.start) stretch.end = stretch.start;
  return stretch;
}

bool storedUncompressed(std::uint16_t compression) {
  return compression == 1 || (compression & 0xFF) == 0;
}

ImportedDoc refused(ImportStatus status) {
  ImportedDoc doc;
  doc.status = status;
  return doc;
}

}  // namespace

void PalmDocDecoder::copyBack(unsigned value) {
  const std::size_t distance = (value & 0x3FFF) >> 3;
  const std::size_t count = std::min<std::size_t>((value & 7) + 3, capacity_ - length_);
  if (distance == 0 || distance > length_) return;  // reaches before the text
  unsigned char* to = out_ + length_;
  const unsigned char* from = to - distance;
  if (distance >= count) {
    std::memcpy(to, from, count);
  } else {
    for (std::size_t k = 0; k < count; ++k) to[k] = from[k];  // overlaps what it appends
  }
  length_ += count;
}

bool PalmDocDecoder::feed(const unsigned char* in, std::size_t size) {
  const unsigned char* const end = in + size;
  // A reference whose second byte opens this piece.
  if (pendingHigh_ >= 0 && in < end && length_ < capacity_) {
    copyBack((static_cast<unsigned>(pendingHigh_) << 8) | *in++);
    pendingHigh_ = -1;
  }
  while (in < end && length_ < capacity_) {
    if (runLeft_ > 0) {
      // Run bytes stand for themselves, whatever their values (a NUL adds nothing).
      const std::size_t take = std::min<std::size_t>(runLeft_, static_cast<std::size_t>(end - in));
      std::size_t k = 0;
      for (; k < take && length_ < capacity_; ++k) {
        if (in[k] != 0) out_[length_++] = in[k];
      }
      in += k;
      runLeft_ -= static_cast<unsigned>(k);
      continue;
    }
    const unsigned char ch = *in++;
    if (ch >= 0x09 && ch <= 0x7F) {
      out_[length_++] = ch;
    } else if (ch >= 0xC0) {
      out_[length_++] = ' ';
      append(static_cast<unsigned char>(ch & 0x7F));
    } else if (ch >= 0x80) {
      if (in == end) {
        pendingHigh_ = ch;  // the second byte opens the next piece
        break;
      }
      copyBack((static_cast<unsigned>(ch) << 8) | *in++);
    } else if (ch != 0) {
      runLeft_ = ch;  // 0x01 to 0x08
    }
  }
  return length_ < capacity_;
}

std::size_t decodePalmDoc(const unsigned char* in, std::size_t inSize, unsigned char* out,
                          std::size_t capacity) {
  PalmDocDecoder decoder(out, capacity);
  decoder.feed(in, inSize);
  return decoder.length();
}

ImportedDoc importDocBytes(std::span<const unsigned char> database) {
  const DatabaseBytes db(database);
  if (!db.holds(kTypeOffset, 4) || std::memcmp(db.at(kTypeOffset), kDocType, 4) != 0) {
    return refused(ImportStatus::kNotDoc);
  }
  // A database without record 0, or whose record 0 lies outside the file, is no Doc.
  std::uint16_t recordsInDb = 0;
  std::uint32_t record0At = 0;
  if (!db.be16(kRecordCountOffset, recordsInDb) || recordsInDb == 0 ||
      !db.be32(kFirstEntryOffset, record0At) || !db.holds(record0At, kDocRecord0Size)) {
    return refused(ImportStatus::kNotDoc);
  }
  const DocRecord0 header = parseDocRecord0(db.at(record0At));
  const TextStretch stretch = locateText(db, recordsInDb, header.recordCount);

  // The text never outgrows what record 0 counts, nor what its bytes can decode to (a
  // two-byte back-reference gives at most ten bytes): a damaged count does not make a
  // small file ask for a quarter of a gigabyte.
  const bool copied = storedUncompressed(header.compression);
  const std::size_t inSize = stretch.end - stretch.start;
  const std::size_t capacity = std::min(std::size_t{header.recordCount} * kDocRecordSize,
                                        copied ? inSize : inSize * kMaxExpansion);
  HeapText text(static_cast<char*>(std::malloc(capacity + 1)));
  if (!text) return refused(ImportStatus::kNoMemory);
  auto* out = reinterpret_cast<unsigned char*>(text.get());
  const unsigned char* in = db.at(stretch.start);
  std::size_t length = 0;
  if (copied) {
    length = std::min(inSize, capacity);
    if (length > 0) std::memcpy(out, in, length);
  } else {
    length = decodePalmDoc(in, inSize, out, capacity);
  }
  out[length] = 0;
  ImportedDoc doc;
  doc.text = std::move(text);
  doc.length = length;
  return doc;
}

ImportedDoc importDoc(const char* path) {
  FileHandle file = openFile(path, "rb");
  if (!file) return refused(ImportStatus::kCannotOpen);
  // The type first: a file that is no Doc (a film given by mistake) is not read whole.
  unsigned char head[kTypeOffset + 4];
  if (std::fread(head, 1, sizeof head, file.get()) != sizeof head ||
      std::memcmp(head + kTypeOffset, kDocType, 4) != 0) {
    return refused(ImportStatus::kNotDoc);
  }
  std::vector<unsigned char> bytes(head, head + sizeof head);
  try {
    unsigned char block[kReadBlock];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) {
      bytes.insert(bytes.end(), block, block + got);
    }
  } catch (const std::bad_alloc&) {
    return refused(ImportStatus::kNoMemory);
  }
  return importDocBytes(bytes);
}

}  // namespace quillet
