// Every command, every way its output can fail: each failure is told with the file and its
// cause, the exit code is 1, an earlier output stays byte for byte, and nothing is left
// beside it or in the temporary folder. The failures come from the file seam, so they run
// the same on every system; a few real ones (a missing folder, a folder as SOURCE) too.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "format/doc_builder.h"
#include "tests/cli/cli_test_support.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillet {

namespace {

using namespace testing_support;

constexpr char kEarlier[] = "an earlier output";

class FailuresTest : public ::testing::Test {
 protected:
  FailuresTest() {
    writeFile("story.txt", "Once upon a time.\n");
    writeFile("page.html", "<TITLE>T</TITLE><P>Hello");
    char name[40] = "Book";
    EXPECT_EQ(buildDoc(dir.file("story.txt").c_str(), dir.file("book.pdb").c_str(), name, true),
              kBuildOk);
    writeFile("out", kEarlier);
  }
  void TearDown() override {
    clearFileFaults();
    setRecordTamperForTests(nullptr);
  }

  // Runs the command; then the earlier output must be as it was and nothing else new.
  CommandRun runFailing(int (*command)(const std::vector<std::string>&),
                        const std::vector<std::string>& args) {
    const std::size_t entries = countEntries(".");
    const CommandRun run = runCommand(command, args);
    clearFileFaults();
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(readFile("out"), bytesOf(kEarlier));
    EXPECT_EQ(countEntries("."), entries) << "something was left beside the output";
    EXPECT_EQ(countEntries(temporary.path().string()), 0u);
    return run;
  }

  TempDir dir;
  ScopedCurrentDir cwd{dir.path()};
  TempDir temporary;
  ScopedTemporaryFolder redirected{temporary.path().string()};
};

struct Command {
  const char* name;
  int (*run)(const std::vector<std::string>&);
  std::vector<std::string> args;  // writing to "out"
};

const Command kCommands[] = {
    {"build", runBuildCommand, {"story.txt", "-o", "out", "-q"}},
    {"import", runImportCommand, {"book.pdb", "-o", "out"}},
    {"html", runHtmlCommand, {"page.html", "-o", "out"}},
    {"info", runInfoCommand, {"book.pdb", "-o", "out"}},
};

TEST_F(FailuresTest, EachFailedStepOfWritingTheOutputIsToldAndLeavesTheOldOne) {
  struct Fault {
    FileFault fault;
    const char* said;
  };
  const Fault faults[] = {
      {{FileOp::kCreate, EACCES}, "quillet: cannot create 'out': "},
      {{FileOp::kWrite, ENOSPC}, "quillet: disk full while writing 'out'\n"},
      {{FileOp::kClose, EIO}, "quillet: cannot write 'out': "},
      {{FileOp::kRename, EACCES}, "quillet: cannot write 'out': "},
  };
  for (const Command& command : kCommands) {
    for (const Fault& fault : faults) {
      SCOPED_TRACE(std::string(command.name) + " with fault " +
                   std::to_string(static_cast<int>(fault.fault.op)));
      injectFileFault(fault.fault);
      const CommandRun run = runFailing(command.run, command.args);
      EXPECT_EQ(run.err.rfind(fault.said, 0), 0u) << run.err;
    }
  }
}

TEST_F(FailuresTest, StandardOutputIsCheckedAtEveryWriteAndAtTheEnd) {
  for (const Command& command : kCommands) {
    if (std::string(command.name) == "build") continue;
    for (const FileOp op : {FileOp::kWrite, FileOp::kFlush}) {
      SCOPED_TRACE(command.name);
      injectFileFault({op, ENOSPC});
      const CommandRun run = runFailing(command.run, {command.args[0]});
      EXPECT_EQ(run.err, "quillet: disk full while writing standard output\n");
    }
  }
}

TEST_F(FailuresTest, ABuildNamesTheSourceOrTheFolderThatFailsIt) {
  writeFile("empty.txt", "");
  writeFile("nuls.txt", std::string(5, '\0'));
  std::filesystem::create_directory("folder");
  const struct {
    std::vector<std::string> args;
    std::string said;
  } cases[] = {
      {{"nosuch.txt", "-o", "out"}, "quillet: cannot open 'nosuch.txt': "},
      {{"folder", "-o", "out"}, "quillet: 'folder' is a folder\n"},
      {{"empty.txt", "-o", "out"}, "quillet: 'empty.txt' gives an empty text; no book made\n"},
      {{"nuls.txt", "-o", "out"}, "quillet: 'nuls.txt' gives an empty text; no book made\n"},
      {{"story.txt", "-o", "no/such/folder/b.pdb"},
       "quillet: cannot create 'no/such/folder/b.pdb': "},
      {{"story.txt", "-o", "folder"}, "quillet: cannot write 'folder': "},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.args[0]);
    const CommandRun run = runFailing(runBuildCommand, test.args);
    EXPECT_EQ(run.err.rfind(test.said, 0), 0u) << run.err;
    EXPECT_EQ(countEntries("folder"), 0u);
  }
}

TEST_F(FailuresTest, NoCommandWritesOverItsOwnInput) {
  for (const Command& command : kCommands) {
    SCOPED_TRACE(command.name);
    const std::string input = command.args[0];
    const Bytes before = readFile(input);
    const CommandRun run = runCommand(command.run, {input, "-o", "./" + input});
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_EQ(readFile(input), before);
  }
}

#ifndef _WIN32
TEST_F(FailuresTest, APipeNamedAsTheOutputIsWrittenNotReplacedByAFile) {
  // As with /dev/null: a scratch file moved over it would leave a plain file in its place.
  writeFile("short.txt", "a short book\n");
  ASSERT_EQ(build({"short.txt", "-q"}), 0);
  ASSERT_EQ(mkfifo("out.fifo", 0600), 0);
  const int reader = open("out.fifo", O_RDONLY | O_NONBLOCK);  // so the writer never waits
  ASSERT_GE(reader, 0);
  const CommandRun run = runCommand(runImportCommand, {"short.pdb", "-o", "out.fifo"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  char received[64] = {};
  EXPECT_EQ(read(reader, received, sizeof received), 13);
  close(reader);
  EXPECT_STREQ(received, "a short book\n");
  struct stat status {};
  ASSERT_EQ(stat("out.fifo", &status), 0);
  EXPECT_TRUE(S_ISFIFO(status.st_mode));
}
#endif

TEST_F(FailuresTest, ARecordThatWouldReadBackWrongFailsTheBuildByName) {
  writeFile("long.txt", proseText(3 * 4096 + 100));
  setRecordTamperForTests([](std::size_t record, unsigned char* packed, std::size_t) {
    if (record == 2) packed[0] ^= 0x01;
  });
  const CommandRun run = runFailing(runBuildCommand, {"long.txt", "-o", "out"});
  EXPECT_EQ(run.err,
            "quillet: record 2 of 'out' did not read back as the text it was made from; "
            "nothing was written\n");
  // Without the check the same fault goes through unseen: the check is what caught it.
  const CommandRun unchecked =
      runCommand(runBuildCommand, {"long.txt", "-o", "new.pdb", "-q", "--no-verify"});
  EXPECT_EQ(unchecked.exitCode, 0);
}

TEST_F(FailuresTest, StandardInputIsReadAsTheTypeSays) {
  // Every command that reads a file reads standard input for "-", with -t for build.
  const auto withInput = [](const std::string& file, const std::function<CommandRun()>& run) {
    std::FILE* input = std::freopen(file.c_str(), "rb", stdin);
    EXPECT_NE(input, nullptr);
    const CommandRun result = run();
    std::clearerr(stdin);
    return result;
  };
  const CommandRun html = withInput("page.html", [] {
    return runCommand(runBuildCommand, {"-", "-t", "html", "-o", "page.pdb", "-q"});
  });
  EXPECT_EQ(html.exitCode, 0) << html.err;
  EXPECT_EQ(runCommand(runImportCommand, {"page.pdb"}).out,
            "<HEADER ALIGN=CENTER STYLE=UNDERLINED FONT=1 TEXT=\"T\">\n\nHello");
  const CommandRun doc = withInput("book.pdb", [] {
    return runCommand(runBuildCommand, {"-", "-t", "doc", "-o", "copy.pdb", "-q"});
  });
  EXPECT_EQ(doc.exitCode, 0) << doc.err;
  EXPECT_EQ(runCommand(runImportCommand, {"copy.pdb"}).out, "Once upon a time.\n");
  EXPECT_EQ(withInput("book.pdb", [] { return runCommand(runImportCommand, {"-"}); }).out,
            "Once upon a time.\n");
  EXPECT_NE(withInput("book.pdb", [] { return runCommand(runInfoCommand, {"-"}); })
                .out.find("Name:               \"Book\""),
            std::string::npos);
  EXPECT_EQ(countEntries(temporary.path().string()), 0u);  // builds use no temporary file
}

}  // namespace

}  // namespace quillet
