#include "tests/support/generated_text.h"

namespace quillet {

namespace testing_support {

std::uint64_t TestRandom::next() {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 7;
  state_ ^= state_ << 17;
  return state_;
}

std::string proseText(std::size_t size, std::uint64_t seed) {
  static const char* const kWords[] = {
      "the",   "of",     "and",    "a",       "to",     "in",      "is",      "you",   "that",
      "it",    "he",     "was",    "for",     "on",     "are",     "as",      "with",  "his",
      "they",  "at",     "be",     "this",    "from",   "I",       "have",    "or",    "by",
      "one",   "had",    "not",    "but",     "what",   "all",     "were",    "when",  "we",
      "there", "can",    "an",     "your",    "which",  "their",   "said",    "if",    "do",
      "will",  "each",   "about",  "how",     "up",     "out",     "them",    "then",  "she",
      "many",  "some",   "so",     "these",   "would",  "other",   "into",    "has",   "more",
      "river", "garden", "letter", "morning", "window", "silence", "journey", "Alice", "Palm"};
  TestRandom random(seed);
  std::string text;
  text.reserve(size + 16);
  unsigned wordsInSentence = 0;
  while (text.size() < size) {
    std::string word = kWords[random.below(sizeof kWords / sizeof kWords[0])];
    if (wordsInSentence == 0 && word[0] >= 'a') word[0] = static_cast<char>(word[0] - 32);
    text += word;
    if (++wordsInSentence > 6 + random.below(12)) {
      text += random.below(5) == 0 ? ".\n\n" : ". ";
      wordsInSentence = 0;
    } else {
      text += random.below(9) == 0 ? ",\n" : " ";
    }
  }
  text.resize(size);
  return text;
}

}  // namespace testing_support

namespace testing_support {

namespace {

std::string randomBytes(std::size_t size, std::uint64_t seed) {
  TestRandom random(seed);
  std::string text(size, '\0');
  for (auto& c : text) {
    unsigned b;
    do {
      b = 1 + random.below(255);
    } while (b == 0x0D || b == 0x1A);
    c = static_cast<char>(b);
  }
  return text;
}

std::string repeating(std::size_t period, std::size_t size, std::uint64_t seed) {
  TestRandom random(seed);
  std::string unit(period, '\0');
  for (auto& c : unit) c = static_cast<char>('a' + random.below(26));
  std::string text;
  text.reserve(size + period);
  while (text.size() < size) text += unit;
  text.resize(size);
  return text;
}

}  // namespace

std::string generatedText(TextKind kind, std::size_t size, std::uint64_t seed) {
  switch (kind) {
    case TextKind::kProse:
      return proseText(size, seed);
    case TextKind::kRandomBytes:
      return randomBytes(size, seed);
    case TextKind::kOneByteRun:
      return std::string(size, 'a');
    case TextKind::kSpaces:
      return std::string(size, ' ');
    case TextKind::kRepeatAt2047:
      return repeating(2047, size, seed);
    case TextKind::kRepeatAt2048:
      return repeating(2048, size, seed);
  }
  return {};
}

const char* textKindName(TextKind kind) {
  switch (kind) {
    case TextKind::kProse:
      return "prose";
    case TextKind::kRandomBytes:
      return "random_bytes";
    case TextKind::kOneByteRun:
      return "one_byte_run";
    case TextKind::kSpaces:
      return "spaces";
    case TextKind::kRepeatAt2047:
      return "repeat_at_2047";
    case TextKind::kRepeatAt2048:
      return "repeat_at_2048";
  }
  return "?";
}

}  // namespace testing_support

}  // namespace quillet
