
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "source/charset.h"
#include "source/html_converter.h"

namespace quillet {

namespace {

const CommandHelp kHelp{
    "html",
    "SOURCE.html [--public] [--no-title] [-o OUT]",
    "Converts an HTML page into the text Quillet Maker would make a Doc of, and writes it\n"
    "byte for byte to OUT or to standard output: CR LF line ends, Windows-1252 characters.\n"
    "SOURCE may be - for standard input.\n\n"
    "The page's title becomes a centred, underlined HEADER line, headings become HEADER\n"
    "lines and rules <HRULE>: the markup a Doc reader on the handheld renders. With\n"
    "--public the same layout comes without tags, and the text ends with the three bytes\n"
    "3C 8D 3E. Lists, tables and definitions are indented by three spaces a level; bold\n"
    "text is raised to capitals; scripts, styles, comments and unknown tags are dropped.\n"
    "A comment opened by <!--QL passes its text through unchanged.\n\n"
    "OUT is replaced only when the whole text has been written, and never when it is\n"
    "SOURCE itself.\n\n"
    "By default the page's charset is found (a byte order mark, its <meta charset>, or\n"
    "text that is valid UTF-8) and every character written in Windows-1252 with the\n"
    "closest form the handheld has (what has none is counted and shown on standard\n"
    "error), and every HTML5 character reference is read. --classic converts as Quillet\n"
    "Maker does: the bytes as they are, 57 named entities, three-digit references.",
    {
        {'o', "output", "OUT", "write the text here instead of standard output"},
        {'\0', "public", nullptr, "plain text: no HEADER or HRULE tags, ends with 3C 8D 3E"},
        {'\0', "no-title", nullptr, "do not look for the page's <TITLE>; convert it all as body"},
        kReadingOptions[0],
        kReadingOptions[1],
        kReadingOptions[2],
    }};

}  // namespace

int runHtmlCommand(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  int exitCode = kExitOk;
  if (!parseCommand(kHelp, args, parsed, exitCode)) return exitCode;
  if (parsed.operands.size() != 1) return usageError(kHelp, "expected one SOURCE.html file");

  const std::string& source = parsed.operands[0];
  const std::string output = parsed.value("output");
  if (sameFile(source, output)) {
    return usageError(kHelp, "OUT would replace SOURCE " + inputName(source));
  }
  std::string readingError;
  const ReadingChoices reading = readingChoices(parsed, readingError);
  if (!readingError.empty()) return usageError(kHelp, readingError);
  const Talk talk(parsed);
  WorkText html;
  if (!readInput(source, html)) return kExitFailure;
  // The unicode profile reads the page into Windows-1252 first, with every HTML5 reference.
  CharsetReport report;
  std::string page;
  HtmlReading references;
  if (reading.unicode) {
    page = readAsWindows1252(html.view(), reading.charset, /*html=*/true, report);
    references = HtmlReading{ReferenceRules::kHtml5, &report};
  }
  const std::string_view bytes = reading.unicode ? std::string_view(page) : html.view();
  if (reading.strict) {  // the references are counted as the page is converted: once, first
    CharsetReport counted = report;
    static_cast<void>(convertHtmlToString(bytes, parsed.has("public"), !parsed.has("no-title"),
                                          HtmlReading{ReferenceRules::kHtml5, &counted}));
    if (!counted.clean()) {
      printError(describeCharsetReport(source, counted) + "; nothing written (--strict)");
      return kExitFailure;
    }
  }
  CommandOutput out(output);
  if (!out.open()) return kExitFailure;
  int writeError = 0;
  {
    // Streamed through a buffer of the converter's own, gone before the output is finished.
    HtmlOutput converted(out.stream());
    convertHtmlBytes(bytes, converted, parsed.has("public"), !parsed.has("no-title"), references);
    if (!converted.flush()) writeError = converted.error();
  }
  if (writeError != 0) {
    out.fail(writeError);
    return kExitFailure;
  }
  if (!out.finish()) return kExitFailure;
  if (reading.unicode) talk.info(describeCharsetReport(source, report));
  return kExitOk;
}

}  // namespace quillet
