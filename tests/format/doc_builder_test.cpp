#include "format/doc_builder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/file_io.h"
#include "format/byte_order.h"
#include "format/doc_compressor.h"
#include "format/doc_importer.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

class DocBuilderTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string textPath = dir.file("text.txt");
  std::string dbPath = dir.file("book.pdb");
  char palmName[40] = "Book";

  int build(const Bytes& text, bool publicFormat = false) {
    writeFile(textPath, text);
    return buildDoc(textPath.c_str(), dbPath.c_str(), palmName, publicFormat);
  }

  Bytes db() { return readFile(dbPath); }
  unsigned records() { return loadBE16(&db()[76]); }
  // Record k's stored bytes.
  Bytes record(unsigned k) {
    const Bytes b = db();
    const unsigned count = loadBE16(&b[76]);
    const std::size_t start = loadBE32(&b[78 + 8 * k]);
    const std::size_t end = k + 1 < count ? loadBE32(&b[78 + 8 * (k + 1)]) : b.size();
    return Bytes(b.begin() + start, b.begin() + end);
  }
  DocRecord0 header() { return parseDocRecord0(record(0).data()); }
  // Every text record decoded on its own.
  std::vector<Bytes> textRecords() {
    std::vector<Bytes> texts;
    for (unsigned k = 1; k < records(); ++k) {
      const Bytes packed = record(k);
      Bytes out(kDocRecordSize);
      out.resize(decodePalmDoc(packed.data(), packed.size(), out.data(), out.size()));
      texts.push_back(out);
    }
    return texts;
  }
};

TEST_F(DocBuilderTest, SevenByteTextGivesTheWholeDatabaseByteForByte) {
  std::strcpy(palmName, "abcabcx");
  ASSERT_EQ(build(bytesOf("abcabcx"), /*publicFormat=*/true), kBuildOk);
  const Bytes b = db();
  ASSERT_EQ(b.size(), 118u);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 8), std::string("abcabcx\0", 8));
  EXPECT_EQ(std::string(b.begin() + 60, b.begin() + 68), "TEXtREAd");
  EXPECT_EQ(hexOf(Bytes(b.begin() + 76, b.begin() + 96)),
            "00 02 00 00 00 60 00 00 00 00 00 00 00 70 00 00 00 00 00 00");
  EXPECT_EQ(hexOf(Bytes(b.begin() + 96, b.begin() + 112)),
            "00 02 00 00 00 00 00 07 00 01 10 00 00 00 00 00");
  EXPECT_EQ(hexOf(Bytes(b.begin() + 112, b.end())), "61 62 63 80 18 78");
}

TEST_F(DocBuilderTest, CreatorFollowsThePublicFormatAndTheTypeIsAlwaysText) {
  ASSERT_EQ(build(bytesOf("hello"), true), kBuildOk);
  Bytes b = db();
  EXPECT_EQ(std::string(b.begin() + 60, b.begin() + 68), "TEXtREAd");
  ASSERT_EQ(build(bytesOf("hello"), false), kBuildOk);
  b = db();
  EXPECT_EQ(std::string(b.begin() + 60, b.begin() + 68), "TEXtQvlt");
}

TEST_F(DocBuilderTest, NameIsCutInPlaceToThirtyTwoCharacters) {
  char longName[64] = "A name of exactly forty characters long.";
  ASSERT_EQ(std::strlen(longName), 40u);
  writeFile(textPath, "hello");
  ASSERT_EQ(buildDoc(textPath.c_str(), dbPath.c_str(), longName, false), kBuildOk);
  EXPECT_STREQ(longName, "A name of exactly forty characte");
  const Bytes b = db();
  EXPECT_EQ(std::string(b.begin(), b.begin() + 32), longName);
}

TEST_F(DocBuilderTest, RecordBoundariesFallEvery4096Bytes) {
  ASSERT_EQ(build(Bytes(4096, 'x')), kBuildOk);
  EXPECT_EQ(records(), 2u);
  ASSERT_EQ(build(Bytes(4097, 'x')), kBuildOk);
  ASSERT_EQ(records(), 3u);
  EXPECT_EQ(textRecords()[1], Bytes(1, 'x'));
  EXPECT_EQ(header().textLength, 4097u);
  EXPECT_EQ(header().recordCount, 2u);
}

TEST_F(DocBuilderTest, HeaderRecordLayout) {
  ASSERT_EQ(build(bytesOf(proseText(10000))), kBuildOk);
  const Bytes r0 = record(0);
  ASSERT_EQ(r0.size(), 16u);
  EXPECT_EQ(hexOf(r0), "00 02 00 00 00 00 27 10 00 03 10 00 00 00 00 00");
  // Record 0 lies at 88 + 8 * N, so textLength at 92 + 8N and recordCount at 96 + 8N.
  EXPECT_EQ(loadBE32(&db()[92 + 8 * 3]), 10000u);
  EXPECT_EQ(loadBE16(&db()[96 + 8 * 3]), 3u);
}

TEST_F(DocBuilderTest, CrLfLineEndsAreStoredAsLfAndTheLengthCountsStoredBytes) {
  ASSERT_EQ(build(bytesOf("one\r\ntwo\r\nthree\rfour\n")), kBuildOk);
  ASSERT_EQ(textRecords().size(), 1u);
  EXPECT_EQ(textRecords()[0], bytesOf("one\ntwo\nthree\rfour\n"));
  EXPECT_EQ(header().textLength, 19u);
}

TEST_F(DocBuilderTest, NulBytesAreDroppedAndBoundariesCountWhatIsLeft) {
  Bytes text;
  for (int i = 0; i < 5000; ++i) {
    text.push_back(static_cast<unsigned char>('a' + i % 26));
    if (i % 3 == 0) text.push_back(0);
  }
  ASSERT_EQ(build(text), kBuildOk);
  const auto texts = textRecords();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].size(), 4096u);
  EXPECT_EQ(texts[1].size(), 5000u - 4096u);
  EXPECT_EQ(header().textLength, 5000u);
}

TEST_F(DocBuilderTest, ControlZEndsTheText) {
  ASSERT_EQ(build(bytesOf("kept\x1A"
                          "dropped")),
            kBuildOk);
  EXPECT_EQ(textRecords()[0], bytesOf("kept"));
}

TEST_F(DocBuilderTest, EmptyTextFailsAndLeavesOnlyTheHeaderRecord) {
  ASSERT_EQ(build({}), kBuildFailed);
  EXPECT_EQ(records(), 1u);
  EXPECT_EQ(hexOf(record(0)), "00 02 00 00 00 00 00 00 00 00 10 00 00 00 00 00");
}

TEST_F(DocBuilderTest, TextOfOnlyNulBytesCountsAsEmpty) {
  EXPECT_EQ(build(Bytes(10, 0)), kBuildFailed);
  EXPECT_EQ(records(), 1u);
}

TEST_F(DocBuilderTest, MissingTextFileLeavesTheEmptyDatabase) {
  EXPECT_EQ(buildDoc(dir.file("missing.txt").c_str(), dbPath.c_str(), palmName, false),
            kBuildNoText);
  EXPECT_EQ(db().size(), 80u);
}

TEST_F(DocBuilderTest, UncreatableDatabaseFailsWithoutTouchingTheText) {
  writeFile(textPath, "hello");
  EXPECT_EQ(buildDoc(textPath.c_str(), dir.file("no/such/folder.pdb").c_str(), palmName, false),
            kBuildFailed);
}

TEST_F(DocBuilderTest, HeaderRecordThatCannotBeAddedLeavesTheEmptyDatabase) {
  injectFileFault({FileOp::kCreate, EACCES, /*skip=*/1});  // the appender's scratch file
  EXPECT_EQ(build(bytesOf("hello")), kBuildNoHeaderRecord);
  clearFileFaults();
  EXPECT_EQ(db().size(), 80u);
}

TEST_F(DocBuilderTest, TextRecordThatCannotBeAddedKeepsEarlierRecordsAndFixesTheHeader) {
  writeFile(textPath, Bytes(3 * 4096 + 5, 'q'));
  // Room for record 0 and two text records only.
  EXPECT_EQ(buildDocLimited(textPath.c_str(), dbPath.c_str(), palmName, false, 3), kBuildFailed);
  EXPECT_EQ(records(), 3u);
  EXPECT_EQ(header().textLength, 2u * 4096);
  EXPECT_EQ(header().recordCount, 2u);
}

}  // namespace

}  // namespace quillet
