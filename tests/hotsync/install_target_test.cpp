// Where an installed document goes: the path's parts, the trims, the database name read
// from the file, and the target names made from it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/paths.h"
#include "hotsync/install_target.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

// The first 34 bytes of a database header (name, attributes) and a few more.
std::string headerBytes(std::string_view name, unsigned attributes, std::size_t size = 78) {
  std::string bytes(size, '\x5A');
  std::string field(32, '\0');
  field.replace(0, name.size(), name);
  bytes.replace(0, 32, field);
  if (size > 32) bytes[32] = static_cast<char>(attributes >> 8);
  if (size > 33) bytes[33] = static_cast<char>(attributes & 0xFF);
  return bytes.substr(0, size);
}

std::string joined(std::string_view folder, std::string_view name) {
  return std::string(folder) + kPathSeparator + std::string(name);
}

class InstallTargetTest : public testing::Test {
 protected:
  void SetUp() override {
    addUser("Ann Smith", joined("palm", "SmithA"));
    addUser("Bob", joined("palm", "JonesB"));
    addUser("Bob", joined("palm", "Bob2"));
  }

  void addUser(const char* name, const std::string& folder) {
    PalmUser& user = users.entries[users.userCount++];
    setFieldText(user.userName, name);
    setFieldText(user.installPath, joined(folder, "Install"));
    setFieldText(user.backupPath, joined(folder, "backup"));
  }

  // The target's file name in Ann Smith's install folder, or "<none>".
  std::string fileNameFor(std::string_view databaseName, bool resource = false) {
    char target[kInstallTargetSize];
    if (installTargetPath(target, sizeof target, users, "Ann Smith", databaseName, resource,
                          false) != 0) {
      return "<none>";
    }
    const std::string folder = joined(joined("palm", "SmithA"), "Install") + kPathSeparator;
    EXPECT_EQ(std::string(target).substr(0, folder.size()), folder);
    return std::string(target).substr(folder.size());
  }

  PalmUserList users;
};

TEST_F(InstallTargetTest, TheFileNameIsTheCleanedDatabaseName) {
  EXPECT_EQ(fileNameFor("My Book: Part 1"), "My_Book__Part_1.pdb");
  EXPECT_EQ(fileNameFor("Notes v1.2"), "Notes_v1_2.pdb");
  EXPECT_EQ(fileNameFor("Notes v1.2", true), "Notes_v1_2.prc");
  // One leading and one trailing quote go; any other is replaced.
  EXPECT_EQ(fileNameFor("\"Quoted\""), "Quoted.pdb");
  EXPECT_EQ(fileNameFor("\"\"Twice\"\""), "_Twice_.pdb");
  EXPECT_EQ(fileNameFor("\""), ".pdb");
  // Every replaced character, control bytes included; other bytes stay.
  EXPECT_EQ(fileNameFor("a.,?*<>+=|\\[]/^;:\xD8\"\xA9\xAE\x91\x92\x93\x94z"),
            "a________________________z.pdb");
  EXPECT_EQ(fileNameFor("t\x01t\x1Ft\x7F\xE9\xFF!&'()~"), "t_t_t\x7F\xE9\xFF!&'()~.pdb");
  // A name that fills the whole header field.
  const std::string full(32, 'N');
  EXPECT_EQ(fileNameFor(full), full + ".pdb");
}

TEST_F(InstallTargetTest, TheFolderIsTheNamedUsersInstallOrBackupFolder) {
  char target[kInstallTargetSize];
  // The first of two users named Bob.
  ASSERT_EQ(installTargetPath(target, sizeof target, users, "Bob", "Book", false, true), 0);
  EXPECT_EQ(std::string(target), joined(joined(joined("palm", "JonesB"), "backup"), "Book.pdb"));
  // Blanks become underscores in the file name only, also when the name loses its quotes:
  // the folder keeps its trailing blank.
  setFieldText(users.entries[1].installPath, joined("palm", "In box "));
  ASSERT_EQ(installTargetPath(target, sizeof target, users, "Bob", "\"A B\"", false, false), 0);
  EXPECT_EQ(std::string(target), joined(joined("palm", "In box "), "A_B.pdb"));
  // An empty database name leaves the folder itself.
  ASSERT_EQ(installTargetPath(target, sizeof target, users, "Bob", "", true, false), 0);
  EXPECT_EQ(std::string(target), joined("palm", "In box "));
  // The name must be a user's exactly.
  std::memset(target, 'x', sizeof target);
  EXPECT_EQ(installTargetPath(target, sizeof target, users, "bob", "Book", false, false), -1);
  EXPECT_EQ(target[0], '\0');
}

TEST_F(InstallTargetTest, ATargetThatDoesNotFitIsNotFormedAndNothingIsWrittenPastTheBuffer) {
  const std::string folder = joined(joined("palm", "SmithA"), "Install");
  // folder, separator, name, ".pdb" and the NUL in exactly 64 bytes.
  const std::size_t fitting = 64 - folder.size() - 1 - 4 - 1;
  char buffer[80];
  std::memset(buffer, 'Z', sizeof buffer);
  ASSERT_EQ(
      installTargetPath(buffer, 64, users, "Ann Smith", std::string(fitting, 'n'), false, false),
      0);
  EXPECT_EQ(std::strlen(buffer), 63u);
  EXPECT_EQ(std::string(buffer + 64, 16), std::string(16, 'Z'));

  std::memset(buffer, 'Z', sizeof buffer);
  EXPECT_EQ(installTargetPath(buffer, 64, users, "Ann Smith", std::string(fitting + 1, 'n'), false,
                              false),
            -1);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(std::string(buffer + 1, 79), std::string(79, 'Z'));
}

TEST(InstallSourceTest, TheHeaderNamesTheDatabaseAndItsKind) {
  TempDir dir;
  struct Case {
    const char* fileName;
    std::string bytes;
    const char* name;
    bool resource;
  };
  const Case cases[] = {
      // The resource bit decides, whatever the file is called.
      {"resource.pdb", headerBytes("Game", 0x0001), "Game", true},
      {"record.prc", headerBytes("Diary", 0x0008), "Diary", false},
      // Big-endian: the low byte of the attributes is byte 33.
      {"swapped.prc", headerBytes("Swapped", 0x0100), "Swapped", false},
      {"full.pdb", headerBytes(std::string(32, 'F'), 0), "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF", false},
      {"empty name.pdb", headerBytes("", 0), "", false},
      // Exactly the name and the attributes are enough.
      {"34 bytes.pdb", headerBytes("Short", 0x0001, 34), "Short", true},
      // Shorter files are no database: named after the path, of the path's kind.
      {"33 bytes.PRC", headerBytes("Short", 0x0001, 33), "33 bytes", true},
      {"tiny.pdb", "tiny", "tiny", false},
      {"nothing", "", "nothing", false},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.fileName);
    writeFile(dir.file(test.fileName), test.bytes);
    const InstallSource source = readInstallSource(dir.file(test.fileName));
    EXPECT_EQ(source.databaseName, test.name);
    EXPECT_EQ(source.resource, test.resource);
  }
}

TEST(InstallSourceTest, AFileThatCannotBeOpenedIsNamedAfterItsPath) {
  TempDir dir;
  InstallSource source = readInstallSource(dir.file("Some Book.v2.PrC"));
  EXPECT_EQ(source.databaseName, "Some Book.v2");
  EXPECT_TRUE(source.resource);
  source = readInstallSource(dir.file("readme"));
  EXPECT_EQ(source.databaseName, "readme");
  EXPECT_FALSE(source.resource);
  source = readInstallSource(dir.file(".prc"));
  EXPECT_EQ(source.databaseName, "");
  EXPECT_TRUE(source.resource);
}

TEST(SplitPathTest, DriveFolderBaseNameAndExtension) {
  struct Case {
    const char* path;
    SplitPath parts;
  };
  const Case cases[] = {
      {"book.pdb", {"", "", "book", ".pdb"}},
      {"/a/b.c/d.e.pdb", {"", "/a/b.c/", "d.e", ".pdb"}},
      {"dir/.prc", {"", "dir/", "", ".prc"}},
      {"dir/name.", {"", "dir/", "name", "."}},
      {"dir/", {"", "dir/", "", ""}},
#ifdef _WIN32
      {"C:x.pdb", {"C:", "", "x", ".pdb"}},
      {"C:\\Palm\\a.b/c d.pdb", {"C:", "\\Palm\\a.b/", "c d", ".pdb"}},
#else
      {"C:x.pdb", {"", "", "C:x", ".pdb"}},   {"a\\b.pdb", {"", "", "a\\b", ".pdb"}},
#endif
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.path);
    const SplitPath parts = splitPath(test.path);
    EXPECT_EQ(parts.drive, test.parts.drive);
    EXPECT_EQ(parts.folder, test.parts.folder);
    EXPECT_EQ(parts.baseName, test.parts.baseName);
    EXPECT_EQ(parts.extension, test.parts.extension);
  }
}

TEST(TrimInstallPathTest, LineEndsFirstThenBlanksOnceEach) {
  struct Case {
    const char* path;
    const char* trimmed;
  };
  const Case cases[] = {
      {"book.pdb\r\n", "book.pdb"},
      {"book.pdb \t ", "book.pdb"},
      {"book.pdb \r\n", "book.pdb"},
      {"book.pdb\n\r\n\r", "book.pdb"},
      {"book.pdb\n ", "book.pdb\n"},
      {"book.pdb \n \n", "book.pdb \n"},
      {" book.pdb", " book.pdb"},
      {"\r\n \t", "\r\n"},
      {" \t\r\n", ""},
      {"", ""},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(trimmedInstallPath(test.path), test.trimmed)
        << testing::PrintToString(std::string(test.path));
  }
}

}  // namespace

}  // namespace quillet
