
#include "cli/cli_common.h"
#include "cli/commands.h"
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
    "SOURCE itself.",
    {
        {'o', "output", "OUT", "write the text here instead of standard output"},
        {'\0', "public", nullptr, "plain text: no HEADER or HRULE tags, ends with 3C 8D 3E"},
        {'\0', "no-title", nullptr, "do not look for the page's <TITLE>; convert it all as body"},
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
  WorkText html;
  if (!readInput(source, html)) return kExitFailure;
  CommandOutput out(output);
  if (!out.open()) return kExitFailure;
  int writeError = 0;
  {
    // Streamed through a buffer of the converter's own, gone before the output is finished.
    HtmlOutput converted(out.stream());
    convertHtmlBytes(html.view(), converted, parsed.has("public"), !parsed.has("no-title"));
    if (!converted.flush()) writeError = converted.error();
  }
  if (writeError != 0) {
    out.fail(writeError);
    return kExitFailure;
  }
  return out.finish() ? kExitOk : kExitFailure;
}

}  // namespace quillet
