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

}  // namespace quillet
