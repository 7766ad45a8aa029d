#pragma once

#include <cstdint>
#include <span>

namespace quillet::charset_data {

// The character data source/charset.cpp works from, generated into charset_tables.cpp by
// tools/gen_charset_tables.py from the Unicode Character Database and the HTML5 entity
// table. Every span is sorted by its first field; ranges do not overlap.

// Windows-1252 byte -> code point. The five bytes Windows-1252 leaves undefined (0x81 0x8D
// 0x8F 0x90 0x9D) stand for U+0081 ... as browsers read them.
extern const char16_t kWindows1252ToUnicode[256];

// Code point -> byte for the 27 Windows-1252 characters above U+00FF.
struct Windows1252High {
  char16_t codePoint;
  unsigned char byte;
};
extern const Windows1252High kWindows1252High[27];

// The capital of each Windows-1252 letter that has one in Windows-1252; other bytes map to
// themselves.
extern const unsigned char kWindows1252Upper[256];

// Code points first..last, which Windows-1252 lacks, are written as the Windows-1252 text
// kFallbackText[offset .. offset + length): the closest form a reader would accept (empty:
// the character vanishes). exact: the text is the character's own canonical equivalent
// (KELVIN SIGN is "K"), not a replacement. Code points in no range are written "?".
struct FallbackRange {
  char32_t first;
  char32_t last;
  std::uint16_t offset;
  std::uint8_t length;
  std::uint8_t exact;
};
extern const std::span<const FallbackRange> kFallbacks;
extern const char kFallbackText[];

// Every canonical decomposition of one level: composite -> first (+ second; 0 for a
// singleton). Hangul syllables are not listed (they decompose by arithmetic).
struct CanonicalDecomposition {
  char32_t composite;
  char32_t first;
  char32_t second;
};
extern const std::span<const CanonicalDecomposition> kCanonicalDecompositions;

// The rows of kCanonicalDecompositions that composition may make (the primary composites:
// pairs, less the composition exclusions), as indexes sorted by (first, second).
extern const std::span<const std::uint16_t> kCompositions;

// Canonical combining classes other than 0.
struct CombiningClass {
  char32_t first;
  char32_t last;
  std::uint8_t combiningClass;
};
extern const std::span<const CombiningClass> kCombiningClasses;

struct CodePointRange {
  char32_t first;
  char32_t last;
};
// The code points that normalization to NFC may change or join to what comes before:
// combining class other than 0, or NFC quick check No or Maybe. All are U+0300 or above.
extern const std::span<const CodePointRange> kNeedsNormalization;

// The HTML5 named character references, sorted by name (bytewise). The name is
// kHtml5EntityNames[nameOffset .. nameOffset + nameLength), with its ';' when it has one;
// the names without one are the legacy names matched without it.
struct Html5Entity {
  std::uint16_t nameOffset;
  std::uint8_t nameLength;
  char32_t first;
  char32_t second;  // 0 when the reference stands for one code point
};
extern const std::span<const Html5Entity> kHtml5Entities;
extern const char kHtml5EntityNames[];

}  // namespace quillet::charset_data
