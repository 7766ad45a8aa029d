#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>

#include "format/message_sink.h"

// Heap text from malloc, so that its owner may grow it with realloc.
struct FreeDeleter {
  void operator()(char* p) const noexcept { std::free(p); }
};
using HeapText = std::unique_ptr<char, FreeDeleter>;

inline constexpr char kImportErrorCaption[] = "File Import Error";
inline constexpr char kImportCannotOpen[] = "Cannot open specified file\n";
inline constexpr char kImportNotDoc[] =
    "The selected file is not a valid Palm Doc file.\n"
    "If a Palm document or e-book, it may be in incompatible proprietary format.";
inline constexpr char kImportNoMemory[] = "Cannot allocate working memory\n";

struct ImportedDoc {
  HeapText text;           // recordCount * 4096 + 1 bytes, NUL-terminated
  std::size_t length = 0;  // bytes decoded; a NUL among them (stored uncompressed) ends the text
                           // for callers that take it up to its first NUL
};

// Reads the Doc database at path back into text. Any database of type "TEXt" is taken,
// whatever its creator. On failure the sink has been told (caption "File Import Error")
// and text is empty.
//
// Safe on any file: nothing is read or written outside the buffers, and a malformed
// database yields at most recordCount * 4096 bytes of text.
ImportedDoc importDoc(const char* path, const MessageSink& sink);

// PalmDOC decoding into a fixed buffer, fed in pieces of any size. The run counter and
// the text carry over from one piece to the next, as they do across records.
// A back-reference that reaches before the start of the text (or has distance 0) appends
// nothing; once the buffer is full, everything further is dropped.
class PalmDocDecoder {
 public:
  PalmDocDecoder(unsigned char* out, std::size_t capacity) : out_(out), capacity_(capacity) {}

  // Returns false once the buffer is full (more input would be dropped).
  bool feed(const unsigned char* in, std::size_t size);
  std::size_t length() const { return length_; }

 private:
  void append(unsigned char b) {
    if (length_ < capacity_) out_[length_++] = b;
  }
  void copyBack(unsigned value);

  unsigned char* out_;
  std::size_t capacity_;
  std::size_t length_ = 0;
  unsigned runLeft_ = 0;
  int pendingHigh_ = -1;  // first byte of a back-reference whose second is still due
};

// Decodes a whole stretch at once; returns the number of text bytes written to out.
std::size_t decodePalmDoc(const unsigned char* in, std::size_t inSize, unsigned char* out,
                          std::size_t capacity);
