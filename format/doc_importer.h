#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "base/heap_text.h"
#include "format/doc_builder.h"
#include "format/doc_compressor.h"

namespace quillet {

enum class ImportStatus {
  kImported,
  kCannotOpen,  // the file cannot be opened for reading
  kNotDoc,      // not of type "TEXt", or without a record 0 inside the file
  kNoMemory,    // the text buffer cannot be had
};

// Something wrong with a database that the importer reads past: the text is still taken
// as far as it goes (the same text whatever is reported), and the damage is told.
enum class DocDamageKind {
  kRecordListCut,        // the record list (value entries) runs past the file's end (limit)
  kRecordPastEnd,        // record `record` starts at offset value, past the end (limit)
  kRecordsOutOfOrder,    // record `record` starts at value, before the record before it
  kHeaderRecordShort,    // record 0 holds value bytes, fewer than its 16
  kTextRecordsMissing,   // record 0 counts value text records; the database holds limit
  kUnknownCompression,   // record 0's compression value is value, neither 1 nor 2
  kRecordLength,         // text record `record` gives value bytes of text, not limit
  kReferenceBeforeText,  // text record `record` refers back before the start of the text
  kCodeCut,              // text record `record` ends inside a code
  kTextTooLong,          // the text runs past the limit bytes that record 0 counts
  kTextLength,           // record 0 gives a text of limit bytes; value bytes were read
};

struct DocDamage {
  DocDamageKind kind;
  std::size_t record = 0;
  std::uint64_t value = 0;
  std::uint64_t limit = 0;
  bool operator==(const DocDamage&) const = default;
};

struct ImportedDoc {
  ImportStatus status = ImportStatus::kImported;
  HeapText text;           // recordCount * 4096 + 1 bytes, NUL-terminated; empty on failure
  std::size_t length = 0;  // bytes decoded; a NUL among them (stored uncompressed) ends the text
                           // for callers that take it up to its first NUL
  std::vector<DocDamage> damage;  // empty for a sound database
  // The bookmark records after the text records (20 bytes each: a name in 16 bytes, then
  // the offset), in the database's order. Records of any other size there are not read.
  std::vector<Bookmark> bookmarks;
};

// Reads a Doc database held in memory back into text. Any database of type "TEXt" is
// taken, whatever its creator.
//
// Safe on any bytes: nothing is read or written outside the buffers, and a malformed
// database yields at most recordCount * 4096 bytes of text.
//
// consumed, when given, is told offsets before which the database's text bytes have all
// been read, in increasing order, so that a caller may give their memory back.
[[nodiscard]] ImportedDoc importDocBytes(
    std::span<const unsigned char> database,
    const std::function<void(std::size_t)>& consumed = nullptr);

// Where importDocBytesTo hands the text, in order, a piece at a time.
using TextSink = std::function<void(const unsigned char* bytes, std::size_t size)>;
inline constexpr std::size_t kSmallestTextWindow = 4096;
// The text goes to a sink in stretches of this size, each ending on a multiple of it from
// the start of the text, when the window has room for one besides what it keeps: writes
// that begin and end on such boundaries cost a file system less.
inline constexpr std::size_t kTextStretch = std::size_t{64} << 10;
inline constexpr std::size_t kTextWindow = kTextStretch + kMaxMatchDistance + kMaxMatchLength;

// importDocBytes without the text kept whole: it goes to `text` as it is made, through a
// window of `window` bytes (at least kSmallestTextWindow), so that a large book costs a
// window's memory, not its size. Everything else is as importDocBytes gives it: the same
// bytes in the same order, the same damage; ImportedDoc::text stays empty and ::length
// counts every byte handed over (a NUL among them ends the text there too).
[[nodiscard]] ImportedDoc importDocBytesTo(
    std::span<const unsigned char> database, const TextSink& text,
    const std::function<void(std::size_t)>& consumed = nullptr, std::size_t window = kTextWindow);

// importDocBytes on the file at path.
[[nodiscard]] ImportedDoc importDoc(const char* path);

// PalmDOC decoding into a fixed buffer, fed in pieces of any size. The run counter and
// the text carry over from one piece to the next, as they do across records.
// A back-reference that reaches before the start of the text (or has distance 0) appends
// nothing; once the buffer is full, everything further is dropped.
class PalmDocDecoder {
 public:
  PalmDocDecoder(unsigned char* out, std::size_t capacity) : out_(out), capacity_(capacity) {}

  // Returns false once the buffer is full (more input would be dropped).
  bool feed(const unsigned char* in, std::size_t size);
  // Decodes while more than `room` bytes of the buffer are free, and returns how many
  // input bytes it took. With a room of kMaxMatchLength no code is ever cut short, so that
  // the rest can follow once the buffer has been emptied (continueIn).
  std::size_t take(const unsigned char* in, std::size_t size, std::size_t room);
  // Goes on in another buffer, whose first `kept` bytes are the last ones made so far (at
  // least as many as a reference reaches back, once there are that many).
  void continueIn(unsigned char* out, std::size_t capacity, std::size_t kept);
  std::size_t length() const { return length_; }
  // Back-references so far that reached before the start of the text.
  std::size_t referencesBeforeText() const { return badReferences_; }
  // Whether the input so far ends inside a code (a run or a back-reference).
  bool insideCode() const { return runLeft_ > 0 || pendingHigh_ >= 0; }
  // Whether input was dropped because the buffer was full.
  bool dropped() const { return dropped_; }

 private:
  void append(unsigned char b) {
    if (length_ < capacity_) out_[length_++] = b;
  }
  void copyBack(unsigned value);
  const unsigned char* feedFast(const unsigned char* in, const unsigned char* end);

  unsigned char* out_;
  std::size_t capacity_;
  std::size_t length_ = 0;
  unsigned runLeft_ = 0;
  int pendingHigh_ = -1;  // first byte of a back-reference whose second is still due
  std::size_t badReferences_ = 0;
  bool dropped_ = false;
};

// Whether the PalmDOC bytes decode to exactly `text` (what the builder checks every record
// with).
bool decodesTo(const unsigned char* in, std::size_t inSize, const unsigned char* text,
               std::size_t length);

// Decodes a whole stretch at once; returns the number of text bytes written to out.
std::size_t decodePalmDoc(const unsigned char* in, std::size_t inSize, unsigned char* out,
                          std::size_t capacity);

}  // namespace quillet
