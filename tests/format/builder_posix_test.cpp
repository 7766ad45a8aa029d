// Builder behaviour that only a POSIX system lets a test provoke: a text arriving through a
// pipe, and a disk that refuses to take more bytes.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <thread>

#include "format/doc_builder.h"
#include "tests/format/append_builder_reference.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

TEST(BuilderPosixTest, TextFromAPipeGivesTheSameDatabaseAsFromAFile) {
  std::string prose = proseText(30000, 6);
  prose[12345] = '\0';
  for (const std::string& text : {std::string(), prose}) {
    TempDir dir;
    const std::string pipePath = dir.file("pipe");
    ASSERT_EQ(mkfifo(pipePath.c_str(), 0600), 0);
    std::thread writer([&] {
      std::FILE* pipe = std::fopen(pipePath.c_str(), "wb");
      if (pipe == nullptr) return;
      std::fwrite(text.data(), 1, text.size(), pipe);
      std::fclose(pipe);
    });
    char name[40] = "Piped";
    const int piped = buildDoc(pipePath.c_str(), dir.file("piped.pdb").c_str(), name, false);
    writer.join();

    writeFile(dir.file("text.txt"), text);
    char sameName[40] = "Piped";
    const int fromFile = reference::buildDocByAppends(
        dir.file("text.txt").c_str(), dir.file("file.pdb").c_str(), sameName, false, 32767);
    EXPECT_EQ(piped, text.empty() ? kBuildFailed : kBuildOk);
    EXPECT_EQ(piped, fromFile);
    EXPECT_TRUE(readFile(dir.file("piped.pdb")) == readFile(dir.file("file.pdb")));
  }
}

// Runs buildDoc while no file may grow beyond limit bytes.
int buildUnderFileSizeLimit(const TempDir& dir, rlim_t limit) {
  std::signal(SIGXFSZ, SIG_IGN);  // a refused write then fails instead of ending the process
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = limit;
  if (setrlimit(RLIMIT_FSIZE, &small) != 0) return 99;
  char name[40] = "Limited";
  const int result =
      buildDoc(dir.file("text.txt").c_str(), dir.file("book.pdb").c_str(), name, false);
  setrlimit(RLIMIT_FSIZE, &old);
  return result;
}

TEST(BuilderPosixTest, WritesThatFailAreReportedNotPassedOffAsADatabase) {
  TempDir dir;
  writeFile(dir.file("text.txt"), proseText(200000));
  EXPECT_EQ(buildUnderFileSizeLimit(dir, 1 << 20), kBuildOk);  // room enough: it can succeed
  const std::size_t size = readFile(dir.file("book.pdb")).size();
  EXPECT_EQ(buildUnderFileSizeLimit(dir, static_cast<rlim_t>(size / 2)), kBuildFailed);
  EXPECT_EQ(buildUnderFileSizeLimit(dir, static_cast<rlim_t>(size - 1)), kBuildFailed);
}

}  // namespace

}  // namespace quillet

#endif  // _WIN32
