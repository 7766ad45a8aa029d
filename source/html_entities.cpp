#include "source/html_entities.h"

#include <algorithm>

#include "base/ascii.h"
#include "source/charset_tables.h"

namespace quillet {

namespace {

constexpr std::size_t kNumericLength = 6;  // "&#" three digits ";"
constexpr std::string_view kNbsp = "&nbsp;";

bool isDigit(char c) { return c >= '0' && c <= '9'; }


// True when text begins with name (a NUL-terminated field), compared with case.
bool beginsWithName(std::string_view text, const char* name) {
  std::size_t i = 0;
  for (; name[i] != '\0'; ++i) {
    if (i >= text.size() || text[i] != name[i]) return false;
  }
  return true;
}

std::size_t nameLength(const char* name) {
  std::size_t n = 0;
  while (name[n] != '\0') ++n;
  return n;
}

// "&#DDD;" with exactly three decimal digits.
bool matchNumeric(std::string_view text, EntityMatch& match) {
  if (text.size() < kNumericLength || text[1] != '#' || text[5] != ';') return false;
  if (!isDigit(text[2]) || !isDigit(text[3]) || !isDigit(text[4])) return false;
  const int value = 100 * (text[2] - '0') + 10 * (text[3] - '0') + (text[4] - '0');
  match.length = kNumericLength;
  if (value == 0) {
    match.kind = EntityKind::kNothing;
  } else {
    match.kind = EntityKind::kByte;
    match.byte = static_cast<unsigned char>(value % 256);
  }
  return true;
}

bool matchNbsp(std::string_view text) { return startsWithIgnoringAsciiCase(text, kNbsp); }

}  // namespace

// clang-format off
const EntityEntry EntityTable[kEntityCount + 1] = {
    {"plusmn;", 0xB1, "", 0},
    {"iexcl;", 0xA1, "", 0},
    {"szlig;", 0xDF, "", 0},
    {"sup1;", 0xB9, "", 0},
    {"sup2;", 0xB2, "", 0},
    {"sup3;", 0xB3, "", 0},
    {"cent;", 0xA2, "", 0},
    {"pound;", 0xA3, "", 0},
    {"curren;", 0xA4, "", 0},
    {"micro;", 0xB5, "", 0},
    {"yen;", 0xA5, "", 0},
    {"para;", 0xB6, "", 0},
    {"brvbar;", 0xA6, "", 0},
    {"middot;", 0xB7, "", 0},
    {"sect;", 0xA7, "", 0},
    {"cedil;", 0xB8, "", 0},
    {"uml;", 0xA8, "", 0},
    {"copy;", 0xA9, "", 0},
    {"ordm;", 0xBA, "", 0},
    {"ordf;", 0xAA, "", 0},
    {"raquo;", 0xBB, "", 0},
    {"laquo;", 0xAB, "", 0},
    {"frac14;", 0xBC, "", 0},
    {"not;", 0xAC, "", 0},
    {"frac12;", 0xBD, "", 0},
    {"shy;", 0xAD, "", 0},
    {"frac34;", 0xBE, "", 0},
    {"reg;", 0xAE, "", 0},
    {"iquest;", 0xBF, "", 0},
    {"macr;", 0xAF, "", 0},
    {"times;", 0xD7, "", 0},
    {"deg;", 0xB0, "", 0},
    {"div;", 0xF7, "", 0},
    {"amp;", 0x26, "", 0},
    {"gt;", 0x3E, "", 0},
    {"lt;", 0x3C, "", 0},
    {"quot;", 0x22, "", 0},
    {"agrave;", 0xE0, "Agrave;", 0xC0},
    {"aacute;", 0xE1, "Aacute;", 0xC1},
    {"acirc;", 0xE2, "Acirc;", 0xC2},
    {"auml;", 0xE4, "Auml;", 0xC4},
    {"ccedil;", 0xE7, "Ccedil;", 0xC7},
    {"egrave;", 0xE8, "Egrave;", 0xC8},
    {"eacute;", 0xE9, "Eacute;", 0xC9},
    {"ecirc;", 0xEA, "Ecirc;", 0xCA},
    {"igrave;", 0xEC, "Igrave;", 0xCC},
    {"iacute;", 0xED, "Iacute;", 0xCD},
    {"icirc;", 0xEE, "Icirc;", 0xCE},
    {"ntilde;", 0xF1, "Ntilde;", 0xD1},
    {"ograve;", 0xF2, "Ograve;", 0xD2},
    {"oacute;", 0xF3, "Oacute;", 0xD3},
    {"ocirc;", 0xF4, "Ocirc;", 0xD4},
    {"ouml;", 0xF6, "Ouml;", 0xD6},
    {"ugrave;", 0xF9, "Ugrave;", 0xD9},
    {"uacute;", 0xFA, "Uacute;", 0xDA},
    {"ucirc;", 0xFB, "Ucirc;", 0xDB},
    {"uuml;", 0xFC, "Uuml;", 0xDC},
    {"", 0, "", 0},
};
// clang-format on

EntityMatch matchEntity(std::string_view text, bool bold) {
  EntityMatch match;
  if (matchNumeric(text, match)) return match;
  if (matchNbsp(text)) {
    match.kind = EntityKind::kSpace;
    match.byte = ' ';
    match.length = kNbsp.size();
    return match;
  }
  const std::string_view name = text.substr(1);
  for (const EntityEntry* entry = EntityTable; entry->entityName[0] != '\0'; ++entry) {
    const bool hasCapital = entry->capitalName[0] != '\0';
    if (beginsWithName(name, entry->entityName)) {
      match.kind = EntityKind::kByte;
      match.byte = bold && hasCapital ? entry->capitalByte : entry->entityByte;
      match.length = 1 + nameLength(entry->entityName);
      return match;
    }
    if (hasCapital && beginsWithName(name, entry->capitalName)) {
      match.kind = EntityKind::kByte;
      match.byte = entry->capitalByte;
      match.length = 1 + nameLength(entry->capitalName);
      return match;
    }
  }
  return match;
}

namespace {

bool isAsciiAlphanumeric(char c) { return isDigit(c) || isAsciiLetter(c); }

std::string_view html5EntityName(const charset_data::Html5Entity& e) {
  return {charset_data::kHtml5EntityNames + e.nameOffset, e.nameLength};
}

const charset_data::Html5Entity* findHtml5Entity(std::string_view name) {
  const auto& table = charset_data::kHtml5Entities;
  const auto it = std::lower_bound(table.begin(), table.end(), name,
                                   [](const charset_data::Html5Entity& e, std::string_view v) {
                                     return html5EntityName(e) < v;
                                   });
  return it != table.end() && html5EntityName(*it) == name ? &*it : nullptr;
}

constexpr std::size_t kLongestHtml5Name = 32;  // ';' included
constexpr std::size_t kLongestLegacyName = 6;  // "aacute", "middot" ...
constexpr char32_t kBeyondUnicode = 0x110000;

Html5Reference numericReference(std::string_view text) {
  Html5Reference ref;
  std::size_t i = 2;  // after "&#"
  const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
  if (hex) ++i;
  const std::size_t digitsStart = i;
  char32_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    unsigned digit;
    if (isDigit(c)) {
      digit = static_cast<unsigned>(c - '0');
    } else if (hex && toLowerAscii(c) >= 'a' && toLowerAscii(c) <= 'f') {
      digit = static_cast<unsigned>(toLowerAscii(c) - 'a' + 10);
    } else {
      break;
    }
    // Past U+10FFFF the value only needs to stay there.
    value = std::min<char32_t>(value * (hex ? 16 : 10) + digit, kBeyondUnicode);
  }
  if (i == digitsStart) return ref;  // "&#" or "&#x" and no digit: ordinary text
  if (i < text.size() && text[i] == ';') ++i;
  ref.length = i;
  if (value == 0 || value >= kBeyondUnicode || (value >= 0xD800 && value <= 0xDFFF)) {
    ref.kind = Html5ReferenceKind::kInvalid;
    return ref;
  }
  ref.kind = Html5ReferenceKind::kCharacters;
  ref.first = value >= 0x80 && value <= 0x9F ? charset_data::kWindows1252ToUnicode[value] : value;
  return ref;
}

}  // namespace

Html5Reference matchHtml5Reference(std::string_view text) {
  if (text.size() > 1 && text[1] == '#') return numericReference(text);
  std::size_t run = 1;
  while (run < text.size() && run <= kLongestHtml5Name && isAsciiAlphanumeric(text[run])) ++run;
  const charset_data::Html5Entity* found = nullptr;
  std::size_t length = 0;
  if (run < text.size() && text[run] == ';' && run <= kLongestHtml5Name) {
    found = findHtml5Entity(text.substr(1, run));
    length = run + 1;
  }
  // Else the longest legacy name the text begins with; those are the names with no ';'.
  for (std::size_t end = std::min(run, 1 + kLongestLegacyName); found == nullptr && end > 1;
       --end) {
    found = findHtml5Entity(text.substr(1, end - 1));
    length = end;
  }
  Html5Reference ref;
  if (found == nullptr) return ref;
  ref.length = length;
  ref.first = found->first;
  ref.second = found->second;
  ref.kind = ref.first == 0xA0 && ref.second == 0 ? Html5ReferenceKind::kNonBreakingSpace
                                                  : Html5ReferenceKind::kCharacters;
  return ref;
}

}  // namespace quillet
