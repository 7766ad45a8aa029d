#include "format/doc_importer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
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

// The data offsets of records 0 .. count-1 that the file holds, with what is wrong with them.
std::vector<std::size_t> readRecordOffsets(const DatabaseBytes& db, unsigned count,
                                           std::vector<DocDamage>& damage) {
  // A list that runs past the end is told once: what lies where it should be is no list.
  const bool cut = !db.holds(kFirstEntryOffset, kPdbRecordEntrySize * std::size_t{count});
  if (cut) damage.push_back({DocDamageKind::kRecordListCut, 0, count, db.size()});
  std::vector<std::size_t> offsets;
  for (unsigned k = 0; k < count; ++k) {
    std::uint32_t offset = 0;
    if (!db.be32(kFirstEntryOffset + kPdbRecordEntrySize * k, offset)) break;
    if (!cut && offset > db.size()) {
      damage.push_back({DocDamageKind::kRecordPastEnd, k, offset, db.size()});
    } else if (!cut && !offsets.empty() && offset < offsets.back()) {
      damage.push_back({DocDamageKind::kRecordsOutOfOrder, k, offset, offsets.back()});
    }
    offsets.push_back(offset);
  }
  return offsets;
}

// The records from `first` on that are 20 bytes long, read as bookmarks.
std::vector<Bookmark> readBookmarks(const DatabaseBytes& db, const std::vector<std::size_t>& offsets,
                                    std::size_t first) {
  std::vector<Bookmark> bookmarks;
  for (std::size_t k = first; k < offsets.size(); ++k) {
    const std::size_t end = k + 1 < offsets.size() ? offsets[k + 1] : db.size();
    if (end < offsets[k] || end - offsets[k] != kBookmarkRecordSize ||
        !db.holds(offsets[k], kBookmarkRecordSize)) {
      continue;
    }
    const auto* name = reinterpret_cast<const char*>(db.at(offsets[k]));
    bookmarks.push_back({std::string(name, strnlen(name, kBookmarkNameSize)),
                         loadBE32(db.at(offsets[k] + kBookmarkNameSize))});
  }
  return bookmarks;
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
  if (distance == 0 || distance > length_) {  // reaches before the text
    ++badReferences_;
    return;
  }
  unsigned char* to = out_ + length_;
  const unsigned char* from = to - distance;
  if (distance >= count) {
    std::memcpy(to, from, count);
  } else {
    for (std::size_t k = 0; k < count; ++k) to[k] = from[k];  // overlaps what it appends
  }
  length_ += count;
}

namespace {

// How many of the 8 bytes at `at` (all readable), from the first, are plain characters
// (0x09 to 0x7F), which stand for themselves: 0 to 8.
std::size_t plainRunLength(const unsigned char* at) {
  if constexpr (std::endian::native == std::endian::little) {
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    // A byte's high bit is set here when it is below 0x80 and at least 0x09. Bytes of 0x89
    // and up carry into the next byte, which lies past the first that is not plain.
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    const std::uint64_t plain = ~word & (word + 0x7777777777777777u) & kHigh;
    return static_cast<std::size_t>(std::countr_zero(~plain & kHigh)) / 8;
  } else {
    std::size_t n = 0;
    while (n < 8 && at[n] >= 0x09 && at[n] <= 0x7F) ++n;
    return n;
  }
}

}  // namespace

// The bulk of a stream, where neither the input nor the buffer can run out within one code:
// no bounds are checked per byte, and a reference that does not overlap what it makes is
// copied two words at a time (the buffer has room for the words' overshoot). Leaves the
// ends, and anything unusual, to the careful loop.
const unsigned char* PalmDocDecoder::feedFast(const unsigned char* in, const unsigned char* end) {
  constexpr std::size_t kSlack = 16;  // a code adds at most 10 bytes; a copy writes 16
  if (runLeft_ > 0 || pendingHigh_ >= 0) return in;
  unsigned char* out = out_ + length_;
  unsigned char* const outLimit = capacity_ >= kSlack ? out_ + capacity_ - kSlack : out_;
  while (end - in >= 9 && out < outLimit) {
    const unsigned char ch = *in;
    if (ch >= 0x09 && ch <= 0x7F) {
      // Plain characters come in runs: up to eight copied at once.
      const std::size_t plain = plainRunLength(in);
      std::memcpy(out, in, 8);
      out += plain;
      in += plain;
    } else if (ch >= 0xC0) {
      out[0] = ' ';
      out[1] = static_cast<unsigned char>(ch & 0x7F);
      out += 2;
      ++in;
    } else if (ch >= 0x80) {
      const unsigned value = (unsigned{ch} << 8) | in[1];
      const std::size_t distance = (value & 0x3FFF) >> 3;
      const std::size_t count = (value & 7) + 3;
      const auto made = static_cast<std::size_t>(out - out_);
      // Nearer than a word (the first copy would read what it writes), or out of range.
      if (distance < 8 || distance > made) break;
      std::memcpy(out, out - distance, 8);
      std::memcpy(out + 8, out - distance + 8, 8);
      out += count;
      in += 2;
    } else if (ch >= 0x01 && ch <= 0x08 && std::memchr(in + 1, 0, ch) == nullptr) {
      std::memcpy(out, in + 1, 8);  // a run of plain bytes
      out += ch;
      in += 1 + ch;
    } else {
      break;
    }
  }
  length_ = static_cast<std::size_t>(out - out_);
  return in;
}

bool PalmDocDecoder::feed(const unsigned char* in, std::size_t size) {
  if (take(in, size, 0) < size) dropped_ = true;
  return length_ < capacity_;
}

std::size_t PalmDocDecoder::take(const unsigned char* in, std::size_t size, std::size_t room) {
  const unsigned char* const start = in;
  const unsigned char* const end = in + size;
  const std::size_t limit = capacity_ > room ? capacity_ - room : 0;
  // A reference whose second byte opens this piece.
  if (pendingHigh_ >= 0 && in < end && length_ < limit) {
    copyBack((static_cast<unsigned>(pendingHigh_) << 8) | *in++);
    pendingHigh_ = -1;
  }
  while (in < end && length_ < limit) {
    in = feedFast(in, end);
    if (in == end || length_ >= limit) break;
    if (runLeft_ > 0) {
      // Run bytes stand for themselves, whatever their values (a NUL adds nothing).
      const std::size_t count = std::min<std::size_t>(runLeft_, static_cast<std::size_t>(end - in));
      std::size_t k = 0;
      for (; k < count && length_ < capacity_; ++k) {
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
  return static_cast<std::size_t>(in - start);
}

void PalmDocDecoder::continueIn(unsigned char* out, std::size_t capacity, std::size_t kept) {
  out_ = out;
  capacity_ = capacity;
  length_ = kept;
}

// Decoded with the decoder's word-at-a-time loop and compared after, which is quicker than
// checking code by code. The buffer holds one byte more than the text, so that codes giving
// more are caught. A stream with a reference before the text, or cut off inside a code,
// never passes, even where the text it gives happens to be right.
bool decodesTo(const unsigned char* in, std::size_t inSize, const unsigned char* text,
               std::size_t length) {
  std::array<unsigned char, kDocRecordSize + 1> record;
  std::vector<unsigned char> larger;
  unsigned char* out = record.data();
  if (length >= record.size()) {
    larger.resize(length + 1);
    out = larger.data();
  }
  PalmDocDecoder decoder(out, length + 1);
  decoder.feed(in, inSize);
  return decoder.length() == length && decoder.referencesBeforeText() == 0 &&
         !decoder.insideCode() && std::memcmp(out, text, length) == 0;
}

std::size_t decodePalmDoc(const unsigned char* in, std::size_t inSize, unsigned char* out,
                          std::size_t capacity) {
  PalmDocDecoder decoder(out, capacity);
  decoder.feed(in, inSize);
  return decoder.length();
}

namespace {

// Where the text goes as it is made: one buffer that holds all of it, or a window over it
// whose older bytes go to a sink whenever it fills, keeping what a reference can still
// reach. The text's length and its limit count every byte, given away or not.
class TextWindow {
 public:
  // REQUIRES: size <= capacity.
  TextWindow(unsigned char* buffer, std::size_t size, std::size_t capacity, const TextSink* sink)
      : buffer_(buffer), size_(size), capacity_(capacity), sink_(sink),
        decoder_(buffer, size_) {}

  std::size_t length() const { return given_ + decoder_.length() + copied_; }
  std::size_t capacity() const { return capacity_; }
  const PalmDocDecoder& decoder() const { return decoder_; }

  // Decodes a piece; false when the text is full and input was left over.
  bool decode(const unsigned char* in, std::size_t size) {
    for (;;) {
      const bool endInWindow = capacity_ - given_ <= size_;
      const std::size_t taken =
          decoder_.take(in, size, endInWindow ? 0 : static_cast<std::size_t>(kMaxMatchLength));
      in += taken;
      size -= taken;
      if (size == 0) return true;
      if (endInWindow) return false;
      slide();
    }
  }

  // Takes a piece as it is (a database stored uncompressed); false when the text is full.
  bool copy(const unsigned char* in, std::size_t size) {
    const std::size_t take = std::min(size, capacity_ - copied_);
    if (take > 0) {
      if (sink_ != nullptr) {
        (*sink_)(in, take);
      } else {
        std::memcpy(buffer_ + copied_, in, take);
      }
    }
    copied_ += take;
    return take == size;
  }

  // Hands over what the window still holds.
  void finish() {
    if (sink_ != nullptr && decoder_.length() > 0) (*sink_)(buffer_, decoder_.length());
  }

 private:
  // Hands over all but the last kMaxMatchDistance bytes made, or, where that is at least a
  // stretch, as much as ends on a stretch's boundary (and keeps the rest).
  void slide() {
    const std::size_t made = decoder_.length();
    std::size_t give = made - kMaxMatchDistance;
    if (give >= kTextStretch) give -= (given_ + give) % kTextStretch;
    (*sink_)(buffer_, give);
    std::memmove(buffer_, buffer_ + give, made - give);
    given_ += give;
    decoder_.continueIn(buffer_, std::min(size_, capacity_ - given_), made - give);
  }

  unsigned char* buffer_;
  std::size_t size_;      // the window's
  std::size_t capacity_;  // the whole text's
  const TextSink* sink_;  // none: the buffer is the whole text
  PalmDocDecoder decoder_;
  std::size_t given_ = 0;   // bytes handed to the sink and gone from the window
  std::size_t copied_ = 0;  // bytes taken as they are
};

// Turns the text stretch into text, record by record so that each record's share can be
// judged, though the bytes go through as one stream (a run or a reference may carry on
// into the next record, as the text itself does). `pieces` are the text records' starts.
std::size_t readText(const DatabaseBytes& db, TextStretch stretch, bool copied,
                     const std::vector<std::size_t>& pieces, const DocRecord0& header,
                     TextWindow& text, std::vector<DocDamage>& damage,
                     const std::function<void(std::size_t)>& consumed) {
  std::size_t at = stretch.start;
  const std::size_t recordSize = header.recordSize != 0 ? header.recordSize : kDocRecordSize;
  bool full = false;
  for (std::size_t k = 0; k < pieces.size() && !full; ++k) {
    const std::size_t next = k + 1 < pieces.size() ? std::clamp(pieces[k + 1], at, stretch.end)
                                                   : stretch.end;
    const std::size_t size = next - at;
    const std::size_t before = text.length();
    const std::size_t references = text.decoder().referencesBeforeText();
    if (copied) {
      full = !text.copy(db.at(at), size);
    } else {
      full = !text.decode(db.at(at), size);
      if (text.decoder().referencesBeforeText() > references) {
        damage.push_back({DocDamageKind::kReferenceBeforeText, k + 1});
      }
      if (text.decoder().insideCode() && size > 0) {
        damage.push_back({DocDamageKind::kCodeCut, k + 1});
      }
    }
    const std::size_t given = text.length() - before;
    const bool last = k + 1 == pieces.size();
    if (!full && (last ? given == 0 || given > recordSize : given != recordSize)) {
      damage.push_back({DocDamageKind::kRecordLength, k + 1, given, recordSize});
    }
    at = next;
    if (consumed) consumed(at);
  }
  text.finish();
  if (full) damage.push_back({DocDamageKind::kTextTooLong, 0, 0, text.capacity()});
  return text.length();
}

// The whole text into one buffer, or, with a sink, through a window of windowSize bytes
// (without one, windowSize is no less than any text).
ImportedDoc importText(std::span<const unsigned char> database,
                       const std::function<void(std::size_t)>& consumed, const TextSink* sink,
                       std::size_t windowSize) {
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
  ImportedDoc doc;
  const std::vector<std::size_t> offsets = readRecordOffsets(db, recordsInDb, doc.damage);
  const DocRecord0 header = parseDocRecord0(db.at(record0At));
  if (offsets.size() > 1 && offsets[1] >= record0At && offsets[1] - record0At < kDocRecord0Size) {
    doc.damage.push_back({DocDamageKind::kHeaderRecordShort, 0, offsets[1] - record0At});
  }
  if (header.recordCount + 1u > recordsInDb) {
    doc.damage.push_back(
        {DocDamageKind::kTextRecordsMissing, 0, header.recordCount, recordsInDb - 1u});
  }
  if (header.compression != 1 && header.compression != kDocCompressionPalmDoc) {
    doc.damage.push_back({DocDamageKind::kUnknownCompression, 0, header.compression});
  }
  const TextStretch stretch = locateText(db, recordsInDb, header.recordCount);

  // The text never outgrows what record 0 counts, nor what its bytes can decode to (a
  // two-byte back-reference gives at most ten bytes): a damaged count does not make a
  // small file ask for a quarter of a gigabyte.
  const bool copied = storedUncompressed(header.compression);
  const std::size_t inSize = stretch.end - stretch.start;
  const std::size_t counted = std::size_t{header.recordCount} * kDocRecordSize;
  const std::size_t capacity = std::min(counted, copied ? inSize : inSize * kMaxExpansion);
  HeapText text;
  std::unique_ptr<unsigned char[]> window;
  const std::size_t windowBytes = std::min(capacity, windowSize);
  unsigned char* out = nullptr;
  if (sink != nullptr) {
    window.reset(new (std::nothrow) unsigned char[std::max<std::size_t>(windowBytes, 1)]);
    if (!window) return refused(ImportStatus::kNoMemory);
    out = window.get();
  } else {
    text = allocateText(capacity + 1);
    if (!text) return refused(ImportStatus::kNoMemory);
    out = reinterpret_cast<unsigned char*>(text.get());
  }
  TextWindow made(out, windowBytes, capacity, sink);

  // Where each text record begins, as far as the record list tells.
  std::vector<std::size_t> pieces;
  for (std::size_t k = 1; k <= header.recordCount && k < offsets.size(); ++k) {
    pieces.push_back(offsets[k]);
  }
  if (pieces.empty() && inSize > 0) pieces.push_back(stretch.start);
  const std::size_t length = readText(db, stretch, copied, pieces, header, made, doc.damage, consumed);
  doc.bookmarks = readBookmarks(db, offsets, header.recordCount + 1u);
  if (length != header.textLength && doc.damage.empty()) {
    doc.damage.push_back({DocDamageKind::kTextLength, 0, length, header.textLength});
  }
  if (sink == nullptr) out[length] = 0;
  doc.text = std::move(text);
  doc.length = length;
  return doc;
}

}  // namespace

ImportedDoc importDocBytes(std::span<const unsigned char> database,
                           const std::function<void(std::size_t)>& consumed) {
  return importText(database, consumed, nullptr, std::numeric_limits<std::size_t>::max());
}

ImportedDoc importDocBytesTo(std::span<const unsigned char> database, const TextSink& text,
                             const std::function<void(std::size_t)>& consumed,
                             std::size_t window) {
  return importText(database, consumed, &text, std::max(window, kSmallestTextWindow));
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
