#pragma once

#include <cstddef>
#include <string_view>

namespace quillet {

// The named character references the HTML converter knows, and the rules by which a '&'
// in running text becomes one byte of Windows-1252 text.

// One row of the entity table. Names carry no '&' and end with their ';'.
struct EntityEntry {
  char entityName[10];  // at most 9 characters and a NUL; empty only in the ending entry
  unsigned char entityByte;
  char capitalName[10];       // the capital-letter form, empty when there is none
  unsigned char capitalByte;  // 0 when there is no capital form
};

inline constexpr std::size_t kEntityCount = 57;

// The 57 known names in their fixed order, then one entry with an empty entityName that
// ends the table.
extern const EntityEntry EntityTable[kEntityCount + 1];

enum class EntityKind {
  kByte,     // one character: EntityMatch::byte
  kSpace,    // the non-breaking space reference; handled as one whitespace character
  kNothing,  // a numeric reference of value 0: taken, yields nothing
  kNoMatch,  // the '&' is ordinary text
};

struct EntityMatch {
  EntityKind kind = EntityKind::kNoMatch;
  unsigned char byte = 0;
  std::size_t length = 0;  // characters the reference takes, the '&' included (0 for no match)
};

// What the text at a '&' stands for. text starts with the '&' and runs to the end of the
// input: a reference that would need characters past its end does not match. bold says
// whether the converter is inside bold text (then lower-case accented letters of the
// table come out as capitals).
// REQUIRES: !text.empty() && text[0] == '&'.
EntityMatch matchEntity(std::string_view text, bool bold);

// --- HTML5's rules (the unicode reading profile) ---------------------------------------------

enum class Html5ReferenceKind {
  kCharacters,        // one or two code points
  kNonBreakingSpace,  // a named reference to U+00A0 ("&nbsp;", "&nbsp", "&NonBreakingSpace;")
  kInvalid,           // a numeric reference to 0, a surrogate or beyond U+10FFFF
  kNoMatch,           // the '&' is ordinary text
};

struct Html5Reference {
  Html5ReferenceKind kind = Html5ReferenceKind::kNoMatch;
  char32_t first = 0;
  char32_t second = 0;     // 0 when the reference stands for one code point
  std::size_t length = 0;  // characters the reference takes, the '&' included
};

// What the text at a '&' stands for as the HTML5 tokenizer reads running text: a named
// reference is the longest name of the HTML5 table the text begins with, compared with
// case, where names without their ';' are only the legacy ones ("&amp", "&eacute", "&not"
// in "&notit;"); a numeric reference is "&#" and decimal digits or "&#x" ("&#X") and hex
// digits, of any length, the ';' optional. 0x80-0x9F are read as Windows-1252
// ("&#150;" is U+2013). text runs to the end of the input.
// REQUIRES: !text.empty() && text[0] == '&'.
Html5Reference matchHtml5Reference(std::string_view text);

}  // namespace quillet
