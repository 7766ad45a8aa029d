#pragma once

#include <string>
#include <vector>

#include "format/doc_builder.h"

#include "source/source_loading.h"
#include "source/work_text.h"

namespace quillet {

// One conversion, source to database, as both programs make it: the dialog application
// step by step with its dialogs between, `quillet build` in one go. Each keeps only what is
// its own: the dialogs and message boxes there, arguments and printing here.

// Where the text comes from and the rules it is read by.
struct BookSource {
  int sourceType = 0;      // the source kind (source/source_kind.h)
  std::string path;        // the file, for a text, HTML or Doc source
  bool stripLineBreaks = false;
  bool publicFormat = false;  // also makes the HTML converter write plain text
};

// Fills the working text from the source and applies the line-break rules.
[[nodiscard]] LoadStatus loadBook(WorkText& text, const BookSource& source);

enum class MakeStatus {
  kMade,
  kNoBuildFile,  // the text could not be written to the build file
  kNotBuilt,     // the builder failed; whatever it wrote stays at the output path
};

// Makes the database from the working text: every CR removed, the text written to a
// temporary build file, the builder run on it, the build file deleted. outputPath names
// the database; empty, it is filled with a new temporary document's path (once the build
// file is written). palmName (a field of at least 33 bytes) is cut in place to 32
// characters.
[[nodiscard]] MakeStatus makeBook(WorkText& text, std::string& outputPath, char* palmName,
                                  bool publicFormat);

// ---- In memory, as quillet converts: no temporary file anywhere ----------------------

// The source's text from its bytes, read whole into the working text as they are (a file,
// standard input): the text loadBook gives for that file. A Doc source's damage and
// bookmarks go to `facts` when given. source.path is not read.
[[nodiscard]] LoadStatus loadBookInPlace(WorkText& text, const BookSource& source,
                                         DocSourceFacts* facts = nullptr,
                                         const SourceReading& reading = {});

// Makes the working text what the build file would have stored: every CR removed, the
// text cut at a byte 0x1A, NULs dropped. In place; writeDoc takes it from there.
void makeStoredText(WorkText& text);

}  // namespace quillet
