#include "format/doc_importer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "format/byte_order.h"
#include "format/doc_builder.h"
#include "format/doc_compressor.h"
#include "format/pdb_writer.h"

namespace {

constexpr std::size_t kReadBlock = 64 * 1024;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Reads size bytes at offset; false when the file holds fewer.
bool readAt(std::FILE* file, long offset, unsigned char* into, std::size_t size) {
  return std::fseek(file, offset, SEEK_SET) == 0 && std::fread(into, 1, size, file) == size;
}

bool readBE32At(std::FILE* file, long offset, std::uint32_t& value) {
  unsigned char bytes[4];
  if (!readAt(file, offset, bytes, 4)) return false;
  value = loadBE32(bytes);
  return true;
}

long fileSize(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return 0;
  const long size = std::ftell(file);
  return size < 0 ? 0 : size;
}

// Where the text lies: from record 1's data to the record after the last text record,
// or to the end of the file. Offsets past the end of the file are pulled back to it.
struct TextStretch {
  long start = 0;
  long end = 0;
};

TextStretch locateText(std::FILE* file, unsigned recordsInDb, unsigned textRecords) {
  const long size = fileSize(file);
  TextStretch stretch;
  std::uint32_t offset = 0;
  if (recordsInDb < 2 || !readBE32At(file, 86, offset)) return stretch;  // no text record
  stretch.start = std::min<long>(static_cast<long>(offset), size);
  stretch.end = size;
  if (textRecords + 1 < recordsInDb &&
      readBE32At(file, static_cast<long>(86 + kPdbRecordEntrySize * textRecords), offset)) {
    stretch.end = std::min<long>(static_cast<long>(offset), size);
  }
  if (stretch.end < stretch.start) stretch.end = stretch.start;
  return stretch;
}

bool storedUncompressed(std::uint16_t compression) {
  return compression == 1 || (compression & 0xFF) == 0;
}

// Copies or decodes the stretch into text; returns the number of text bytes.
std::size_t readText(std::FILE* file, TextStretch stretch, bool decode, unsigned char* text,
                     std::size_t capacity) {
  if (std::fseek(file, stretch.start, SEEK_SET) != 0) return 0;
  PalmDocDecoder decoder(text, capacity);
  std::size_t copied = 0;
  std::vector<unsigned char> block(kReadBlock);
  long left = stretch.end - stretch.start;
  while (left > 0) {
    const auto want = static_cast<std::size_t>(std::min<long>(left, kReadBlock));
    const std::size_t got = std::fread(block.data(), 1, want, file);
    if (got == 0) break;
    left -= static_cast<long>(got);
    if (decode) {
      if (!decoder.feed(block.data(), got)) break;
    } else {
      const std::size_t take = std::min(got, capacity - copied);
      std::memcpy(text + copied, block.data(), take);
      copied += take;
      if (copied == capacity) break;
    }
  }
  return decode ? decoder.length() : copied;
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

ImportedDoc importDoc(const char* path, const MessageSink& sink) {
  FileHandle file(std::fopen(path, "rb"));
  if (!file) {
    sink(kImportErrorCaption, kImportCannotOpen);
    return {};
  }
  unsigned char type[4];
  if (!readAt(file.get(), 60, type, 4) || std::memcmp(type, kDocType, 4) != 0) {
    sink(kImportErrorCaption, kImportNotDoc);
    return {};
  }
  // A database without record 0, or whose record 0 lies outside the file, is no Doc.
  unsigned char countBytes[2];
  std::uint32_t record0At = 0;
  unsigned char record0[kDocRecord0Size];
  if (!readAt(file.get(), 76, countBytes, 2) || loadBE16(countBytes) == 0 ||
      !readBE32At(file.get(), 78, record0At) || record0At > 0x7FFFFFFFu ||
      !readAt(file.get(), static_cast<long>(record0At), record0, sizeof record0)) {
    sink(kImportErrorCaption, kImportNotDoc);
    return {};
  }
  const unsigned recordsInDb = loadBE16(countBytes);
  const DocRecord0 header = parseDocRecord0(record0);
  const TextStretch stretch = locateText(file.get(), recordsInDb, header.recordCount);

  const std::size_t capacity = std::size_t{header.recordCount} * kDocRecordSize;
  HeapText text(static_cast<char*>(std::malloc(capacity + 1)));
  if (!text) {
    sink(kImportErrorCaption, kImportNoMemory);
    return {};
  }
  auto* bytes = reinterpret_cast<unsigned char*>(text.get());
  const std::size_t length =
      readText(file.get(), stretch, !storedUncompressed(header.compression), bytes, capacity);
  bytes[length] = 0;
  return ImportedDoc{std::move(text), length};
}
