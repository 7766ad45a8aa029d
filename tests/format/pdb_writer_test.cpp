#include "format/pdb_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "base/file_io.h"
#include "format/byte_order.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

class PdbWriterTest : public ::testing::Test {
 protected:
  void TearDown() override { clearFileFaults(); }

  TempDir dir;
  std::string db = dir.file("book.pdb");

  // Appends a record holding bytes, as the builder does.
  bool append(const Bytes& bytes) {
    std::FILE* f = appendPdbRecord(db.c_str());
    if (f == nullptr) return false;
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    return std::fclose(f) == 0;
  }
};

TEST_F(PdbWriterTest, NewDatabaseIsTheHeaderAndTheGap) {
  ASSERT_EQ(createPdb(db.c_str(), "Book", "REAd", "TEXt"), 0);
  const Bytes b = readFile(db);
  ASSERT_EQ(b.size(), 80u);
  EXPECT_EQ(hexOf(Bytes(b.begin(), b.begin() + 5)), "42 6F 6F 6B 00");
  for (int i = 5; i < 24; ++i) EXPECT_EQ(b[i], 0xFF) << i;
  for (int i = 24; i < 32; ++i) EXPECT_EQ(b[i], 0x00) << i;
  EXPECT_EQ(hexOf(Bytes(b.begin() + 32, b.begin() + 60)),
            "00 08 00 00 33 B8 BD A5 33 B8 BD A5 33 B8 BD A5 00 00 00 01 00 00 00 00 00 00 00 00");
  EXPECT_EQ(std::string(b.begin() + 60, b.begin() + 68), "TEXtREAd");
  for (int i = 68; i < 80; ++i) EXPECT_EQ(b[i], 0x00) << i;
}

TEST_F(PdbWriterTest, NameOfThirtyTwoCharactersFillsTheFieldWithoutTerminator) {
  const std::string name(32, 'N');
  ASSERT_EQ(createPdb(db.c_str(), name.c_str(), "Qvlt", "TEXt"), 0);
  const Bytes b = readFile(db);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 32), name);
  EXPECT_EQ(loadBE16(&b[32]), kPdbBackupAttribute);
}

TEST_F(PdbWriterTest, LongerNameIsKeptInsideTheField) {
  const std::string name(40, 'L');
  ASSERT_EQ(createPdb(db.c_str(), name.c_str(), "Qvlt", "TEXt"), 0);
  const Bytes b = readFile(db);
  EXPECT_EQ(loadBE16(&b[32]), kPdbBackupAttribute);
  EXPECT_EQ(b.size(), 80u);
}

TEST_F(PdbWriterTest, CreateFailsInAMissingFolder) {
  EXPECT_EQ(createPdb(dir.file("missing/book.pdb").c_str(), "x", "Qvlt", "TEXt"), -1);
}

TEST_F(PdbWriterTest, EachAppendMovesOldRecordsAndPointsAtTheEnd) {
  ASSERT_EQ(createPdb(db.c_str(), "Book", "REAd", "TEXt"), 0);
  ASSERT_TRUE(append(Bytes(16, 0xAA)));
  Bytes b = readFile(db);
  ASSERT_EQ(b.size(), 88u + 16);
  EXPECT_EQ(loadBE16(&b[76]), 1);
  EXPECT_EQ(loadBE32(&b[78]), 88u);
  EXPECT_EQ(loadBE32(&b[82]), 0u);

  ASSERT_TRUE(append(bytesOf("xyz")));
  b = readFile(db);
  ASSERT_EQ(b.size(), 96u + 16 + 3);
  EXPECT_EQ(loadBE16(&b[76]), 2);
  EXPECT_EQ(loadBE32(&b[78]), 96u);
  EXPECT_EQ(loadBE32(&b[86]), 112u);
  EXPECT_EQ(loadBE16(&b[94]), 0);  // the gap
  EXPECT_EQ(b[96], 0xAA);
  EXPECT_EQ(std::string(b.begin() + 112, b.end()), "xyz");
}

TEST_F(PdbWriterTest, NewEntryOffsetEqualsTheFileLengthBeforeTheCallerWrites) {
  ASSERT_EQ(createPdb(db.c_str(), "Book", "REAd", "TEXt"), 0);
  for (int k = 0; k < 5; ++k) {
    std::FILE* f = appendPdbRecord(db.c_str());
    ASSERT_NE(f, nullptr);
    const long end = std::ftell(f);
    std::fclose(f);
    const Bytes b = readFile(db);
    EXPECT_EQ(static_cast<long>(b.size()), end);
    EXPECT_EQ(loadBE32(&b[78 + 8 * k]), b.size());
    std::FILE* w = std::fopen(db.c_str(), "ab");
    std::fputs("data", w);
    std::fclose(w);
  }
}

TEST_F(PdbWriterTest, AFileOfTheUsersNamedLikeTheScratchFileIsNeitherUsedNorTouched) {
  ASSERT_EQ(createPdb(db.c_str(), "Book", "REAd", "TEXt"), 0);
  writeFile(dir.file(kPdbAppendTempName), "the user's own file");
  ASSERT_TRUE(append(bytesOf("abc")));
  EXPECT_EQ(readFile(db).size(), 88u + 3);
  EXPECT_EQ(readFile(dir.file(kPdbAppendTempName)), bytesOf("the user's own file"));
  EXPECT_EQ(countEntries(dir.path().string()), 2u);  // no scratch file left
}

TEST_F(PdbWriterTest, TempFileLivesBesideTheDatabaseNotInTheCurrentFolder) {
  // A "$$TEMP$$" that cannot be replaced in the current folder must not matter.
  TempDir elsewhere;
  std::filesystem::create_directory(elsewhere.path() / kPdbAppendTempName);
  writeFile(elsewhere.file(std::string(kPdbAppendTempName) + "/keep"), "x");
  ScopedCurrentDir cwd(elsewhere.path());
  ASSERT_EQ(createPdb(db.c_str(), "Book", "REAd", "TEXt"), 0);
  EXPECT_TRUE(append(bytesOf("abc")));
}

TEST_F(PdbWriterTest, FailedAppendLeavesTheDatabaseAsItWas) {
  ASSERT_EQ(createPdb(db.c_str(), "Book", "REAd", "TEXt"), 0);
  ASSERT_TRUE(append(bytesOf("first")));
  const Bytes before = readFile(db);
  // The scratch file cannot be made, the database cannot be moved aside, or it cannot be
  // written anew: it comes through untouched, and no scratch file is left.
  for (const FileFault fault : {FileFault{FileOp::kCreate, EACCES},
                                FileFault{FileOp::kRename, EACCES},
                                FileFault{FileOp::kCreate, EACCES, /*skip=*/1}}) {
    injectFileFault(fault);
    EXPECT_EQ(appendPdbRecord(db.c_str()), nullptr);
    clearFileFaults();
    EXPECT_EQ(readFile(db), before);
    EXPECT_EQ(countEntries(dir.path().string()), 1u);
  }
}

TEST_F(PdbWriterTest, AppendToAMissingDatabaseFailsAndLeavesNoTemp) {
  EXPECT_EQ(appendPdbRecord(db.c_str()), nullptr);
  EXPECT_EQ(countEntries(dir.path().string()), 0u);
}

TEST_F(PdbWriterTest, AppendRefusesAFileTooShortForItsRecordList) {
  Bytes b(80, 0);
  storeBE16(&b[76], 3);  // claims three entries that are not there
  writeFile(db, b);
  EXPECT_EQ(appendPdbRecord(db.c_str()), nullptr);
  EXPECT_EQ(readFile(db), b);
  EXPECT_FALSE(fileExists(dir.file(kPdbAppendTempName)));
}

TEST_F(PdbWriterTest, AppendRefusesBeyondTheRecordCeiling) {
  Bytes b(80 + 8 * 32767, 0);
  storeBE16(&b[76], 32767);
  writeFile(db, b);
  EXPECT_EQ(appendPdbRecord(db.c_str()), nullptr);
  EXPECT_EQ(readFile(db), b);

  storeBE16(&b[76], 32766);
  writeFile(db, b);
  std::FILE* f = appendPdbRecord(db.c_str());
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_EQ(loadBE16(&readFile(db)[76]), 32767);
}

TEST(ByteOrderTest, StreamAndMemoryFormsAgree) {
  TempDir dir;
  const std::string path = dir.file("n");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  putBE16(f, 0x12345678);  // only the low 16 bits
  putBE32(f, 0x89ABCDEF);
  std::fclose(f);
  const Bytes b = readFile(path);
  EXPECT_EQ(hexOf(b), "56 78 89 AB CD EF");
  EXPECT_EQ(loadBE16(&b[0]), 0x5678);
  EXPECT_EQ(loadBE32(&b[2]), 0x89ABCDEFu);
  f = std::fopen(path.c_str(), "rb");
  EXPECT_EQ(getBE16(f), 0x5678);
  EXPECT_EQ(getBE32(f), 0x89ABCDEFu);
  std::fclose(f);
}

}  // namespace

}  // namespace quillet
