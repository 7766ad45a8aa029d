#pragma once

#include <cstddef>

#include "source/work_text.h"

namespace quillet {

// The program's line-break rules. Every operation works in place on the one block.

// Turns the raw bytes of a text file, held in bytes[0 .. size), into working text:
// CR LF, a lone CR and a lone LF each become one LF (so LF CR gives two, CR CR LF two);
// NUL bytes are dropped; everything else stays. Returns the new length (<= size).
std::size_t normalizeTextFileBytes(char* bytes, std::size_t size);

// Drops single line breaks. Position 0 always stays. An LF with an LF on both sides goes;
// with an LF on one side only it stays; with none beside it it goes in the plain form and
// stays in the HTML form. So in the plain form one LF joins its lines, a pair stays and a
// longer run becomes a pair; the HTML form keeps single LFs too.
void stripSingleLineBreaks(WorkText& text, bool htmlForm);

// The same, where joinWithBlank makes a single line break that goes between two characters
// that are not blanks (space, tab, LF, CR) a space instead ("for" LF "software" -> "for
// software"); a break beside a blank, or at either end, still just goes. With joinWithBlank
// false this is the rule above.
void stripSingleLineBreaks(WorkText& text, bool htmlForm, bool joinWithBlank);

// Puts a CR in front of every LF (for the preview). False, with the text unchanged, when
// the grown block cannot be had.
bool expandLineEnds(WorkText& text);

// Removes every CR.
void removeCarriageReturns(WorkText& text);

}  // namespace quillet
