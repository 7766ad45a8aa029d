// What the preview dialog saves. The dialog itself is tested under Wine
// (tests/gui/preview_dialog_test.cpp).
#include "app/preview_dialog.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

namespace quillet {

namespace {

using namespace testing_support;

TEST(PreviewDialogTest, AnEditedTextIsSavedAsItWouldBeBuiltWithCrLfLineEnds) {
  WorkText text;
  ASSERT_TRUE(assignWorkText(text, "before\r\n"));
  EXPECT_EQ(previewFileText(text, "after\r\nedits\r\n"), "after\r\nedits\r\n");
  // The build drops lone CRs and ends a line at every LF.
  EXPECT_EQ(previewFileText(text, "a\nb\rc\r\r\n"), "a\r\nbc\r\n");

  // Too long to edit: saved whole, as it is, whatever the field shows.
  const std::string whole = std::string(30000, 'w') + "\r\r\n";
  ASSERT_TRUE(assignWorkText(text, whole));
  EXPECT_EQ(previewFileText(text, "shown"), whole);
}

TEST(PreviewDialogTest, WritesTheBytesAsTheyAreOrNothing) {
  TempDir dir;
  const std::string path = dir.file("saved.txt");
  writeFile(path, std::string(100, 'o'));
  ASSERT_TRUE(writeWholeFile(path.c_str(), std::string("a\r\nb\0c\x1A\r\n", 9)));
  EXPECT_EQ(hexOf(readFile(path)), "61 0D 0A 62 00 63 1A 0D 0A");

  EXPECT_FALSE(writeWholeFile(dir.file("no folder/saved.txt").c_str(), "text"));
  EXPECT_EQ(countEntries(dir.path().string()), 1u);
}

#ifndef _WIN32
// A file size limit makes the write fail part of the way, as a full disk would.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limited = previous_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
  }

 private:
  rlimit previous_{};
  void (*previousHandler_)(int) = nullptr;
};

TEST(PreviewDialogTest, AFileThatCannotBeWrittenWholeIsNotLeftBehind) {
  TempDir dir;
  const std::string path = dir.file("saved.txt");
  bool written = true;
  {
    FileSizeLimit limit(4096);
    written = writeWholeFile(path.c_str(), std::string(100000, 'x'));
  }
  EXPECT_FALSE(written);
  EXPECT_FALSE(fileExists(path));
}
#endif

}  // namespace

}  // namespace quillet
