#include <cstring>
#include <iostream>

#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/doc_summary.h"
#include "format/doc_builder.h"
#include "format/file_paths.h"

namespace {

const CommandHelp kHelp{
    "build",
    "SOURCE [-o OUT.pdb] [-n NAME] [--public]",
    "Makes a Palm Doc database from the text file SOURCE, as Quillet Maker does: CR LF line\n"
    "ends are stored as LF, NUL bytes are dropped, a byte 0x1A ends the text, and every\n"
    "4096 bytes become one PalmDOC-compressed record.\n\n"
    "OUT defaults to SOURCE's base name with the ending .pdb, in the current folder; NAME,\n"
    "the name the book carries on the handheld (at most 32 characters), defaults to\n"
    "SOURCE's base name without its ending. OUT is replaced only when the build succeeds.",
    {
        {'o', "output", "OUT.pdb", "the database to write"},
        {'n', "name", "NAME", "the document's name on the handheld (cut to 32 characters)"},
        {'\0', "public", nullptr, "public Doc format: creator \"REAd\" instead of \"Qvlt\""},
        {'q', "quiet", nullptr, "print nothing on success"},
    }};

std::string withoutExtension(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::string(fileName);
  return std::string(fileName.substr(0, dot));
}

const char* buildFailureReason(int result) {
  switch (result) {
    case kBuildNoText:
      return "the text file cannot be opened";
    case kBuildNoHeaderRecord:
      return "the header record could not be added to the database";
    default:
      return "the text is empty, or the database could not be written";
  }
}

}  // namespace

int runBuildCommand(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  int exitCode = kExitOk;
  if (!parseCommand(kHelp, args, parsed, exitCode)) return exitCode;
  if (parsed.operands.size() != 1) return usageError(kHelp, "expected one SOURCE file");

  const std::string& source = parsed.operands[0];
  const std::string base = withoutExtension(fileNameOf(source));
  const std::string output = parsed.value("output", base + ".pdb");
  if (output == source) return usageError(kHelp, "OUT would replace SOURCE '" + source + "'");

  char palmName[40] = {};  // the width of the name field the application keeps
  std::strncpy(palmName, parsed.value("name", base).c_str(), kPdbNameSize);

  // Built under a scratch name and moved into place, so a failed build never destroys an
  // earlier OUT.
  const std::string scratch = output + ".part";
  const int result = buildDoc(source.c_str(), scratch.c_str(), palmName, parsed.has("public"));
  if (result != kBuildOk) {
    std::remove(scratch.c_str());
    standardErrorSink()("Doc Creation Error", "Could not write document to temporary file");
    printError(std::string(buildFailureReason(result)) + " ('" + source + "' to '" + output +
               "')");
    return kExitFailure;
  }
  if (!moveIntoPlace(scratch, output)) {
    std::remove(scratch.c_str());
    printError("cannot write '" + output + "'");
    return kExitFailure;
  }
  DocSummary summary;
  if (!parsed.has("quiet") && summarizeDoc(output, summary)) {
    std::cout << output << ": \"" << palmName << "\", " << describeDocSummary(summary) << '\n';
  }
  return kExitOk;
}
