#include "format/pdb_writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <optional>

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

  void SetUp() override { ASSERT_EQ(createPdb(db.c_str(), "Book", "REAd", "TEXt"), 0); }
  // Appends a record holding bytes, as the builder does.
  bool append(const Bytes& bytes) {
    std::FILE* f = appendPdbRecord(db.c_str());
    return f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() &&
           std::fclose(f) == 0;
  }
  // A "$$TEMP$$" folder that is not empty can be neither deleted nor renamed over.
  static void blockTemp(const TempDir& folder) {
    std::filesystem::create_directories(folder.path() / kPdbAppendTempName / "keep");
  }
};

TEST_F(PdbWriterTest, NamesOfThirtyTwoCharactersOrMoreFillTheFieldAndStayInside) {
  for (const std::string& name : {std::string(32, 'N'), std::string(40, 'L')}) {
    ASSERT_EQ(createPdb(db.c_str(), name.c_str(), "Qvlt", "TEXt"), 0);
    const Bytes b = readFile(db);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 32), name.substr(0, 32));
    EXPECT_EQ(loadBE16(&b[32]), kPdbBackupAttribute);
    EXPECT_EQ(b.size(), 80u);
  }
}

TEST_F(PdbWriterTest, EachAppendMovesOldRecordsAndPointsAtTheEnd) {
  const auto fromTheCount = [&] {
    const Bytes b = readFile(db);
    return hexOf(Bytes(b.begin() + 76, b.end()));
  };
  ASSERT_TRUE(append(Bytes(16, 0xAA)));
  EXPECT_EQ(fromTheCount(), "00 01 00 00 00 58 00 00 00 00 00 00 " + hexOf(Bytes(16, 0xAA)));
  ASSERT_TRUE(append(bytesOf("xyz")));
  EXPECT_EQ(fromTheCount(), "00 02 00 00 00 60 00 00 00 00 00 00 00 70 00 00 00 00 00 00 " +
                                hexOf(Bytes(16, 0xAA)) + " 78 79 7A");
}

TEST_F(PdbWriterTest, TheScratchFileIsItsOwnBesideTheDatabaseAndAFileOfTheUsersIsLeftAlone) {
  TempDir elsewhere;  // a "$$TEMP$$" that cannot be replaced in the current folder must not matter
  blockTemp(elsewhere);
  ScopedCurrentDir cwd(elsewhere.path());
  writeFile(dir.file(kPdbAppendTempName), "the user's own file");
  ASSERT_TRUE(append(bytesOf("abc")));
  EXPECT_EQ(readFile(db).size(), 88u + 3);
  EXPECT_EQ(readFile(dir.file(kPdbAppendTempName)), bytesOf("the user's own file"));
  EXPECT_EQ(countEntries(dir.path().string()), 2u);  // no scratch file left
}

TEST_F(PdbWriterTest, RefusedAppendsLeaveTheDatabaseAsItWasAndRecord32767IsTheLast) {
  ASSERT_TRUE(append(bytesOf("first")));
  const Bytes appended = readFile(db);
  Bytes shortList(80, 0), belowTheCeiling(80 + 8 * 32766, 0);
  storeBE16(&shortList[76], 3);  // claims three entries that are not there
  storeBE16(&belowTheCeiling[76], 32766);
  writeFile(db, belowTheCeiling);
  ASSERT_TRUE(append(bytesOf("last")));
  const Bytes full = readFile(db);
  EXPECT_EQ(loadBE16(&full[76]), 32767);
  const struct {
    std::optional<Bytes> database;  // none: a missing database
    std::optional<FileFault> fault{};  // the scratch file, the move aside or the rewrite fails
  } cases[] = {{std::nullopt},
               {shortList},
               {full},
               {appended, FileFault{FileOp::kCreate, EACCES}},
               {appended, FileFault{FileOp::kRename, EACCES}},
               {appended, FileFault{FileOp::kCreate, EACCES, /*skip=*/1}}};
  for (const auto& c : cases) {
    std::remove(db.c_str());
    if (c.database) writeFile(db, *c.database);
    if (c.fault) injectFileFault(*c.fault);
    EXPECT_EQ(appendPdbRecord(db.c_str()), nullptr);
    clearFileFaults();
    EXPECT_EQ(fileExists(db), c.database.has_value());
    EXPECT_TRUE(!c.database || readFile(db) == *c.database);
    EXPECT_EQ(countEntries(dir.path().string()), c.database ? 1u : 0u);  // no scratch file left
  }
}

}  // namespace
}  // namespace quillet
