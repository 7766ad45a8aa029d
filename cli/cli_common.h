#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/atomic_file.h"
#include "base/message_sink.h"
#include "cli/args.h"
#include "format/doc_importer.h"
#include "platform/mapped_file.h"
#include "source/charset.h"
#include "source/work_text.h"

namespace quillet {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// What one subcommand says about itself for --help and usage errors.
struct CommandHelp {
  const char* name;                 // "build"
  const char* synopsis;             // "SOURCE [-o OUT.pdb] [-n NAME] [--public]"
  const char* description;          // paragraphs shown under the synopsis
  std::vector<OptionSpec> options;  // -q, -v and --help are added by parseCommand
};

// A command's options with those every command takes (-q, -v, -h).
std::vector<OptionSpec> commandOptions(const CommandHelp& help);

// Parses a subcommand's words; every command also takes -q/--quiet, -v/--verbose and
// -h/--help. Returns true when the command should run; otherwise exitCode says how to
// end: 0 after --help, 2 after a usage error (already reported).
bool parseCommand(const CommandHelp& help, const std::vector<std::string>& args, ParsedArgs& parsed,
                  int& exitCode);

// Reports a usage error for the command and returns kExitUsage.
int usageError(const CommandHelp& help, const std::string& reason);

// How much a command says besides its output and its errors.
struct Talk {
  bool quiet = false;    // -q: nothing but the output and the errors
  bool verbose = false;  // -v: what is being done, step by step, on standard error
  explicit Talk(const ParsedArgs& parsed)
      : quiet(parsed.has("quiet")), verbose(parsed.has("verbose") && !parsed.has("quiet")) {}
  // Prints "quillet: " and the line on standard error unless quiet (info) or unless not
  // verbose (detail).
  void info(const std::string& line) const;
  void detail(const std::string& line) const;
};

// The current thread's output and messages: to standard output and error, or, for a book
// built beside others, into strings of its own, so that its lines come out whole. Written
// through stdio rather than iostreams, whose set-up costs every run a fair share of a
// short command's time.
void printOutput(std::string_view text);
void printMessages(std::string_view text);
// Writes text straight to standard output or error, whatever the thread captures.
void writeStandardOutput(std::string_view text);
void writeStandardError(std::string_view text);
class CapturedStreams {
 public:
  CapturedStreams(std::string& output, std::string& errors);
  ~CapturedStreams();
  CapturedStreams(const CapturedStreams&) = delete;
  CapturedStreams& operator=(const CapturedStreams&) = delete;
};

// A line on standard error that says how far a long job has come, kept up to date in
// place; shown only to a person at a terminal, only once the job has taken a second, and
// never with -q.
class ProgressLine {
 public:
  explicit ProgressLine(const Talk& talk);
  ~ProgressLine() { clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;
  void show(const std::string& what, std::size_t done, std::size_t total);
  void clear();

 private:
  bool enabled_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_;
};

// Prints "CAPTION: TEXT" on standard error (without the text's trailing line breaks).
MessageSink standardErrorSink();

// Prints "quillet: " and the message on standard error.
void printError(const std::string& message);

// 'path' in quotes, or "standard input" for "-".
std::string inputName(const std::string& path);

// Reads a whole input, a file or standard input ("-"), into the working text as it is.
// On failure it has told why, naming the input: "cannot open 'x': No such file or
// directory", "'d' is a folder", "cannot read 'x': ...".
bool readInput(const std::string& path, WorkText& bytes);

// The bytes of a database, read once from front to back: a file's mapped, its pages let
// go as the reading passes them (release()), so that a large book is not held twice;
// standard input and other streams read whole.
class DatabaseInput {
 public:
  // False when it cannot be read; readInput has then told why.
  bool open(const std::string& path);
  std::span<const unsigned char> bytes() const;
  // For importDocBytes: gives back the memory of what has been read.
  std::function<void(std::size_t)> release();
  // False, having told so, when another program cut the file short while it was read:
  // what was read is not the file that was opened, and nothing should be made of it.
  bool readIntact() const;

 private:
  std::string path_;
  WorkText read_;
  MappedFile file_;
  bool mapped_ = false;
};

// True when the two paths name one file (also through links); false when either is
// standard input or does not exist yet.
bool sameFile(const std::string& a, const std::string& b);

// Where a command's output goes: standard output ("" or "-"), every write and the final
// flush checked; or a file, written under a scratch name beside it and moved into place
// only when complete, so that a failed run leaves the file as it was. Failures are told,
// naming the file and the reason, once.
class CommandOutput {
 public:
  explicit CommandOutput(std::string path);
  bool toStandardOutput() const { return path_.empty() || path_ == "-"; }
  // Makes the scratch file; false (told) when it cannot.
  bool open();
  // open without telling: false when the scratch file cannot be made; a later open then
  // tells why.
  bool openQuietly();
  std::FILE* stream() const;
  bool write(std::string_view bytes);
  // Flushes standard output, or moves the file into place. False (told) on failure.
  bool finish();
  // A write through stream() by other means failed with errno `error`: told, the scratch
  // file removed. Returns false.
  bool fail(int error);

 private:
  std::string path_;
  std::unique_ptr<ScratchFile> scratch_;
  bool failed_ = false;
};

// Why the bytes of `path` are no Doc that can be imported: "'x' is not a Palm Doc: its
// type is "Data", not "TEXt"", and the like.
std::string describeNotDoc(const std::string& path, std::string_view bytes, ImportStatus status);

// The reading profile of build and html: unicode by default, or --classic; --charset NAME
// and --strict. A usage error leaves `error` set.
struct ReadingChoices {
  bool unicode = true;
  std::optional<Charset> charset;
  bool strict = false;
};
ReadingChoices readingChoices(const ParsedArgs& parsed, std::string& error);
extern const OptionSpec kReadingOptions[3];

// What the unicode reading found, for standard error: "'x.txt' read as UTF-8 (found in the
// content); 3 characters have no form on the handheld: U+4E2D '中' line 12 (as '?'), ...".
std::string describeCharsetReport(const std::string& source, const CharsetReport& report);

// What is wrong with a damaged database, one line per problem: "record 3 starts at offset
// 99999, past the end of the file (5000 bytes)".
std::string describeDamage(const DocDamage& damage);

// Tells what is wrong with the database at `path` (nothing for a sound one) and how many
// bytes of text were recovered. Returns whether the command may go on with that text:
// always for a sound database, with a damaged one only when salvaging.
bool reportDamage(const std::string& path, const std::vector<DocDamage>& damage,
                  std::size_t recovered, bool salvage, const Talk& talk);

}  // namespace quillet
