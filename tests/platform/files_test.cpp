// The folder and file calls, on real folders in a temporary tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

class FilesTest : public ::testing::Test {
 protected:
  std::string at(std::string_view name) const { return dir.file(name); }
  TempDir dir;
};

TEST_F(FilesTest, ListingGivesEveryEntryWithItsKind) {
  ASSERT_TRUE(createDirectory(at("Jo Smith").c_str()));
  EXPECT_FALSE(createDirectory(at("Jo Smith").c_str()));  // exists already
  EXPECT_FALSE(createDirectory(at("no/parent").c_str()));
  writeFile(at("Install"), "a file, not a folder");

  std::vector<DirectoryEntry> entries{{"stale", false}};
  ASSERT_TRUE(listDirectory(dir.path().string().c_str(), entries));
  std::vector<std::pair<std::string, bool>> got;
  for (const auto& entry : entries) got.emplace_back(entry.name, entry.isDirectory);
  std::sort(got.begin(), got.end());
  const std::vector<std::pair<std::string, bool>> want{
      {".", true}, {"..", true}, {"Install", false}, {"Jo Smith", true}};
  EXPECT_EQ(got, want);
  EXPECT_FALSE(listDirectory(at("missing").c_str(), entries));
  EXPECT_TRUE(entries.empty());
}

TEST_F(FilesTest, ExistenceIsForTheExactNameOnly) {
  writeFile(at("backup"), "a plain file counts too");
  EXPECT_TRUE(pathExists(at("backup").c_str()));
  EXPECT_FALSE(pathExists(at("back").c_str()));
  EXPECT_FALSE(pathExists(at("back*").c_str()));  // no pattern matching
  EXPECT_FALSE(pathExists(at("b?ckup").c_str()));
}

TEST_F(FilesTest, CopyReplacesTheTargetWholeAndDeleteTakesFilesOnly) {
  const std::string book = "book \x01\x00\xFF" + std::string(100000, 'b');
  writeFile(at("book.pdb"), book);
  writeFile(at("target.pdb"), std::string(200000, 'o'));  // longer than the copy
  ASSERT_TRUE(copyFileReplacing(at("book.pdb").c_str(), at("target.pdb").c_str()));
  EXPECT_EQ(readFile(at("target.pdb")), bytesOf(book));
  EXPECT_FALSE(copyFileReplacing(at("missing.pdb").c_str(), at("target.pdb").c_str()));
  EXPECT_FALSE(copyFileReplacing(at("book.pdb").c_str(), at("no/folder.pdb").c_str()));
  EXPECT_EQ(readFile(at("target.pdb")), bytesOf(book));

  ASSERT_TRUE(createDirectory(at("folder").c_str()));
  EXPECT_FALSE(deleteFile(at("folder").c_str()));
  EXPECT_TRUE(deleteFile(at("target.pdb").c_str()));
  EXPECT_FALSE(pathExists(at("target.pdb").c_str()));
  EXPECT_FALSE(deleteFile(at("target.pdb").c_str()));
}

TEST_F(FilesTest, NamesPassAsTheirWindows1252Bytes) {
  const std::string name =
      "Ren\xE9 \x93"
      "Books\x94";
  ASSERT_TRUE(createDirectory(at(name).c_str()));
  writeFile(at("src"), "z");
  ASSERT_TRUE(copyFileReplacing(at("src").c_str(), (at(name) + "/" + name).c_str()));
  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(listDirectory(at(name).c_str(), entries));
  EXPECT_TRUE(std::any_of(entries.begin(), entries.end(),
                          [&](const DirectoryEntry& e) { return e.name == name; }));
}

}  // namespace

}  // namespace quillet
