#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "source/charset.h"

namespace quillet {

// Turns an HTML page into the text of a Doc: 8-bit Windows-1252 characters with CR LF line
// breaks. In doc markup the title and headings become <HEADER ...> tags and a rule becomes
// <HRULE>; in plain text the same layout carries no tags and ends with a 3-byte trailer.
//
// The converter builds no tree and rejects nothing: it reads forward, steered by a few
// counters, drops what it does not recognise as a tag and copies the rest. Any input is
// safe; the work is linear in the sizes of the input and the output.

// A text that may be absent ("none"), which is not the same as empty: an empty wrap text
// still replaces the whitespace it wraps at, by nothing.
using OptionalText = std::optional<std::string_view>;

// The settings of one pass over the input.
struct PassTexts {
  std::string_view stopText;      // the pass ends after it (any case); empty: at the end
  std::string_view ruleText;      // written for a horizontal rule
  std::string_view headingOpen;   // written at the start of a heading
  std::string_view headingClose;  // written at its end
  std::string_view headingWrap;   // the wrap text inside a heading
  int wrapWidth;                  // whitespace past this column wraps
  OptionalText wrapText;          // the wrap text at the start of the pass
};

inline constexpr std::string_view kHeaderTag =
    "<HEADER STYLE=UNDERLINED ALIGN=CENTER FONT=1 TEXT=\"";
inline constexpr std::string_view kHeaderWrap =
    "\">\r\n<HEADER STYLE=UNDERLINED ALIGN=CENTER FONT=1 TEXT=\"";
// The first title line names ALIGN before STYLE; every later HEADER tag the other way round.
inline constexpr std::string_view kTitleOpenMarkup =
    "<HEADER ALIGN=CENTER STYLE=UNDERLINED FONT=1 TEXT=\"";
inline constexpr std::string_view kTitleCloseMarkup = "\">\r\n";
inline constexpr std::string_view kTitleOpenPlain = "\r\n";
inline constexpr std::string_view kTitleClosePlain = "\r\n";
inline constexpr std::string_view kRuleMarkup = "<HRULE>";
// Five spaces, twenty em dashes, CR LF.
inline constexpr std::string_view kRulePlain =
    "     \x97\x97\x97\x97\x97\x97\x97\x97\x97\x97\x97\x97\x97\x97\x97\x97\x97\x97\x97\x97\r\n";
inline constexpr std::string_view kPlainTrailer = "<\x8D>";

inline constexpr PassTexts kTitlePassMarkup{"</TITLE", "", "", "", "", 20, kHeaderWrap};
inline constexpr PassTexts kTitlePassPlain{"</TITLE", "", "", "", "", 10000, ""};
inline constexpr PassTexts kBodyPassMarkup{"",          kRuleMarkup, kHeaderTag,  "\">",
                                           kHeaderWrap, 20,          std::nullopt};
inline constexpr PassTexts kBodyPassPlain{"", kRulePlain, "", "\r\n", "", 10000, std::nullopt};

// The state of one pass. Every counter starts at 0 and none is clamped.
struct ScanState {
  int column = 0;              // characters counted on the output line since its last break
  int breakRun = 0;            // line breaks written since the last visible character
  int spaceRun = 0;            // nonzero after a written space or line break: whitespace is dropped
  int listDepth = 0;           // lists and block quotes; may go below 0
  int cellCount = 0;           // table cells in the current row
  int boldDepth = 0;           // any nonzero value raises letters to capitals
  std::string_view skipUntil;  // while not empty, input is dropped up to and including it
  OptionalText wrapText;       // written in place of whitespace past the wrap width
};

// The input of a conversion: the whole page in memory and a reading position. Every test
// looks at no more characters than the text it compares; the end of the input matches
// nothing.
class HtmlInput {
 public:
  explicit HtmlInput(std::string_view bytes) : bytes_(bytes) {}

  bool atEnd() const { return position_ >= bytes_.size(); }
  // REQUIRES: !atEnd().
  unsigned char current() const { return static_cast<unsigned char>(bytes_[position_]); }
  // From the reading position to the end of the input.
  std::string_view rest() const { return bytes_.substr(position_); }
  std::size_t position() const { return position_; }

  std::string_view bytes() const { return bytes_; }
  bool startsWith(std::string_view text) const;         // compared with case
  bool startsWithAnyCase(std::string_view text) const;  // ASCII letters in either case

  // Moves on by n characters, or to the end when fewer are left.
  void consume(std::size_t n) {
    position_ += n < bytes_.size() - position_ ? n : bytes_.size() - position_;
  }
  // Moves on to the next occurrence of a or b, or to the end.
  void advanceToEither(unsigned char a, unsigned char b);
  void rewind() { position_ = 0; }

 private:
  std::string_view bytes_;
  std::size_t position_ = 0;
};

// Where converted bytes go, strictly in order: appended to a string, or streamed to an
// open binary file through a small buffer.
class HtmlOutput {
 public:
  explicit HtmlOutput(std::string& text) : text_(&text) {}
  explicit HtmlOutput(std::FILE* file) : file_(file) {}
  ~HtmlOutput() { flush(); }
  HtmlOutput(const HtmlOutput&) = delete;
  HtmlOutput& operator=(const HtmlOutput&) = delete;

  void put(unsigned char c) {
    if (used_ == sizeof buffer_) drain();
    buffer_[used_++] = static_cast<char>(c);
  }
  void put(std::string_view text);
  void putRepeated(char c, std::size_t count);

  // Hands on everything written so far. False once any write to the file has failed.
  bool flush();
  // The errno of the first write that failed, else 0.
  int error() const { return error_; }

 private:
  void drain();
  void fail();

  std::string* text_ = nullptr;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
  int error_ = 0;
  std::size_t used_ = 0;
  char buffer_[1 << 14];
};

// How '&' references are read.
enum class ReferenceRules {
  kClassic,  // the dialog application's: matchEntity (57 names, "&#DDD;")
  kHtml5,    // every HTML5 reference (matchHtml5Reference), written in Windows-1252 with
             // the fallbacks of source/charset.h; '&nbsp;' is whitespace as before, and so
             // is a reference to a space, tab, CR or LF; in bold text every letter a
             // reference gives is raised to its Windows-1252 capital
};

struct HtmlReading {
  ReferenceRules references = ReferenceRules::kClassic;
  // kHtml5: where the references replaced or found invalid are counted (may be null).
  // Their lines are the lines of the page the converter reads.
  CharsetReport* report = nullptr;
  // For bookmarks: a byte (none: 0) written where a heading of one of these levels (bit N
  // for <HN>) begins, before its opening text. The caller finds the places by it once the
  // text is final, and takes the byte out; it must be a byte the page does not hold.
  char headingMarker = 0;
  unsigned headingLevels = 0;
};

// Reads forward to the next occurrence of text (any case) and on past it. Returns 0, or -1
// when the input ends first (the input is then at its end).
// REQUIRES: !text.empty().
int skipPast(HtmlInput& input, std::string_view text);

// Runs one pass from the reading position with a fresh ScanState. Returns 0 when it stopped
// after texts.stopText, -1 when it reached the end of the input.
int scanHtml(HtmlInput& input, HtmlOutput& output, const PassTexts& texts);
int scanHtml(HtmlInput& input, HtmlOutput& output, const PassTexts& texts,
             const HtmlReading& reading);

// The whole conversion of a page held in memory: the title search, the title pass, the body
// pass and, in plain text, the trailer.
void convertHtmlBytes(std::string_view html, HtmlOutput& output, bool publicFormat, bool useTitle,
                      const HtmlReading& reading = {});

// convertHtmlBytes into a string.
std::string convertHtmlToString(std::string_view html, bool publicFormat, bool useTitle,
                                const HtmlReading& reading = {});

// The unicode reading profile: the page's charset found (a byte order mark, then named, then
// its meta, then its content: findCharset), the page written in Windows-1252
// (toWindows1252 for HTML), then converted with HTML5 references. report.found says how the
// charset was found; replacements in the page's text and in its references are both
// counted there, with the page's lines. title, when given, receives pageTitle of the page.
std::string convertHtmlUnicode(std::string_view pageBytes, std::optional<Charset> named,
                               bool publicFormat, bool useTitle, CharsetReport& report,
                               std::string* title = nullptr);

// The text of a page's first <title> element (outside comments), references decoded by
// HTML5's rules into Windows-1252, runs of blanks made one space, none at either end.
// Empty when there is no title.
std::string pageTitle(std::string_view windows1252Page);

// Converts the file htmlPath into the file textPath (created or truncated), both byte for
// byte. Always returns 0: the caller judges the outcome by the output file alone. When
// textPath cannot be created nothing happens; when htmlPath cannot be read the output file
// is left empty. Write errors are ignored.
int convertHtml(const char* htmlPath, const char* textPath, bool publicFormat, bool useTitle);

}  // namespace quillet
