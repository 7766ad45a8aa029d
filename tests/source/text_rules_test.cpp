// The fast text rules against the rules written out byte by byte, on texts where CR, LF,
// NUL and 0x1A meet in every order and at every place.
#include <gtest/gtest.h>

#include <string>

#include "base/bytes.h"
#include "format/doc_builder.h"
#include "source/line_breaks.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

// A text file's bytes as working text: CR LF, a lone CR and a lone LF each one LF (the byte
// before is remembered even when it was dropped), NUL dropped.
std::string normalizedByteByByte(const std::string& in) {
  std::string out;
  char previous = '\0';
  for (const char c : in) {
    if (c == '\n' && previous == '\r') {
    } else if (c == '\r' || c == '\n') {
      out += '\n';
    } else if (c != '\0') {
      out += c;
    }
    previous = c;
  }
  return out;
}

TEST(TextRulesTest, TheFastRulesGiveWhatTheRulesSayByteByByte) {
  TestRandom random(5);
  const char awkward[] = {'\r', '\n', '\0', 'a', 0x1A, ' '};
  for (int round = 0; round < 400; ++round) {
    std::string text(random.below(64), 'x');
    for (char& c : text) c = awkward[random.below(sizeof awkward)];
    SCOPED_TRACE(hexOf(bytesOf(text)));
    std::string normalized = text;
    normalized.resize(normalizeTextFileBytes(normalized.data(), normalized.size()));
    EXPECT_EQ(normalized, normalizedByteByByte(text));

    std::string withoutCr = text;
    withoutCr.resize(removeEveryByte(withoutCr.data(), withoutCr.size(), '\r'));
    std::string expected;
    for (const char c : text) {
      if (c != '\r') expected += c;
    }
    EXPECT_EQ(withoutCr, expected);

    std::string stored = text;
    stored.resize(toStoredText(stored.data(), stored.size()));
    expected.clear();
    for (const char c : text.substr(0, text.find('\x1A'))) {
      if (c != '\0') expected += c;
    }
    EXPECT_EQ(stored, expected);
  }
}

}  // namespace

}  // namespace quillet
