#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/atomic_file.h"
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
    "OUT is replaced only when the whole text has been written.",
    {
        {'o', "output", "OUT", "write the text here instead of standard output"},
        {'\0', "public", nullptr, "plain text: no HEADER or HRULE tags, ends with 3C 8D 3E"},
        {'\0', "no-title", nullptr, "do not look for the page's <TITLE>; convert it all as body"},
    }};

// Streams the conversion into file. False when a write failed.
bool convertInto(std::FILE* file, const std::vector<unsigned char>& html, bool publicFormat,
                 bool useTitle) {
  HtmlOutput output(file);
  convertHtmlBytes(std::string_view(reinterpret_cast<const char*>(html.data()), html.size()),
                   output, publicFormat, useTitle);
  return output.flush();
}

// Written under a scratch name beside OUT and moved into place, so that a failed run never
// leaves half a text under OUT.
bool convertToFile(const std::string& path, const std::vector<unsigned char>& html,
                   bool publicFormat, bool useTitle) {
  ScratchFile file(path);
  if (file.stream() == nullptr) {
    printError("cannot create '" + path + "': " + std::strerror(file.error()));
    return false;
  }
  if (!convertInto(file.stream(), html, publicFormat, useTitle) || !file.commit()) {
    printError("cannot write '" + path + "'");
    return false;
  }
  return true;
}

}  // namespace

int runHtmlCommand(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  int exitCode = kExitOk;
  if (!parseCommand(kHelp, args, parsed, exitCode)) return exitCode;
  if (parsed.operands.size() != 1) return usageError(kHelp, "expected one SOURCE.html file");

  const std::string& source = parsed.operands[0];
  const std::string output = parsed.value("output");
  const bool toStandardOutput = output.empty() || output == "-";
  if (!toStandardOutput && output == source) {
    return usageError(kHelp, "OUT would replace SOURCE '" + source + "'");
  }
  std::vector<unsigned char> html;
  if (!readWholeFile(source, html)) {
    printError("cannot read '" + source + "'");
    return kExitFailure;
  }
  const bool publicFormat = parsed.has("public");
  const bool useTitle = !parsed.has("no-title");
  if (toStandardOutput) {
    if (!convertInto(stdout, html, publicFormat, useTitle)) {
      printError("cannot write to standard output");
      return kExitFailure;
    }
    return kExitOk;
  }
  return convertToFile(output, html, publicFormat, useTitle) ? kExitOk : kExitFailure;
}

}  // namespace quillet
