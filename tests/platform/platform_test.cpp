// The calls on the operating system, on both backends: folders and files in a temporary
// tree, sleeping, the command line, and the REGEDIT4 text of the registry file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#ifndef _WIN32
#include <csignal>
#include <unistd.h>
#endif

#include "base/heap_text.h"
#include "platform/files.h"
#include "platform/mapped_file.h"
#include "platform/registry_text.h"
#include "platform/system.h"
#include "tests/support/test_support.h"

namespace quillet {
namespace {

using namespace testing_support;

class FilesTest : public ::testing::Test {
 protected:
  // Joined by hand: a path object would convert the name's bytes on Windows.
  std::string at(std::string_view name) const { return dir.path().string() + "/" += name; }
  std::vector<std::pair<std::string, bool>> list(const std::string& folder) {
    std::vector<DirectoryEntry> entries{{"stale", false}};
    EXPECT_TRUE(listDirectory(folder.c_str(), entries));
    std::vector<std::pair<std::string, bool>> got;
    for (const auto& entry : entries) got.emplace_back(entry.name, entry.isDirectory);
    std::sort(got.begin(), got.end());
    return got;
  }
  TempDir dir;
};

TEST_F(FilesTest, ListingGivesEveryEntryWithItsKindAndNamesPassAsTheirWindows1252Bytes) {
  const std::string name =
      "Ren\xE9 \x93"
      "Books\x94";
  ASSERT_TRUE(createDirectory(at(name).c_str()));
  EXPECT_FALSE(createDirectory(at(name).c_str()));  // exists already
  EXPECT_FALSE(createDirectory(at("no/parent").c_str()));
  writeFile(at("Install"), "a file, not a folder");
  EXPECT_EQ(list(dir.path().string()),
            (std::vector<std::pair<std::string, bool>>{
                {".", true}, {"..", true}, {"Install", false}, {name, true}}));
  ASSERT_TRUE(copyFileReplacing(at("Install").c_str(), (at(name) + "/" + name).c_str()));
  EXPECT_EQ(list(at(name)),
            (std::vector<std::pair<std::string, bool>>{{".", true}, {"..", true}, {name, false}}));
  std::vector<DirectoryEntry> entries{{"stale", false}};
  EXPECT_FALSE(listDirectory(at("missing").c_str(), entries));
  EXPECT_TRUE(entries.empty());
}

TEST_F(FilesTest, ExistenceIsForTheExactNameOnly) {
  writeFile(at("backup"), "a plain file counts too");
  EXPECT_TRUE(pathExists(at("backup").c_str()));
  for (const char* other : {"back", "back*", "b?ckup"})
    EXPECT_FALSE(pathExists(at(other).c_str())) << other;
}

TEST_F(FilesTest, CopyReplacesTheTargetWholeAndDeleteTakesFilesOnly) {
  const Bytes book = bytesOf("book \x01\x00\xFF" + std::string(100000, 'b'));
  writeFile(at("book.pdb"), book);
  writeFile(at("target.pdb"), std::string(200000, 'o'));  // longer than the copy
  ASSERT_TRUE(copyFileReplacing(at("book.pdb").c_str(), at("target.pdb").c_str()));
  EXPECT_EQ(readFile(at("target.pdb")), book);
  EXPECT_FALSE(copyFileReplacing(at("missing.pdb").c_str(), at("target.pdb").c_str()));
  EXPECT_FALSE(copyFileReplacing(at("book.pdb").c_str(), at("no/folder.pdb").c_str()));
  EXPECT_EQ(readFile(at("target.pdb")), book);
  ASSERT_TRUE(createDirectory(at("folder").c_str()));
  EXPECT_FALSE(deleteFile(at("folder").c_str()));
  EXPECT_TRUE(deleteFile(at("target.pdb").c_str()));
  EXPECT_FALSE(pathExists(at("target.pdb").c_str()));
  EXPECT_FALSE(deleteFile(at("target.pdb").c_str()));
}

TEST_F(FilesTest, AMappedFileGivesItsBytesAlsoAfterTheyAreReleased) {
  // A small file is mapped whole at once; one of 9 MB page by page, and let go behind.
  for (const std::size_t size : {std::size_t{3} << 20, std::size_t{9} << 20}) {
    std::string content;
    for (int i = 0; content.size() < size + 5; ++i) content += "line " + std::to_string(i) + "\n";
    writeFile(at("big.pdb"), content);
    MappedFile file;
    ASSERT_TRUE(file.open(at("big.pdb").c_str()));
    const auto bytes = file.bytes();
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()), content);
    for (const std::size_t offset : {std::size_t{10}, content.size() / 2, content.size() + 9}) {
      file.releaseBefore(offset);
    }
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()), content);
  }
  writeFile(at("empty.pdb"), "");
  MappedFile empty;
  ASSERT_TRUE(empty.open(at("empty.pdb").c_str()));
  EXPECT_TRUE(empty.bytes().empty());
  MappedFile missing;
  EXPECT_FALSE(missing.open(at("missing.pdb").c_str()));
  EXPECT_EQ(errno, ENOENT);
}

#ifndef _WIN32
// Another program may cut a file short while it is mapped here (Windows reads it whole).
TEST_F(FilesTest, AMappedFileCutShortReadsOnAsZerosAndSaysSo) {
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  // Five pages are mapped whole at once; 9 MB page by page, as they are read.
  for (const std::size_t pages : {std::size_t{5}, (std::size_t{9} << 20) / page}) {
    const std::string content(pages * page, 'x');
    writeFile(at("cut.pdb"), content);
    writeFile(at("whole.pdb"), content);
    MappedFile cut;
    MappedFile whole;
    ASSERT_TRUE(cut.open(at("cut.pdb").c_str()));
    ASSERT_TRUE(whole.open(at("whole.pdb").c_str()));
    ASSERT_EQ(truncate(at("cut.pdb").c_str(), static_cast<off_t>(page + 10)), 0);
    EXPECT_FALSE(cut.cutWhileRead());
    const auto read = [](const MappedFile& file) {
      const auto bytes = file.bytes();
      return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    };
    const std::string expected =
        content.substr(0, page + 10) + std::string((pages - 1) * page - 10, '\0');
    EXPECT_EQ(read(cut), expected);
    EXPECT_TRUE(cut.cutWhileRead());
    cut.releaseBefore(cut.bytes().size());  // and again once its pages are given back
    EXPECT_EQ(read(cut), expected);
    EXPECT_EQ(read(whole), content);
    EXPECT_FALSE(whole.cutWhileRead());
  }
}

using MappedFileDeathTest = FilesTest;

TEST_F(MappedFileDeathTest, ABusErrorFromElsewhereStillEndsTheProcess) {
  writeFile(at("mapped.pdb"), "a mapped file puts the handler in place");
  MappedFile file;
  ASSERT_TRUE(file.open(at("mapped.pdb").c_str()));
  EXPECT_DEATH(raise(SIGBUS), "");
}
#endif

TEST(SystemTest, SleepWaitsAtLeastTheTimeAskedAndTheCommandLineIsWhole) {
  const auto start = std::chrono::steady_clock::now();
  sleepMilliseconds(30);
  // Timer ticks may round a little; a sleep that returns at once fails this.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(25));
#ifdef _WIN32
  const char* argv[] = {"ignored"};  // the system keeps the line
  setCommandLineArguments(1, argv);
  EXPECT_NE(wholeCommandLine().find("platform_tests"), std::string::npos) << wholeCommandLine();
#else
  const char* argv[] = {"/opt/quillet maker/quillet", "-u", "Jo Smith", "", "a\tb", "-uAnn"};
  setCommandLineArguments(6, argv);  // joined, quoting blanks
  EXPECT_EQ(wholeCommandLine(),
            "\"/opt/quillet maker/quillet\" -u \"Jo Smith\" \"\" \"a\tb\" -uAnn");
#endif
}

// A text's block from the large-page allocator acts as any malloc block: written whole,
// grown with realloc, freed with free (the sanitizers watch all three). Small texts keep
// to malloc.
TEST(SystemTest, LargeTextBlocksComeFromTheNamedAllocatorAndBehaveAsMallocs) {
  static std::size_t asked = 0;
  setLargeBlockAllocator([](std::size_t bytes) {
    asked = bytes;
    return allocateInLargePages(bytes);
  });
  HeapText small = allocateText(4096);
  EXPECT_EQ(asked, 0u);
  const std::size_t size = (5u << 20) + 1;
  HeapText large = allocateText(size);
  setLargeBlockAllocator(nullptr);
  ASSERT_TRUE(large && small);
  EXPECT_EQ(asked, size);
  std::memset(large.get(), 'x', size);
  char* grown = static_cast<char*>(std::realloc(large.get(), 2 * size));
  ASSERT_NE(grown, nullptr);
  static_cast<void>(large.release());
  large.reset(grown);
  EXPECT_EQ(large.get()[size - 1], 'x');
  EXPECT_EQ(allocateInLargePages(std::size_t(-1)), nullptr);  // no memory, no crash
}

// Whatever is written reads back the same is checked by fuzz/registry_text_fuzzer.cpp.
TEST(RegistryTextTest, WritesEachValueInItsPlainestFormAndWrapsLongHex) {
  RegistryTree tree;
  RegistryTreeKey& key = tree.makeKey("Software\\Corvane Software");
  key.setValue("text", kRegSz, bytesOf(std::string("C:\\\"x\"\0", 7)));
  key.setValue("no NUL", kRegSz, bytesOf("ab"));
  key.setValue("flag", kRegDword, hexBytes("01 02 00 80"));
  key.setValue("", kRegBinary, hexBytes("00 ff"));
  key.setValue("list", kRegMultiSz, bytesOf(std::string("a\0\0", 3)));
  key.setValue("long", kRegBinary, Bytes(30, 0xAB));
  EXPECT_EQ(formatRegistryText(tree),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Corvane Software]\r\n"
            "\"text\"=\"C:\\\\\\\"x\\\"\"\r\n"
            "\"no NUL\"=hex(1):61,62\r\n"
            "\"flag\"=dword:80000201\r\n"
            "@=hex:00,ff\r\n"
            "\"list\"=hex(7):61,00,00\r\n"
            "\"long\"=hex:ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,\\\r\n"
            "  ab,ab,ab,ab,ab,ab,ab,ab\r\n\r\n");
}

TEST(RegistryTextTest, ReadsWhatRegistryEditorsWrite) {
  // The newer header, LF line ends, comments, a key before its parent, other spellings,
  // one-digit hex, blanks and continuations.
  RegistryTree tree;
  std::string error;
  ASSERT_TRUE(
      parseRegistryText("\nWindows Registry Editor Version 5.00\n; by hand\n"
                        "[hkey_current_user\\Software\\A\\B]\n"
                        "\"bin\"=hex:1,0a, \\\n   ff,\\\n  10\n"
                        "\"n\" = DWORD:A\n"
                        "[HKEY_CURRENT_USER\\software\\a]\n"
                        "\"e\"=hex(2):\n",
                        tree, error))
      << error;
  ASSERT_NE(tree.findKey("Software"), nullptr);
  EXPECT_EQ(tree.findKey("SOFTWARE\\a")->path, "Software\\A");  // spelled as first met
  RegistryTreeKey* b = tree.findKey("Software\\A\\B");
  EXPECT_EQ(b->findValue("BIN")->data, hexBytes("01 0a ff 10"));
  EXPECT_EQ(b->findValue("n")->data, hexBytes("0a 00 00 00"));
  EXPECT_EQ(tree.findKey("Software\\A")->findValue("e")->type, kRegExpandSz);
}

TEST(RegistryTextTest, RefusesWhatItCannotKeepAndNamesTheLine) {
  const std::string key = "REGEDIT4\r\n[HKEY_CURRENT_USER\\S]\r\n";
  const std::string bad[] = {
      "REGEDIT5\r\n",                             // not a registry file
      "REGEDIT4\r\n\"v\"=hex:00\r\n",             // a value before any key
      "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\S]\r\n",  // another root: it would be lost
      "REGEDIT4\r\n[-HKEY_CURRENT_USER\\S]\r\n",  // deletions
      key + "\"v\"=-\r\n",
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\S\\]\r\n",  // an empty key name
      key + "\"v=hex:00\r\n",
      key + "\"v\"=hex:100\r\n",
      key + "\"v\"=dword:123456789\r\n",
      key + "\"v\"=\"a\\q\"\r\n",
      key + "\"v\"=hex:00,\\\r\n",  // continues past the end
  };
  for (const std::string& text : bad) {
    RegistryTree tree;
    std::string error;
    EXPECT_FALSE(parseRegistryText(text, tree, error)) << text;
    const std::string lastLine =
        "line " + std::to_string(std::count(text.begin(), text.end(), '\n'));
    EXPECT_EQ(error.rfind(lastLine + ":", 0), 0u) << text << " -> " << error;
  }
}

}  // namespace
}  // namespace quillet
