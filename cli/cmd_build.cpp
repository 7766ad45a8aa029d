#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <mutex>
#include <regex>
#include <set>

#include "app/bookmarks.h"
#include "app/conversion.h"
#include "base/atomic_file.h"
#include "base/file_handle.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "base/thread_pool.h"
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/doc_summary.h"
#include "format/doc_builder.h"
#include "format/doc_compressor.h"
#include "platform/system.h"
#include "source/charset.h"
#include "source/line_breaks.h"
#include "source/source_kind.h"

namespace quillet {

namespace {

namespace fs = std::filesystem;

const CommandHelp kHelp{
    "build",
    "SOURCE... [-t TYPE] [-o OUT] [-n NAME] [-s] [--public] [--bookmark REGEX] [-j N] ...",
    "Makes a Palm Doc database from each SOURCE, the way Quillet Maker does, short of the\n"
    "dialogs: the source is loaded (a text file with every line end made one LF and NUL\n"
    "bytes dropped; an HTML page through the HTML converter; an existing Doc through the\n"
    "importer; or a blank page), the line-break rule is applied, and the text is stored\n"
    "in PalmDOC-compressed records of 4096 bytes.\n\n"
    "Characters: by default a text's or a page's charset is found (a byte order mark, a\n"
    "page's <meta charset>, or text that is valid UTF-8; else Windows-1252) and each\n"
    "character is written in the handheld's Windows-1252, with the closest form it has\n"
    "(\"->\" for an arrow, \"...\" for an ellipsis, \"?\" when there is none). What had\n"
    "no exact form is counted, with the first few and their lines, on standard error;\n"
    "--strict makes that a failure. --classic reads the source as Quillet Maker does,\n"
    "its bytes as they are, and -s then joins lines with nothing between them (by\n"
    "default, with a blank).\n\n"
    "TYPE is text, html, doc or blank. By default it follows SOURCE's ending: .txt and\n"
    ".text are text, .htm and .html HTML, .pdb and .prc Doc, anything else text. SOURCE -\n"
    "reads standard input (a text unless -t says otherwise). A blank document needs no\n"
    "SOURCE, only -o.\n\n"
    "OUT is the database to write (default: SOURCE's base name with .pdb, in the current\n"
    "folder); with several SOURCEs it names a folder to write them into. NAME, the book's\n"
    "name on the handheld, defaults to the base name (at most 31 characters are kept, 32\n"
    "with --classic).\n"
    "A database is written under a scratch name and moved into place only when it is\n"
    "complete and every record has been read back and found right; a build never writes\n"
    "over its own source. A damaged Doc given as SOURCE is refused, with what is wrong\n"
    "with it, unless --salvage. Exit code 0 when every book was made, 1 when one failed.\n\n"
    "The records of a book are compressed on several threads at once (-j), and several\n"
    "SOURCEs, when there are at least as many as threads, are built side by side; the\n"
    "books are the same, byte for byte, whatever the number of threads, and each book's\n"
    "messages come out whole, in the order of the SOURCEs. A book or a batch that takes\n"
    "more than a second shows how far it has come on standard error, at a terminal.\n\n"
    "Readers: by default the book carries Quillet Maker's own creator \"Qvlt\", which the\n"
    "Doc readers on the handheld that read any Doc database take, but which the common\n"
    "desktop readers (calibre, for one) refuse. --public writes the public format (creator\n"
    "\"REAd\") that every Doc reader reads.",
    {
        {'t', "type", "TYPE", "the kind of source: text, html, doc or blank"},
        {'o', "output", "OUT", "the database to write (a folder, with several SOURCEs)"},
        {'n', "name", "NAME", "the document's name on the handheld (cut to 31 characters)"},
        {'s', "strip", nullptr, "strip single line breaks (an HTML page always keeps them)"},
        {'\0', "public", nullptr,
         "public Doc format: creator \"REAd\" instead of \"Qvlt\", and plain text from HTML"},
        {'\0', "salvage", nullptr, "take what a damaged Doc SOURCE still gives (with a warning)"},
        {'\0', "no-verify", nullptr, "do not read each record back before it is written"},
        {'j', "jobs", "N", "use N threads (default: one per processor; 1: one thread)"},
        {'\0', "bookmarks", nullptr, "bookmark an HTML page's headings (see --bookmark-levels)"},
        {'\0', "bookmark", "REGEX", "bookmark each line of a text that REGEX finds something in"},
        {'\0', "bookmark-levels", "N-M", "the heading levels to bookmark (default 1-3)"},
        {'\0', "no-bookmarks", nullptr, "drop a Doc SOURCE's bookmarks"},
        kReadingOptions[0],
        kReadingOptions[1],
        kReadingOptions[2],
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
  // Several books all go into one folder, which is resolved once: each book's place in it
  // is then told apart by its name alone.
  std::error_code error;
  const fs::path folder =
      several ? fs::weakly_canonical(fs::path(output.empty() ? "." : output), error) : fs::path();
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
    if (several && !outputs.insert((folder / (base + ".pdb")).string()).second) {
      reason = "two SOURCEs would both be written to '" + job.output + "'";
      return {};
    }
    jobs.push_back(job);
  }
  return jobs;
}

struct BuildChoices {
  bool strip = false;
  bool publicFormat = false;
  bool salvage = false;
  bool verify = true;
  ThreadPool* pool = nullptr;      // the records' threads; null: one thread
  ProgressLine* progress = nullptr;  // for a book built alone
  std::optional<std::regex> bookmarkLines;  // a text's lines to mark
  bool keepDocBookmarks = true;             // a Doc source's own
  unsigned headingLevels = 0;               // an HTML page's headings to mark (bit N: <HN>)
  ReadingChoices reading;
  std::optional<std::string> name;  // -n, in Windows-1252
};

// The source's text, and what it brings towards the book's bookmarks.
struct LoadedJob {
  WorkText text;
  CharsetReport report;    // the unicode reading's
  std::string title;       // an HTML page's, read in the unicode profile
  std::string storedName;  // a Doc source's database name
  char headingMarker = 0;  // the byte marking headings in the text (0: none)
  std::vector<Bookmark> bookmarks;  // a Doc source's, offsets into `loaded`
  std::string loaded;               // a Doc source's text before the rules, when it has some
};

// The source's text in the working text; false when it failed (told).
bool loadJob(LoadedJob& loadedJob, const BuildJob& job, const BuildChoices& choices,
             const Talk& talk) {
  WorkText& text = loadedJob.text;
  const bool doc = job.sourceType == kSourceDocFile;
  DatabaseInput database;  // a Doc source's bytes, which its text replaces as it is read
  if (doc) {
    if (!database.open(job.source)) return false;
  } else if (job.sourceType != kSourceBlankDoc) {
    if (!readInput(job.source, text)) return false;
  }
  if (job.sourceType != kSourceBlankDoc) {
    const std::size_t read = doc ? database.bytes().size() : text.view().size();
    talk.detail("read " + std::to_string(read) + " bytes from " + inputName(job.source));
  }
  // The start of a Doc source, to say why it is none if it is none.
  const std::string head(reinterpret_cast<const char*>(database.bytes().data()),
                         std::min(database.bytes().size(), kPdbHeaderSize));
  // A Doc source takes the line-break rule once its bookmarks are known, so that they can
  // follow the bytes it drops.
  DocSourceFacts facts;
  SourceReading reading;
  reading.unicode = choices.reading.unicode;
  reading.charset = choices.reading.charset;
  reading.report = &loadedJob.report;
  reading.title = &loadedJob.title;
  reading.headingLevels = choices.headingLevels;
  reading.headingMarker = &loadedJob.headingMarker;
  const LoadStatus loaded =
      doc ? loadDocBytes(text, database.bytes(), &facts, database.release())
          : loadBookInPlace(text,
                            BookSource{job.sourceType, job.source, choices.strip,
                                       choices.publicFormat},
                            nullptr, reading);
  if (doc && !database.readIntact()) return false;
  if (loaded == LoadStatus::kDocNotDoc) {
    printError(describeNotDoc(job.source, head, ImportStatus::kNotDoc));
    return false;
  }
  if (loaded != LoadStatus::kLoaded) {
    printError("not enough memory for the text of " + inputName(job.source));
    return false;
  }
  if (choices.reading.strict && !loadedJob.report.clean()) {
    printError(describeCharsetReport(job.source, loadedJob.report) +
               "; nothing written (--strict)");
    return false;
  }
  if (!doc) return true;
  loadedJob.storedName = std::string(head.substr(0, head.find('\0')).substr(0, kPdbNameSize));
  if (!reportDamage(job.source, facts.damage, static_cast<std::size_t>(text.length),
                    choices.salvage, talk)) {
    return false;
  }
  if (choices.keepDocBookmarks && !facts.bookmarks.empty()) {
    loadedJob.bookmarks = std::move(facts.bookmarks);
    std::stable_sort(loadedJob.bookmarks.begin(), loadedJob.bookmarks.end(),
                     [](const Bookmark& a, const Bookmark& b) { return a.offset < b.offset; });
    loadedJob.loaded = text.view();
  }
  if (choices.strip) stripSingleLineBreaks(text, false, choices.reading.unicode);
  return true;
}

// The name the book carries: -n; in the unicode profile, else an HTML page's title or a
// Doc source's own name; else the file's base name. Cut so that the name field keeps its
// NUL (31 characters), or to 32 in the classic profile.
std::string bookName(const BuildJob& job, const LoadedJob& loaded, const BuildChoices& choices) {
  std::string name = job.name;
  if (choices.name) {
    name = *choices.name;
  } else if (choices.reading.unicode && !loaded.title.empty()) {
    name = loaded.title;
  } else if (choices.reading.unicode && !loaded.storedName.empty()) {
    name = loaded.storedName;
  }
  const std::size_t kept = choices.reading.unicode ? kPdbNameSize - 1 : kPdbNameSize;
  return name.substr(0, std::min(name.size(), kept));
}

// The book's bookmarks: a Doc source's own, moved with the bytes the rules dropped, and
// the lines of the text that the pattern finds.
std::vector<Bookmark> jobBookmarks(LoadedJob& job, const BuildChoices& choices, int sourceType) {
  if (job.headingMarker != 0) {
    const std::vector<std::uint32_t> places = takeMarkers(job.text, job.headingMarker);
    return headingBookmarks(job.text.view(), places);
  }
  std::vector<Bookmark> bookmarks = std::move(job.bookmarks);
  if (!bookmarks.empty() && job.loaded.size() != static_cast<std::size_t>(job.text.length)) {
    std::vector<std::uint32_t> offsets;
    for (const Bookmark& bookmark : bookmarks) offsets.push_back(bookmark.offset);
    offsets = followDeletions(job.loaded, job.text.view(), offsets);
    for (std::size_t k = 0; k < bookmarks.size(); ++k) bookmarks[k].offset = offsets[k];
  }
  if (choices.bookmarkLines && sourceType != kSourceHtmlFile) {
    for (Bookmark& bookmark : bookmarksForLines(job.text.view(), *choices.bookmarkLines)) {
      bookmarks.push_back(std::move(bookmark));
    }
  }
  return bookmarks;
}

// Why writing the database failed, naming it.
std::string buildFailure(const BuildJob& job, const DocBuild& build, int writeError) {
  const std::string output = "'" + job.output + "'";
  switch (build.status) {
    case DocBuildStatus::kEmptyText:
      return inputName(job.source) + " gives an empty text; no book made";
    case DocBuildStatus::kTooManyRecords:
      return inputName(job.source) + " is too long for one book: it needs " +
             std::to_string(build.textRecords) + " records, and a database holds " +
             std::to_string(kPdbMaxRecords - 1) + " (" +
             std::to_string((kPdbMaxRecords - 1) * kDocRecordSize) + " bytes of text)";
    case DocBuildStatus::kTooManyBookmarks:
      return inputName(job.source) + " would need " + std::to_string(build.textRecords) +
             " text records and its bookmarks, more than the " + std::to_string(kPdbMaxRecords) +
             " records a database holds; nothing was written";
    case DocBuildStatus::kVerifyFailed:
      return "record " + std::to_string(build.failedRecord) + " of " + output +
             " did not read back as the text it was made from; nothing was written";
    default:
      return describeWriteFailure(output, writeError);
  }
}

// A name the file system refuses fails before any work is done, with the system's reason.
bool outputNameUsable(const std::string& output) {
  errno = 0;
  if (FileHandle probe = openFile(output.c_str(), "rb"); probe || errno != ENAMETOOLONG) return true;
  printError("cannot create '" + output + "': " + std::strerror(errno));
  return false;
}

// One book: the source read into memory, converted there, and written into a scratch file
// beside the output that is moved into place only when the book is complete.
bool buildJob(const BuildJob& job, const BuildChoices& choices, const Talk& talk) {
  LoadedJob loaded;
  if (!loadJob(loaded, job, choices, talk) || !outputNameUsable(job.output)) return false;
  WorkText& text = loaded.text;
  makeStoredText(text);
  ScratchFile scratch(job.output);
  if (scratch.stream() == nullptr) {
    printError("cannot create '" + job.output + "': " + std::strerror(scratch.error()));
    return false;
  }
  const std::string name = bookName(job, loaded, choices);
  DocOptions options;
  options.name = name;
  options.publicFormat = choices.publicFormat;
  options.verify = choices.verify;
  options.pool = choices.pool;
  if (choices.progress != nullptr) {
    options.progress = [&](std::size_t written, std::size_t total) {
      choices.progress->show(job.source, written, total);
    };
  }
  options.bookmarks = jobBookmarks(loaded, choices, job.sourceType);
  talk.detail(std::to_string(options.bookmarks.size()) + " bookmarks");
  FileDocSink sink(scratch.stream());
  const DocBuild build = writeDoc(text.view(), options, sink);
  const bool flushed = sink.flush();
  if (build.status != DocBuildStatus::kBuilt || !flushed || !scratch.commit()) {
    const int error = sink.error() != 0 ? sink.error() : scratch.error();
    printError(buildFailure(job, build, error));
    return false;
  }
  talk.detail("wrote " + std::to_string(build.textRecords) + " text records" +
              (choices.verify ? ", each read back and found right" : ""));
  if (choices.progress != nullptr) choices.progress->clear();
  if (!talk.quiet) {
    printOutput(job.output + ": \"" + name + "\", " + describeDocSummary(build) + '\n');
    if (choices.reading.unicode && job.sourceType != kSourceBlankDoc &&
        job.sourceType != kSourceDocFile) {
      talk.info(describeCharsetReport(job.source, loaded.report));
    }
  }
  return true;
}

// --bookmark-levels N-M as bits 1 to 6; 1-3 when not given.
std::optional<unsigned> parseLevels(const ParsedArgs& parsed) {
  const std::string value = parsed.value("bookmark-levels", "1-3");
  const bool range = value.size() == 3 && value[1] == '-';
  if ((value.size() != 1 && !range) || value[0] < '1' || value[0] > '6') return std::nullopt;
  const char last = range ? value[2] : value[0];
  if (last < value[0] || last > '6') return std::nullopt;
  unsigned bits = 0;
  for (char level = value[0]; level <= last; ++level) bits |= 1u << (level - '0');
  return bits;
}

// -n NAME: in the unicode profile the name arrives as text (UTF-8 from a terminal, read as
// Unicode on Windows) and is written in Windows-1252 like the book's text; in the classic
// profile its bytes are taken as they are.
std::string nameGiven(const ParsedArgs& parsed, bool unicode) {
  std::string name = parsed.value("name");
  if (!unicode) return name;
  // The same words read as Unicode, for the value of the last -n.
  std::vector<std::string> words = utf8Arguments();
  if (words.size() > 2) {
    ParsedArgs again;
    std::string error;
    if (parseArgs(std::vector<std::string>(words.begin() + 2, words.end()), commandOptions(kHelp),
                  again, error) &&
        again.has("name")) {
      name = again.value("name");
    }
  }
  CharsetReport ignored;
  return readAsWindows1252(name, std::nullopt, /*html=*/false, ignored);
}

// --bookmark REGEX, in ECMAScript's syntax; a pattern that does not compile is a usage
// error that names it.
std::optional<std::regex> parseBookmarkPattern(const ParsedArgs& parsed, std::string& error) {
  if (!parsed.has("bookmark")) return std::nullopt;
  const std::string pattern = parsed.value("bookmark");
  try {
    return std::regex(pattern, std::regex::ECMAScript);
  } catch (const std::regex_error& bad) {
    error = "bad --bookmark pattern '" + pattern + "': " + bad.what();
    return std::nullopt;
  }
}

std::optional<unsigned> parseThreads(const ParsedArgs& parsed) {
  if (!parsed.has("jobs")) return hardwareThreads();
  const std::string value = parsed.value("jobs");
  if (value.empty() || value.size() > 3 ||
      value.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  const unsigned threads = static_cast<unsigned>(std::stoul(value));
  if (threads < 1 || threads > 256) return std::nullopt;
  return threads;
}

bool reportJob(const BuildJob& job, bool built, std::size_t jobCount) {
  if (!built && jobCount > 1) printError("no book made from " + inputName(job.source));
  return built;
}

// Few books: one after the other, each book's records on every thread.
bool buildOneByOne(const std::vector<BuildJob>& jobs, BuildChoices choices, const Talk& talk,
                   ThreadPool& pool, ProgressLine& progress) {
  choices.pool = &pool;
  if (jobs.size() == 1) choices.progress = &progress;
  bool allBuilt = true;
  for (std::size_t k = 0; k < jobs.size(); ++k) {
    allBuilt = reportJob(jobs[k], buildJob(jobs[k], choices, talk), jobs.size()) && allBuilt;
    if (jobs.size() > 1) progress.show("books", k + 1, jobs.size());
  }
  return allBuilt;
}

// Many books: several at once, each on one thread. Each book's output and messages are
// kept until the books before it are done, then printed whole.
bool buildSideBySide(const std::vector<BuildJob>& jobs, const BuildChoices& choices,
                     const Talk& talk, ThreadPool& pool, ProgressLine& progress) {
  struct Told {
    std::string output;
    std::string errors;
    bool built = false;
    bool done = false;
  };
  std::vector<Told> told(jobs.size());
  std::mutex printing;
  std::size_t printed = 0;
  pool.parallelFor(jobs.size(), [&](std::size_t k) {
    {
      const CapturedStreams captured(told[k].output, told[k].errors);
      told[k].built = reportJob(jobs[k], buildJob(jobs[k], choices, talk), jobs.size());
    }
    const std::lock_guard<std::mutex> guard(printing);
    told[k].done = true;
    for (; printed < jobs.size() && told[printed].done; ++printed) {
      progress.clear();
      writeStandardOutput(told[printed].output);
      std::fflush(stdout);
      writeStandardError(told[printed].errors);
    }
    progress.show("books", printed, jobs.size());
  });
  return std::all_of(told.begin(), told.end(), [](const Told& t) { return t.built; });
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

  std::string bookmarkError;
  const std::optional<std::regex> bookmarkLines = parseBookmarkPattern(parsed, bookmarkError);
  if (!bookmarkError.empty()) return usageError(kHelp, bookmarkError);
  const std::optional<unsigned> threads = parseThreads(parsed);
  if (!threads) return usageError(kHelp, "-j takes a number of threads from 1 to 256");
  BuildChoices choices;
  choices.strip = parsed.has("strip");
  choices.publicFormat = parsed.has("public");
  choices.salvage = parsed.has("salvage");
  choices.verify = !parsed.has("no-verify");
  choices.bookmarkLines = bookmarkLines;
  choices.keepDocBookmarks = !parsed.has("no-bookmarks");
  std::string readingError;
  choices.reading = readingChoices(parsed, readingError);
  if (!readingError.empty()) return usageError(kHelp, readingError);
  const std::optional<unsigned> levels = parseLevels(parsed);
  if (!levels) return usageError(kHelp, "--bookmark-levels takes N or N-M, from 1 to 6");
  if (parsed.has("bookmarks") || parsed.has("bookmark")) choices.headingLevels = *levels;
  if (parsed.has("name")) choices.name = nameGiven(parsed, choices.reading.unicode);
  const Talk talk(parsed);
  ThreadPool pool(*threads);
  ProgressLine progress(talk);
  const bool allBuilt = jobs.size() >= pool.threads() && pool.threads() > 1
                            ? buildSideBySide(jobs, choices, talk, pool, progress)
                            : buildOneByOne(jobs, choices, talk, pool, progress);
  return allBuilt ? kExitOk : kExitFailure;
}

}  // namespace quillet
