#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <set>

#include "app/conversion.h"
#include "app/messages.h"
#include "base/atomic_file.h"
#include "base/paths.h"
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/doc_summary.h"
#include "format/doc_builder.h"
#include "source/line_breaks.h"
#include "source/source_kind.h"

namespace quillet {

namespace {

namespace fs = std::filesystem;

const CommandHelp kHelp{
    "build",
    "SOURCE... [-t TYPE] [-o OUT] [-n NAME] [-s] [--public]",
    "Makes a Palm Doc database from each SOURCE, the way Quillet Maker does, short of the\n"
    "dialogs: the source is loaded (a text file byte for byte with every line end made one\n"
    "LF and NUL bytes dropped; an HTML page through the HTML converter; an existing Doc\n"
    "through the importer; or a blank page), the line-break rule is applied, and the text\n"
    "is stored in PalmDOC-compressed records of 4096 bytes.\n\n"
    "TYPE is text, html, doc or blank. By default it follows SOURCE's ending: .txt and\n"
    ".text are text, .htm and .html HTML, .pdb and .prc Doc, anything else text. SOURCE -\n"
    "reads a text from standard input. A blank document needs no SOURCE, only -o.\n\n"
    "OUT is the database to write (default: SOURCE's base name with .pdb, in the current\n"
    "folder); with several SOURCEs it names a folder to write them into. NAME, the book's\n"
    "name on the handheld, defaults to the base name (at most 32 characters are kept).\n"
    "A database is replaced only when its build succeeds, and a build never writes over\n"
    "its own source. Exit code 0 when every book was made, 1 when one failed.",
    {
        {'t', "type", "TYPE", "the kind of source: text, html, doc or blank"},
        {'o', "output", "OUT", "the database to write (a folder, with several SOURCEs)"},
        {'n', "name", "NAME", "the document's name on the handheld (cut to 32 characters)"},
        {'s', "strip", nullptr, "strip single line breaks (an HTML page always keeps them)"},
        {'\0', "public", nullptr,
         "public Doc format: creator \"REAd\" instead of \"Qvlt\", and plain text from HTML"},
        {'q', "quiet", nullptr, "print nothing on success"},
    }};

constexpr char kStandardInput[] = "-";

struct BuildJob {
  std::string source;  // a path, "-", or empty for a blank document
  std::string output;
  std::string name;
  int sourceType;
};

std::string withoutExtension(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::string(fileName);
  return std::string(fileName.substr(0, dot));
}

std::optional<int> parseType(const std::string& type) {
  if (type == "text") return kSourceTextFile;
  if (type == "html") return kSourceHtmlFile;
  if (type == "doc") return kSourceDocFile;
  if (type == "blank") return kSourceBlankDoc;
  return std::nullopt;
}

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::equivalent(fs::path(a), fs::path(b), error)) return true;
  return fs::weakly_canonical(fs::path(a), error) == fs::weakly_canonical(fs::path(b), error);
}

// Works out what each SOURCE becomes; a usage error leaves reason set.
std::vector<BuildJob> planJobs(const ParsedArgs& parsed, std::optional<int> type,
                               std::string& reason) {
  std::vector<BuildJob> jobs;
  const auto& sources = parsed.operands;
  const bool several = sources.size() > 1;
  const std::string output = parsed.value("output");
  if (type == kSourceBlankDoc) {
    if (!sources.empty())
      reason = "a blank document takes no SOURCE";
    else if (output.empty())
      reason = "a blank document needs -o OUT.pdb";
    else
      jobs.push_back({"", output, parsed.value("name", withoutExtension(fileNameOf(output))),
                      kSourceBlankDoc});
    return jobs;
  }
  if (sources.empty()) {
    reason = "expected a SOURCE file";
    return jobs;
  }
  std::set<std::string> outputs;
  for (const std::string& source : sources) {
    const bool fromInput = source == kStandardInput;
    if (fromInput && several) {
      reason = "standard input cannot be one of several SOURCEs";
      return {};
    }
    const std::string base = fromInput ? "stdin" : withoutExtension(fileNameOf(source));
    BuildJob job{
        source, "", parsed.value("name", base),
        type ? *type : (fromInput ? kSourceTextFile : sourceTypeForPath(source, kSourceTextFile))};
    if (several) {
      job.output = (fs::path(output.empty() ? "." : output) / (base + ".pdb")).string();
    } else {
      job.output = output.empty() ? base + ".pdb" : output;
    }
    if (!fromInput && sameFile(source, job.output)) {
      reason = "'" + job.output + "' would replace its own source; choose another with -o";
      return {};
    }
    if (!outputs.insert(fs::weakly_canonical(fs::path(job.output)).string()).second) {
      reason = "two SOURCEs would both be written to '" + job.output + "'";
      return {};
    }
    jobs.push_back(job);
  }
  return jobs;
}

LoadStatus loadJobSource(WorkText& text, const BuildJob& job, bool strip, bool publicFormat) {
  if (job.source != kStandardInput) {
    return loadBook(text, BookSource{job.sourceType, job.source, strip, publicFormat});
  }
  std::vector<unsigned char> bytes;
  if (!readWholeFile(kStandardInput, bytes)) return LoadStatus::kSourceMissing;
  const LoadStatus loaded =
      loadTextBytes(text, reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (loaded == LoadStatus::kLoaded && strip) stripSingleLineBreaks(text, false);
  return loaded;
}

// The application's conversion, into a scratch file beside the output that is moved into
// place only when the book is complete.
bool buildJob(const BuildJob& job, bool strip, bool publicFormat, bool quiet) {
  const MessageSink sink = standardErrorSink();
  WorkText text;
  const LoadStatus loaded = loadJobSource(text, job, strip, publicFormat);
  if (loaded != LoadStatus::kLoaded) {
    if (job.source == kStandardInput && loaded == LoadStatus::kSourceMissing) {
      printError("cannot read standard input");
    } else if (const auto message = loadFailureMessage(loaded)) {
      tell(sink, *message);
    }
    return false;
  }
  char palmName[40] = {};  // the width of the name field the application keeps
  std::strncpy(palmName, job.name.c_str(), kPdbNameSize);
  ScratchFile scratch(job.output);
  if (scratch.stream() == nullptr) {
    tell(sink, messages::kCannotWriteTemporary);
    return false;
  }
  scratch.closeStream();  // the builder writes it by its path
  std::string output = scratch.path();
  if (makeBook(text, output, palmName, publicFormat) != MakeStatus::kMade) {
    tell(sink, messages::kCannotWriteTemporary);
    if (text.length == 0) printError("'" + job.source + "' gives an empty text");
    return false;
  }
  if (!scratch.commit()) {
    printError("cannot write '" + job.output + "'");
    return false;
  }
  DocSummary summary;
  if (!quiet && summarizeDoc(job.output, summary)) {
    std::cout << job.output << ": \"" << palmName << "\", " << describeDocSummary(summary) << '\n';
  }
  return true;
}

}  // namespace

int runBuildCommand(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  int exitCode = kExitOk;
  if (!parseCommand(kHelp, args, parsed, exitCode)) return exitCode;

  std::optional<int> type;
  if (parsed.has("type")) {
    type = parseType(parsed.value("type"));
    if (!type) return usageError(kHelp, "unknown TYPE '" + parsed.value("type") + "'");
  }
  std::string reason;
  const std::vector<BuildJob> jobs = planJobs(parsed, type, reason);
  if (!reason.empty()) return usageError(kHelp, reason);
  if (jobs.size() > 1 && parsed.has("output")) {
    std::error_code error;
    if (!fs::is_directory(parsed.value("output"), error)) {
      return usageError(kHelp, "with several SOURCEs, OUT must be an existing folder");
    }
  }

  bool allBuilt = true;
  for (const BuildJob& job : jobs) {
    if (!buildJob(job, parsed.has("strip"), parsed.has("public"), parsed.has("quiet"))) {
      if (jobs.size() > 1) printError("no book made from '" + job.source + "'");
      allBuilt = false;
    }
  }
  return allBuilt ? kExitOk : kExitFailure;
}

}  // namespace quillet
