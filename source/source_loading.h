#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "format/doc_importer.h"
#include "source/charset.h"

#include "source/work_text.h"

namespace quillet {

// Turning each kind of source into working text, and the working text into the file the
// builder reads. Failures are returned; telling the user is the caller's business.

enum class LoadStatus {
  kLoaded,
  kSourceMissing,   // the source file cannot be opened
  kNoWorkBuffer,    // the text cannot be held in memory
  kNoBlankBuffer,   // the blank document cannot be had
  kDocCannotOpen,   // the Doc source cannot be opened
  kDocNotDoc,       // the Doc source is no Doc
  kDocNoMemory,     // the Doc source's text cannot be held in memory
};

// The fixed names used, in the current folder, when the temporary folder yields no name.
inline constexpr char kFirstTemporaryFallback[] = "tempdoc1.$$$";
inline constexpr char kSecondTemporaryFallback[] = "tempdoc2.$$$";

// A new temporary file's path: a unique file made in the system's temporary folder, or
// fallback when none can be had.
std::string makeTemporaryPath(const char* fallback);

// Takes the clipboard's text, without its CRs (so CR LF becomes LF and a lone CR
// vanishes). Returns whether text was taken; otherwise the working text is unchanged.
bool captureClipboard(WorkText& text);

// Fills the working text from the source: a blank document, a text file, an HTML file
// through the converter, a Doc through the importer, or (kind 4) the text captured from
// the clipboard as it is. Then applies the line-break rule: for HTML always, in its
// HTML form; otherwise when stripLineBreaks is set.
[[nodiscard]] LoadStatus loadSource(WorkText& text, int sourceType, const char* sourcePath,
                                    bool stripLineBreaks, bool publicFormat);

// The steps loadSource is made of.
[[nodiscard]] bool loadBlankDoc(WorkText& text);
[[nodiscard]] LoadStatus loadTextFile(WorkText& text, const char* sourcePath);
// Replaces the loaded HTML with the converter's output (CRs removed). When a temporary
// file cannot be made, the raw HTML stays, silently.
[[nodiscard]] LoadStatus convertHtmlText(WorkText& text, bool publicFormat);
[[nodiscard]] LoadStatus loadDocFile(WorkText& text, const char* sourcePath);

// Text bytes already in memory (standard input, say), read by the text-file rules.
[[nodiscard]] LoadStatus loadTextBytes(WorkText& text, const char* bytes, std::size_t size);

// What a Doc source brings besides its text.
struct DocSourceFacts {
  std::vector<DocDamage> damage;   // what is wrong with it; empty for a sound one
  std::vector<Bookmark> bookmarks;  // its bookmark records, offsets into its text
};

// A Doc database's text into the working text, replacing what it held (the database may
// be that text itself); what is wrong with it and its bookmarks go to `facts` (when
// given). `consumed`: as importDocBytes takes it.
[[nodiscard]] LoadStatus loadDocBytes(WorkText& text, std::span<const unsigned char> database,
                                      DocSourceFacts* facts = nullptr,
                                      const std::function<void(std::size_t)>& consumed = nullptr);

// How quillet reads a source's bytes. Classic: as the application reads them, the bytes
// taken as they are. Unicode: the charset found (or named) and the text decoded into
// Windows-1252 with the closest fallbacks, every HTML5 reference read, and a single line
// break that -s removes between two visible characters made a blank. A Doc source is
// never transcoded.
struct SourceReading {
  bool unicode = false;
  std::optional<Charset> charset;   // named; none: found in the bytes
  CharsetReport* report = nullptr;  // unicode: the charset found and what was replaced
  std::string* title = nullptr;     // unicode: an HTML page's title, decoded
  // HTML: the headings whose places are marked (bit N for <HN>), for bookmarks; the byte
  // that marks them goes to *headingMarker (0 when none could be found or none asked for).
  unsigned headingLevels = 0;
  char* headingMarker = nullptr;
};

// The whole conversion in memory, for a source that has been read into the working text as
// it is (a file's bytes, standard input): the same text loadSource gives for that file,
// with no temporary file. A text is normalised in place; an HTML page is converted; a Doc
// is imported, and what is wrong with it and its bookmarks go to `facts` (when given). Then the
// line-break rule. A blank document ignores the bytes.
[[nodiscard]] LoadStatus loadSourceInPlace(WorkText& text, int sourceType, bool stripLineBreaks,
                                           bool publicFormat, DocSourceFacts* facts = nullptr,
                                           const SourceReading& reading = {});

// Writes the working text to a new temporary file with every LF stored as CR LF and
// returns its path; the caller deletes the file. Nothing when it cannot be written whole
// (nothing is left behind then).
[[nodiscard]] std::optional<std::string> writeBuildFile(const WorkText& text);

}  // namespace quillet
