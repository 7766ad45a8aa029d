// The parts of the install and the scan that work on names and bytes: the target path, the
// database name read from the file, the trims, and the names found in users.dat.
#include "hotsync/install_target.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "hotsync/install_flag.h"
#include "hotsync/user_scan.h"
#include "tests/support/test_support.h"

namespace quillet {
namespace {

using namespace testing_support;

std::string joined(std::string_view folder, std::string_view name) {
  return std::string(folder) + kPathSeparator + std::string(name);
}

class InstallTargetTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const auto& [name, folder] :
         {std::pair{"Ann Smith", "SmithA"}, {"Bob", "JonesB"}, {"Bob", "Bob2"}}) {
      PalmUser& user = users.entries[users.userCount++];
      setFieldText(user.userName, name);
      setFieldText(user.installPath, joined(joined("palm", folder), "Install"));
      setFieldText(user.backupPath, joined(joined("palm", folder), "backup"));
    }
  }

  // The target in `user`'s install (or backup) folder, or "<none>".
  std::string target(std::string_view databaseName, bool resource = false,
                     const char* user = "Ann Smith", bool backup = false) {
    char path[kInstallTargetSize];
    std::memset(path, 'x', sizeof path);
    if (installTargetPath(path, sizeof path, users, user, databaseName, resource, backup) != 0)
      return path[0] == '\0' ? "<none>" : "<none, and the result not emptied>";
    return path;
  }

  const std::string annInstall = joined(joined(joined("palm", "SmithA"), "Install"), "");
  PalmUserList users;
};

TEST_F(InstallTargetTest, TheFileNameIsTheCleanedDatabaseName) {
  const std::string full(32, 'N');  // a name that fills the whole header field
  const struct {
    std::string databaseName;
    bool resource;
    std::string fileName;
  } cases[] = {
      {"My Book: Part 1", false, "My_Book__Part_1.pdb"},
      {"Notes v1.2", false, "Notes_v1_2.pdb"},
      {"Notes v1.2", true, "Notes_v1_2.prc"},
      // One leading and one trailing quote go; any other is replaced.
      {"\"Quoted\"", false, "Quoted.pdb"},
      {"\"\"Twice\"\"", false, "_Twice_.pdb"},
      {"\"", false, ".pdb"},
      // Every replaced character, control bytes included; other bytes stay.
      {"a.,?*<>+=|\\[]/^;:\xD8\"\xA9\xAE\x91\x92\x93\x94z", false,
       "a________________________z.pdb"},
      {"t\x01t\x1Ft\x7F\xE9\xFF!&'()~", false, "t_t_t\x7F\xE9\xFF!&'()~.pdb"},
      {full, false, full + ".pdb"},
  };
  for (const auto& test : cases)
    EXPECT_EQ(target(test.databaseName, test.resource), annInstall + test.fileName);
}

TEST_F(InstallTargetTest, TheFolderIsTheNamedUsersInstallOrBackupFolder) {
  // The first of two users named Bob.
  EXPECT_EQ(target("Book", false, "Bob", true),
            joined(joined(joined("palm", "JonesB"), "backup"), "Book.pdb"));
  // Blanks become underscores in the file name only, also when the name loses its quotes:
  // the folder keeps its trailing blank.
  setFieldText(users.entries[1].installPath, joined("palm", "In box "));
  EXPECT_EQ(target("\"A B\"", false, "Bob"), joined(joined("palm", "In box "), "A_B.pdb"));
  // An empty database name leaves the folder itself.
  EXPECT_EQ(target("", true, "Bob"), joined("palm", "In box "));
  EXPECT_EQ(target("Book", false, "bob"), "<none>");  // the name must be a user's exactly
}

TEST_F(InstallTargetTest, ATargetThatDoesNotFitIsNotFormedAndNothingIsWrittenPastTheBuffer) {
  // folder, separator, name, ".pdb" and the NUL in exactly 64 bytes.
  const std::size_t fitting = 64 - annInstall.size() - 4 - 1;
  for (const std::size_t length : {fitting, fitting + 1}) {
    char buffer[80];
    std::memset(buffer, 'Z', sizeof buffer);
    const int result =
        installTargetPath(buffer, 64, users, "Ann Smith", std::string(length, 'n'), false, false);
    EXPECT_EQ(result, length == fitting ? 0 : -1);
    EXPECT_EQ(std::strlen(buffer), length == fitting ? 63u : 0u);
    EXPECT_EQ(std::string(buffer + 64, 16), std::string(16, 'Z'));
    if (result != 0) {
      EXPECT_EQ(std::string(buffer + 1, 79), std::string(79, 'Z'));
    }
  }
}

TEST(InstallSourceTest, TheHeaderNamesTheDatabaseAndItsKindElseThePathDoes) {
  // The first 34 bytes of a database header (name, attributes) and a few more.
  const auto header = [](std::string_view name, unsigned attributes, std::size_t size = 78) {
    std::string bytes = std::string(name) + std::string(32 - name.size(), '\0') +
                        static_cast<char>(attributes >> 8) + static_cast<char>(attributes & 0xFF) +
                        std::string(44, '\x5A');
    return bytes.substr(0, size);
  };
  TempDir dir;
  const struct {
    const char* fileName;
    std::optional<std::string> bytes;  // none: no such file
    const char* name;
    bool resource;
  } cases[] = {
      // The resource bit decides, whatever the file is called.
      {"resource.pdb", header("Game", 0x0001), "Game", true},
      {"record.prc", header("Diary", 0x0008), "Diary", false},
      // Big-endian: the low byte of the attributes is byte 33.
      {"swapped.prc", header("Swapped", 0x0100), "Swapped", false},
      {"full.pdb", header(std::string(32, 'F'), 0), "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF", false},
      {"empty name.pdb", header("", 0), "", false},
      // Exactly the name and the attributes are enough.
      {"34 bytes.pdb", header("Short", 0x0001, 34), "Short", true},
      // Shorter files, and files that cannot be opened, are named after the path and are
      // of the path's kind.
      {"33 bytes.PRC", header("Short", 0x0001, 33), "33 bytes", true},
      {"tiny.pdb", "tiny", "tiny", false},
      {"nothing", "", "nothing", false},
      {"Some Book.v2.PrC", std::nullopt, "Some Book.v2", true},
      {"readme", std::nullopt, "readme", false},
      {".prc", std::nullopt, "", true},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.fileName);
    if (test.bytes) writeFile(dir.file(test.fileName), *test.bytes);
    const InstallSource source = readInstallSource(dir.file(test.fileName));
    EXPECT_EQ(source.databaseName, test.name);
    EXPECT_EQ(source.resource, test.resource);
  }
}

TEST(TrimInstallPathTest, LineEndsFirstThenBlanksOnceEach) {
  const std::pair<std::string, std::string> cases[] = {{"book.pdb\r\n", "book.pdb"},
                                                       {"book.pdb \t ", "book.pdb"},
                                                       {"book.pdb \r\n", "book.pdb"},
                                                       {"book.pdb\n\r\n\r", "book.pdb"},
                                                       {"book.pdb\n ", "book.pdb\n"},
                                                       {"book.pdb \n \n", "book.pdb \n"},
                                                       {" book.pdb", " book.pdb"},
                                                       {"\r\n \t", "\r\n"},
                                                       {" \t\r\n", ""},
                                                       {"", ""}};
  for (const auto& [path, trimmed] : cases)
    EXPECT_EQ(trimmedInstallPath(path), trimmed) << testing::PrintToString(path);
}

TEST(UsersFileTest, TheLastRecordOfTheFolderWithItsLengthByteGivesTheDisplayName) {
  const auto record = [](std::int16_t number, std::string_view name, std::string_view folder) {
    const Bytes bytes = usersDatRecord(number, name, folder);
    return std::string(bytes.begin(), bytes.end());
  };
  const std::string file = "PALM USERS 0001" + record(7, "Old Name", "SmithA") +
                           record(12, "Bob Jones", "JonesB") + record(8, "Ann Smith", "SmithA") +
                           "\x01\x02";
  // A later occurrence without its length byte (6 is not 5) is no match.
  const std::string decoy = std::string("\0\004Fake\006", 7) + "Carla";
  const struct {
    std::string file;
    const char* folder;
    const char* name;
  } cases[] = {
      {file, "SmithA", "Ann Smith"},
      {file, "JonesB", "Bob Jones"},
      {file, "smitha", ""},  // case-sensitive
      {file, "Smith", ""},   // a prefix is not the folder
      {file, "Nobody", ""},
      {"........" + record(1, "Real Name", "Carla") + decoy, "Carla", "Real Name"},
      {decoy, "Carla", ""},
      // The name runs from two past the nearest zero byte before the folder's length byte
      // (the name's own length byte is not read), else from position 2.
      {"ABCDEFGH\003abc", "abc", "CDEFGH"},
      {std::string("ABCDEF\0\003abc", 10), "abc", ""},
      {std::string("xx\001\0\011Ann\003abc", 12), "abc", "Ann"},
      // A match must start after position 5.
      {std::string("\0\001N\001\003abc", 8), "abc", ""},
      {std::string("\0\001NN\001\003abc", 9), "abc", "NN\001"},
      {"abc", "abc", ""},
  };
  for (const auto& test : cases)
    EXPECT_EQ(findDisplayName(test.file, test.folder), test.name)
        << testing::PrintToString(test.file) << " " << test.folder;
}

TEST(HotsyncNumberTest, ANameTooNearTheStartHasNoNumberBeforeIt) {
  EXPECT_EQ(findHotsyncNumber(std::string("\x00\x00\x00\x03", 4) + "Ann", "Ann"), std::nullopt);
  EXPECT_EQ(findHotsyncNumber(std::string("\x34\x12\x00\x00\x03", 5) + "Ann", "Ann"), 0x1234);
  EXPECT_EQ(findHotsyncNumber("\x05\x05\x05\x05\x05\x05\x05", ""), std::nullopt);
}

}  // namespace
}  // namespace quillet
