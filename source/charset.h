#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/heap_text.h"

namespace quillet {

// Character sets: finding the one a source is written in, decoding it, and writing every
// character in Windows-1252 (the handheld's character set) with the closest fallback.
//
// Decoded text is put in Unicode normalization form C before it is written ("e" followed by
// COMBINING ACUTE ACCENT is "é", 0xE9), then each character becomes its Windows-1252 byte,
// or, when Windows-1252 lacks it, the closest text a reader would accept: the letter without
// its marks ("ő" -> "o", "ǘ" -> "ü"), a ligature spelled out ("ﬁ" -> "fi"), an ASCII form
// ("→" -> "->", "≤" -> "<="), a space for every width of space, nothing for zero-width
// characters and marks that compose with nothing, and "?" for the rest (Chinese, Greek,
// emoji ...). Every character not written as itself is counted in a CharsetReport.

enum class Charset { kUtf8, kUtf16Le, kUtf16Be, kWindows1252 };

// "UTF-8", "UTF-16LE", "UTF-16BE", "Windows-1252".
const char* charsetName(Charset charset);

// The charset a name given by a person stands for (--charset NAME), or nothing. Names are
// the WHATWG labels of these encodings, in any case: "utf-8", "utf8", "utf-16" (a byte order
// mark decides, else little-endian), "utf-16le", "utf-16be", "windows-1252", "cp1252",
// "iso-8859-1", "latin1", "us-ascii" ... (ISO-8859-1 and ASCII are read as Windows-1252).
std::optional<Charset> charsetNamed(std::string_view name);

// How a charset was decided.
enum class CharsetSource {
  kNamed,          // the caller named it
  kByteOrderMark,  // the bytes begin with a byte order mark
  kMeta,           // an HTML page's <meta charset> or <meta http-equiv="Content-Type">
  kContent,        // the bytes are valid UTF-8 with at least one multi-byte sequence
  kDefault,        // none of these: Windows-1252
};

// "named", "byte order mark", "meta", "content", "default".
const char* charsetSourceName(CharsetSource source);

struct CharsetFound {
  Charset charset = Charset::kWindows1252;
  CharsetSource source = CharsetSource::kDefault;
  // The charset a page's meta names when it is none of these (say "iso-8859-2"), which was
  // therefore passed over; empty otherwise.
  std::string unsupported;
};

// The charset of a source, decided in this order: a byte order mark (UTF-8, UTF-16LE,
// UTF-16BE); for an HTML page (html), a <meta charset=...> or <meta http-equiv=
// "Content-Type" content="...; charset=..."> in its first 1024 bytes, read as browsers
// read it (comments and other tags' attributes passed over, quotes optional, any case; a
// meta naming UTF-16 means UTF-8); then the content: valid UTF-8 holding at least one
// multi-byte sequence is UTF-8; anything else is Windows-1252.
CharsetFound findCharset(std::string_view bytes, bool html);

// The same with a charset the caller named: a byte order mark still decides (as in
// browsers), otherwise the named charset does.
CharsetFound findCharset(std::string_view bytes, std::optional<Charset> named, bool html);

// One character that was not written as itself.
struct CharsetReplacement {
  std::size_t line = 0;    // 1-based: LF, CR LF and a lone CR end lines in the source
  char32_t codePoint = 0;  // the character (U+FFFD for an invalid sequence)
  std::string written;     // what it became in Windows-1252; empty when it vanished
  bool invalid = false;    // an invalid byte sequence, unpaired surrogate or reference
  std::string original;    // when invalid: its bytes, or the reference, as in the source
};

// What a conversion replaced.
struct CharsetReport {
  static constexpr std::size_t kKept = 8;

  CharsetFound found;        // filled in by the functions that find the charset
  std::size_t replaced = 0;  // characters written as a fallback or "?", or dropped
  std::size_t invalid = 0;   // invalid sequences, unpaired surrogates, invalid references
  std::vector<CharsetReplacement> first;  // the first kKept of both, in the order of lines

  bool clean() const { return replaced == 0 && invalid == 0; }
  // Keeps r among the first kKept by line (after those of the same line already kept).
  void keep(CharsetReplacement r);
};

// Decodes bytes from charset and writes them in Windows-1252 (see the top of this file).
// A byte order mark of the charset at the start is dropped; NUL characters pass as NUL.
// Each invalid byte sequence (UTF-8: each maximal invalid part; UTF-16: an unpaired
// surrogate, an odd last byte) becomes "?" and is counted in report.invalid. Windows-1252
// bytes are returned as they are. forHtml: fallback text holding '<', '>' or '&' ("→" ->
// "->") is written as references ("-&gt;"), so that the page's markup stays as it was.
std::string toWindows1252(std::string_view bytes, Charset charset, CharsetReport& report,
                          bool forHtml = false);

// toWindows1252 on text held in a block from malloc, written back into the same block a
// stretch of lines at a time, so that a large book is never held twice. Gives the same
// text and report; returns the text's new length. The block is grown (and so may move)
// only when the text written overtakes what is left to read. Throws std::bad_alloc, with
// the block's contents lost, when memory runs out. `stretch` is the least number of bytes
// read at a time (tests make it small).
inline constexpr std::size_t kInPlaceStretch = std::size_t{1} << 20;
std::size_t toWindows1252InPlace(HeapText& block, std::size_t size, Charset charset,
                                 CharsetReport& report, std::size_t stretch = kInPlaceStretch);

// findCharset, then toWindows1252; report.found says what was found.
std::string readAsWindows1252(std::string_view bytes, std::optional<Charset> named, bool html,
                              CharsetReport& report);

// Appends a code point (up to U+10FFFF) to out in UTF-8.
void appendUtf8(std::string& out, char32_t codePoint);

// Windows-1252 text in UTF-8 (the five undefined bytes as U+0081 ...).
std::string windows1252ToUtf8(std::string_view text);

// The line of each offset in a source: LF, CR LF and a lone CR end lines. Offsets asked for
// in increasing order cost one pass in all.
class LineCounter {
 public:
  // unit: 1 for 8-bit text and UTF-8, 2 for UTF-16 (bigEndian says which order).
  explicit LineCounter(std::string_view source, std::size_t unit = 1, bool bigEndian = false)
      : source_(source), unit_(unit), bigEndian_(bigEndian) {}
  // Counting from `from`, the start of line `line`; no offset before it is asked for.
  LineCounter(std::string_view source, std::size_t unit, bool bigEndian, std::size_t from,
              std::size_t line)
      : source_(source), unit_(unit), bigEndian_(bigEndian), origin_(from), originLine_(line),
        position_(from), line_(line) {}

  // The 1-based line of the character at offset.
  std::size_t lineAt(std::size_t offset);

 private:
  std::string_view source_;
  std::size_t unit_;
  bool bigEndian_;
  std::size_t origin_ = 0;
  std::size_t originLine_ = 1;
  std::size_t position_ = 0;
  std::size_t line_ = 1;
  bool afterCr_ = false;
};

// How one code point is written in Windows-1252.
struct Windows1252Form {
  std::string_view text;  // its byte, or the fallback ("?" when there is none; may be empty)
  bool exact = false;     // the character itself (or its canonical equivalent), no replacement
};
Windows1252Form windows1252Form(char32_t codePoint);

// The capital of a Windows-1252 letter that has one in Windows-1252 (a-z, à-þ but ÷,
// š œ ž ÿ); any other byte as it is.
unsigned char windows1252Capital(unsigned char byte);

// The canonical composite of a and b (NFC's composition, exclusions left out), or 0.
char32_t composeCanonicalPair(char32_t a, char32_t b);

}  // namespace quillet
