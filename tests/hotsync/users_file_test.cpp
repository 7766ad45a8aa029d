// Display names from Palm Desktop's users.dat.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/paths.h"
#include "hotsync/user_scan.h"
#include "tests/support/palm_desktop_fake.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

std::string textOf(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string displayName(const Bytes& usersFile, std::string_view folderName) {
  return std::string(findDisplayName(textOf(usersFile), folderName));
}

TEST(UsersFileTest, TheRecordNearestTheEndNamesTheFolder) {
  const Bytes header = bytesOf("PALM USERS 0001");
  const Bytes file = concat({header, usersDatRecord(7, "Old Name", "SmithA"),
                             usersDatRecord(12, "Bob Jones", "JonesB"),
                             usersDatRecord(8, "Ann Smith", "SmithA"), bytesOf("\x01\x02")});
  EXPECT_EQ(displayName(file, "SmithA"), "Ann Smith");
  EXPECT_EQ(displayName(file, "JonesB"), "Bob Jones");
  EXPECT_EQ(displayName(file, "smitha"), "");  // case-sensitive
  EXPECT_EQ(displayName(file, "Smith"), "");   // a prefix is not the folder
  EXPECT_EQ(displayName(file, "Nobody"), "");
}

TEST(UsersFileTest, AFolderNameWithoutItsLengthByteIsNoMatch) {
  // The later occurrence lacks its length byte; the earlier one counts.
  Bytes file = concat({bytesOf("........"), usersDatRecord(1, "Real Name", "Carla")});
  const Bytes decoy = bytesOf(std::string("\0\x04"
                                          "Fake\x06",
                                          7) +
                              "Carla");  // 6 is not 5
  file.insert(file.end(), decoy.begin(), decoy.end());
  EXPECT_EQ(displayName(file, "Carla"), "Real Name");
  EXPECT_EQ(displayName(decoy, "Carla"), "");
}

TEST(UsersFileTest, TheNameRunsFromTwoPastTheNearestZeroByte) {
  // No zero byte before the name: it starts at position 2.
  EXPECT_EQ(displayName(bytesOf("ABCDEFGH\x03"
                                "abc"),
                        "abc"),
            "CDEFGH");
  // A zero byte right before the folder's length byte: an empty name, none at all.
  EXPECT_EQ(displayName(bytesOf(std::string("ABCDEF\0\x03"
                                            "abc",
                                            10)),
                        "abc"),
            "");
  // The name's length byte is not read: the zero byte alone decides where it starts.
  EXPECT_EQ(displayName(bytesOf(std::string("xx\x01\0\x09"
                                            "Ann\x03"
                                            "abc",
                                            12)),
                        "abc"),
            "Ann");
  // A match must start after position 5.
  EXPECT_EQ(displayName(bytesOf(std::string("\0\x01N\x01\x03"
                                            "abc",
                                            8)),
                        "abc"),
            "");
  EXPECT_EQ(displayName(bytesOf(std::string("\0\x01NN\x01\x03"
                                            "abc",
                                            9)),
                        "abc"),
            "NN\x01");
  EXPECT_EQ(displayName(bytesOf("abc"), "abc"), "");
}

TEST(UsersFileTest, LookupCutsLongNamesAndFallsBackToTheFolderName) {
  TempDir dir;
  FakePalmFolder palm(dir.file("Palm"));
  PalmUser entry;
  std::memset(entry.userName, '#', sizeof entry.userName);

  lookupUserName(palm.path().c_str(), entry, "NoFile");  // no users.dat yet
  EXPECT_STREQ(entry.userName, "NoFile");

  const std::string longName(60, 'L');
  const Bytes usersFile = concat(
      {bytesOf("header.."), usersDatRecord(1, longName, "Long"), usersDatRecord(2, "", "Empty")});
  palm.writeUsersDat(usersFile);
  lookupUserName(palm.path().c_str(), entry, "Long");
  EXPECT_EQ(std::string(entry.userName), std::string(49, 'L'));
  lookupUserName(palm.path().c_str(), entry, "Empty");
  EXPECT_STREQ(entry.userName, "Empty");
  lookupUserName(palm.path().c_str(), entry, std::string(70, 'F'));
  EXPECT_EQ(std::string(entry.userName), std::string(49, 'F'));

  std::string read;
  EXPECT_TRUE(readUsersFile(palm.path(), read));
  EXPECT_EQ(read, textOf(usersFile));
  EXPECT_EQ(usersFilePath(palm.path()), palm.path() + kPathSeparator + "users.dat");
  EXPECT_FALSE(readUsersFile(dir.file("Elsewhere"), read));
  EXPECT_TRUE(read.empty());
}

}  // namespace

}  // namespace quillet
