#include "tests/support/generated_text.h"

namespace quillet::testing_support {

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

std::string generatedText(TextKind kind, std::size_t size, std::uint64_t seed) {
  if (kind == TextKind::kProse) return proseText(size, seed);
  if (kind == TextKind::kOneByteRun || kind == TextKind::kSpaces)
    return std::string(size, kind == TextKind::kSpaces ? ' ' : 'a');
  TestRandom random(seed);
  std::string text(size, '\0');
  if (kind == TextKind::kRandomBytes) {
    for (auto& c : text) {
      unsigned b;
      do b = 1 + random.below(255);
      while (b == 0x0D || b == 0x1A);
      c = static_cast<char>(b);
    }
    return text;
  }
  std::string unit(kind == TextKind::kRepeatAt2047 ? 2047 : 2048, '\0');
  for (auto& c : unit) c = static_cast<char>('a' + random.below(26));
  for (std::size_t i = 0; i < size; ++i) text[i] = unit[i % unit.size()];
  return text;
}

const char* textKindName(TextKind kind) {
  static const char* const kNames[] = {"prose",  "random_bytes",   "one_byte_run",
                                       "spaces", "repeat_at_2047", "repeat_at_2048"};
  return kNames[static_cast<int>(kind)];
}

}  // namespace quillet::testing_support
