// A text built into a Doc and imported again comes back as the text the builder stores:
// CR LF read as LF, NUL bytes dropped, cut at the first 0x1A.
#include <gtest/gtest.h>

#include <algorithm>

#include "format/doc_builder.h"
#include "format/doc_importer.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

// What the builder stores for a text file, by the text-mode rules.
std::string storedText(const Bytes& file) {
  std::string text;
  for (std::size_t i = 0; i < file.size(); ++i) {
    const unsigned char c = file[i];
    if (c == 0x1A) break;
    if (c == '\r' && i + 1 < file.size() && file[i + 1] == '\n') continue;
    if (c != 0) text += static_cast<char>(c);
  }
  return text;
}

std::string buildAndImport(const TempDir& dir, const Bytes& file) {
  const std::string textPath = dir.file("t.txt");
  const std::string dbPath = dir.file("t.pdb");
  writeFile(textPath, file);
  char name[40] = "Round trip";
  const int result = buildDoc(textPath.c_str(), dbPath.c_str(), name, false);
  if (result != kBuildOk) return "<build failed " + std::to_string(result) + ">";
  const ImportedDoc doc = importDoc(dbPath.c_str());
  EXPECT_EQ(doc.status, ImportStatus::kImported);
  return doc.text ? std::string(doc.text.get(), doc.length) : "<import failed>";
}

TEST(RoundTripTest, LengthsAroundEveryRecordBoundary) {
  TempDir dir;
  TestRandom random(11);
  for (std::size_t records = 1; records <= 3; ++records) {
    for (int delta : {-2, -1, 0, 1, 2}) {
      const std::size_t size = records * 4096 + delta;
      Bytes file = bytesOf(proseText(size, size));
      for (int i = 0; i < 20; ++i)
        file[random.below(static_cast<unsigned>(size))] =
            static_cast<unsigned char>(0x80 + random.below(128));
      EXPECT_EQ(buildAndImport(dir, file), storedText(file)) << size;
    }
  }
}

TEST(RoundTripTest, EveryByteValueSurvives) {
  TempDir dir;
  Bytes file;
  for (int repeat = 0; repeat < 40; ++repeat) {
    for (int b = 1; b < 256; ++b) {
      if (b != 0x1A && b != '\r') file.push_back(static_cast<unsigned char>(b));
    }
  }
  EXPECT_EQ(buildAndImport(dir, file), storedText(file));
}

TEST(RoundTripTest, NulControlZAndCarriageReturns) {
  TempDir dir;
  const Bytes file = bytesOf(std::string("a\r\nb\rc\n\r\rd\0e\0\0f\r\n\r\n", 20) + proseText(9000) +
                             std::string("\x1A"
                                         "after the end",
                                         14));
  const std::string expected = storedText(file);
  EXPECT_EQ(expected.find('\0'), std::string::npos);
  EXPECT_EQ(buildAndImport(dir, file), expected);
}

TEST(RoundTripTest, RandomTexts) {
  TempDir dir;
  TestRandom random(5);
  for (int k = 0; k < 25; ++k) {
    Bytes file(random.below(20000));
    const unsigned alphabet = 2 + random.below(k % 2 ? 8 : 254);
    for (auto& c : file) c = static_cast<unsigned char>(random.below(alphabet) * (256 / alphabet));
    const std::string expected = storedText(file);
    EXPECT_EQ(buildAndImport(dir, file), expected.empty() ? "<build failed -1>" : expected);
  }
}

}  // namespace

}  // namespace quillet
