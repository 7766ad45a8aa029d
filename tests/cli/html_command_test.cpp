#include <gtest/gtest.h>

#include "cli/commands.h"
#include "tests/cli/cli_test_support.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

class HtmlCommandTest : public ::testing::Test {
 protected:
  TempDir dir;
  ScopedCurrentDir cwd{dir.path()};
};

const char kPage[] =
    "<html><head><title>My Page</title></head>\n<body><h1>Top</h1>Caf&eacute;</body>";

TEST_F(HtmlCommandTest, WritesMarkupToTheOutputFile) {
  writeFile("page.html", kPage);
  const CommandRun run = runCommand(runHtmlCommand, {"page.html", "-o", "page.txt"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(readFile("page.txt"),
            bytesOf("<HEADER ALIGN=CENTER STYLE=UNDERLINED FONT=1 TEXT=\"My Page\">\r\n \r\n\r\n"
                    "<HEADER STYLE=UNDERLINED ALIGN=CENTER FONT=1 TEXT=\"Top\">\r\nCaf\xE9"));
  EXPECT_FALSE(fileExists("page.txt.part"));
}

TEST_F(HtmlCommandTest, PublicAndNoTitleChangeTheForm) {
  writeFile("page.html", kPage);
  ASSERT_EQ(
      runCommand(runHtmlCommand, {"--public", "page.html", "--no-title", "-o", "p.txt"}).exitCode,
      0);
  EXPECT_EQ(readFile("p.txt"), bytesOf("My Page \r\n\r\nTop\r\n\r\nCaf\xE9<\x8D>"));
}

TEST_F(HtmlCommandTest, WritesToStandardOutputByDefault) {
  writeFile("in.html", "<p>x&lt;y &amp; <b>z</b>");
  const CommandRun run = runCommand(runHtmlCommand, {"in.html", "--no-title"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  // The output starts with the paragraph's two line breaks; compare what follows them,
  // since the captured stream may translate line ends on some platforms.
  EXPECT_TRUE(run.out.ends_with("x<y & Z")) << run.out;
}

TEST_F(HtmlCommandTest, FailuresKeepAnEarlierOutput) {
  writeFile("out.txt", "earlier");
  const CommandRun missing = runCommand(runHtmlCommand, {"missing.html", "-o", "out.txt"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("cannot open 'missing.html': No such file or directory"), std::string::npos) << missing.err;
  EXPECT_EQ(readFile("out.txt"), bytesOf("earlier"));

  writeFile("in.html", "x");
  EXPECT_EQ(runCommand(runHtmlCommand, {"in.html", "-o", "no/such/dir/out.txt"}).exitCode, 1);
}

TEST_F(HtmlCommandTest, UsageErrorsExitWithTwo) {
  writeFile("in.html", "x");
  EXPECT_EQ(runCommand(runHtmlCommand, {}).exitCode, 2);
  EXPECT_EQ(runCommand(runHtmlCommand, {"in.html", "other.html"}).exitCode, 2);
  EXPECT_EQ(runCommand(runHtmlCommand, {"in.html", "--title"}).exitCode, 2);
  EXPECT_EQ(runCommand(runHtmlCommand, {"in.html", "-o", "in.html"}).exitCode, 2);
  EXPECT_EQ(readFile("in.html"), bytesOf("x"));
  const CommandRun help = runCommand(runHtmlCommand, {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("Usage: quillet html SOURCE.html"), std::string::npos);
}

}  // namespace

}  // namespace quillet
