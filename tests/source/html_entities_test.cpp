#include "source/html_entities.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace quillet {

namespace {

struct Result {
  EntityKind kind;
  int byte;
  std::size_t length;
  bool operator==(const Result&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Result& r) {
  return out << "{kind " << static_cast<int>(r.kind) << ", byte 0x" << std::hex << r.byte
             << std::dec << ", length " << r.length << "}";
}

Result match(std::string_view text, bool bold = false) {
  const EntityMatch m = matchEntity(text, bold);
  return {m.kind, m.byte, m.length};
}

// "&" and name, built by appending (GCC 12 warns falsely on "&" + std::string at -O2).
std::string reference(const char* name, std::string_view after = {}) {
  std::string text = "&";
  text += name;
  text += after;
  return text;
}

Result byte(int value, std::size_t length) { return {EntityKind::kByte, value, length}; }
const Result kNoMatch{EntityKind::kNoMatch, 0, 0};

TEST(HtmlEntitiesTest, NamesCompareWithCaseAndOnlyTheListedNamesAreKnown) {
  EXPECT_EQ(match("&amp;"), byte(0x26, 5));
  EXPECT_EQ(match("&amp;rest of the text"), byte(0x26, 5));
  EXPECT_EQ(match("&AMP;"), kNoMatch);
  EXPECT_EQ(match("&Amp;"), kNoMatch);
  EXPECT_EQ(match("&eacute;"), byte(0xE9, 8));
  EXPECT_EQ(match("&Eacute;"), byte(0xC9, 8));
  EXPECT_EQ(match("&EACUTE;"), kNoMatch);
  EXPECT_EQ(match("&amp"), kNoMatch);  // the ';' belongs to the name
  for (const char* unknown : {"&aring;", "&otilde;", "&oslash;", "&yacute;", "&yuml;", "&aelig;",
                              "&mdash;", "&hellip;", "&euro;", "&", "&;", "&#;"}) {
    EXPECT_EQ(match(unknown), kNoMatch) << unknown;
  }
}

TEST(HtmlEntitiesTest, BoldRaisesOnlyTheLettersThatHaveACapitalForm) {
  EXPECT_EQ(match("&eacute;", true), byte(0xC9, 8));
  EXPECT_EQ(match("&uuml;", true), byte(0xDC, 6));
  EXPECT_EQ(match("&Eacute;", false), byte(0xC9, 8));  // a capital name is capital anyway
  EXPECT_EQ(match("&sup2;", true), byte(0xB2, 6));
  EXPECT_EQ(match("&szlig;", true), byte(0xDF, 7));
  EXPECT_EQ(match("&amp;", true), byte(0x26, 5));
  EXPECT_EQ(match("&#097;", true), byte(0x61, 6));  // numeric references are never raised
}

TEST(HtmlEntitiesTest, NonBreakingSpaceIsTheOneNameInAnyCase) {
  const Result space{EntityKind::kSpace, ' ', 6};
  EXPECT_EQ(match("&nbsp;"), space);
  EXPECT_EQ(match("&NBSP;"), space);
  EXPECT_EQ(match("&Nbsp;x"), space);
  EXPECT_EQ(match("&nbsp"), kNoMatch);
  EXPECT_EQ(match("&nbsp x"), kNoMatch);
}

TEST(HtmlEntitiesTest, NumericReferencesTakeExactlyThreeDigitsModulo256) {
  EXPECT_EQ(match("&#065;"), byte(0x41, 6));
  EXPECT_EQ(match("&#160;"), byte(0xA0, 6));
  EXPECT_EQ(match("&#300;"), byte(0x2C, 6));
  EXPECT_EQ(match("&#999;"), byte(0xE7, 6));
  EXPECT_EQ(match("&#256;"), byte(0x00, 6));  // low byte zero, but the value is not
  EXPECT_EQ(match("&#000;"), (Result{EntityKind::kNothing, 0, 6}));
  for (const char* other :
       {"&#65;", "&#0065;", "&#1;", "&#x41;", "&#X041;", "&#06a;", "&#065", "&#06", "&# 65;"}) {
    EXPECT_EQ(match(other), kNoMatch) << other;
  }
}

TEST(HtmlEntitiesTest, EveryRowIsReachableWithItsOwnLength) {
  ASSERT_EQ(EntityTable[kEntityCount].entityName[0], '\0');
  int capitals = 0;
  for (std::size_t i = 0; i < kEntityCount; ++i) {
    const EntityEntry& entry = EntityTable[i];
    const std::size_t length = std::strlen(entry.entityName);
    ASSERT_GT(length, 1u) << i;
    ASSERT_LE(length, 9u) << i;
    EXPECT_EQ(entry.entityName[length - 1], ';') << i;
    // Followed by more text, as the converter sees it.
    EXPECT_EQ(match(reference(entry.entityName, "xyz")), byte(entry.entityByte, length + 1))
        << entry.entityName;
    if (entry.capitalName[0] != '\0') {
      ++capitals;
      EXPECT_EQ(match(reference(entry.capitalName)),
                byte(entry.capitalByte, std::strlen(entry.capitalName) + 1))
          << entry.capitalName;
    } else {
      EXPECT_EQ(entry.capitalByte, 0) << entry.entityName;
    }
  }
  EXPECT_EQ(capitals, 20);
  // A few rows by hand: both ends of the table and a capital.
  EXPECT_EQ(match("&plusmn;"), byte(0xB1, 8));
  EXPECT_EQ(match("&div;"), byte(0xF7, 5));
  EXPECT_EQ(match("&Ntilde;"), byte(0xD1, 8));
}

}  // namespace

}  // namespace quillet
