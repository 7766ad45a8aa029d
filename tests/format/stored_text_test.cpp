#include "format/stored_text.h"

#include <gtest/gtest.h>

#include "tests/format/text_mode_reference.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

// What the byte-at-a-time text-mode reader delivers, without the NULs.
Bytes storedByTextMode(const std::string& path) {
  Bytes text;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  TextModeReader reader(file);
  for (int c = reader.get(); c != EOF; c = reader.get()) {
    if (c != 0) text.push_back(static_cast<unsigned char>(c));
  }
  std::fclose(file);
  return text;
}

// What the block reader delivers, asked for pieces of the given size.
Bytes storedByBlocks(const std::string& path, std::size_t blockSize, std::size_t piece) {
  Bytes text;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  StoredTextReader reader(file, blockSize);
  Bytes buffer(piece);
  for (;;) {
    const std::size_t got = reader.read(buffer.data(), piece);
    text.insert(text.end(), buffer.begin(), buffer.begin() + static_cast<long>(got));
    if (got < piece) break;
  }
  EXPECT_EQ(reader.read(buffer.data(), piece), 0u) << "more text after the end";
  std::fclose(file);
  return text;
}

TEST(StoredTextTest, AgreesWithTheTextModeReaderAcrossBlockAndPieceBoundaries) {
  TempDir dir;
  const std::string path = dir.file("text.txt");
  TestRandom random(23);
  const unsigned char awkward[] = {'\r', '\r', '\n', '\n', 0, 0, 'x', 0x1A};
  for (int k = 0; k < 300; ++k) {
    Bytes file(random.below(200));
    // Mostly awkward bytes; the 0x1A rarely, so that text often runs on past a block.
    for (auto& b : file) {
      b = awkward[random.below(random.below(10) == 0 ? 8 : 7)];
    }
    writeFile(path, file);
    const Bytes expected = storedByTextMode(path);
    for (const std::size_t blockSize : {1u, 2u, 3u, 7u, 64u}) {
      const std::size_t piece = 1 + random.below(9);
      ASSERT_EQ(storedByBlocks(path, blockSize, piece), expected)
          << "file " << hexOf(file) << ", blocks of " << blockSize << ", pieces of " << piece;
    }
  }
}

TEST(StoredTextTest, LongTextWithCrLfAtTheDefaultBlockEdge) {
  TempDir dir;
  const std::string path = dir.file("text.txt");
  std::string text = proseText(3 * StoredTextReader::kDefaultBlockSize, 2);
  const std::size_t edge = StoredTextReader::kDefaultBlockSize;
  text.replace(edge - 1, 2, "\r\n");                      // a pair split by the block edge
  text.replace(2 * edge - 1, 2, std::string("\r\0", 2));  // a CR, then a NUL beyond the edge
  writeFile(path, text);
  EXPECT_EQ(storedByBlocks(path, StoredTextReader::kDefaultBlockSize, 4096),
            storedByTextMode(path));
}

}  // namespace

}  // namespace quillet
