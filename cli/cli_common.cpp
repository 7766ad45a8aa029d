#include "cli/cli_common.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "base/file_handle.h"
#include "base/file_io.h"
#include "platform/console.h"

namespace quillet {

namespace {

namespace fs = std::filesystem;

std::string trimLineBreaks(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  return std::string(text);
}

const OptionSpec kCommonOptions[] = {
    {'q', "quiet", nullptr, "print nothing but the output and errors"},
    {'v', "verbose", nullptr, "tell on standard error what is being done"},
    {'h', "help", nullptr, "show this help and exit"},
};

constexpr std::size_t kReadBlock = 1 << 16;
constexpr std::size_t kShownDamage = 8;  // problems listed before "and N more"

// Reads the rest of a stream into a malloc'd block that grows as needed.
bool readStream(std::FILE* file, WorkText& bytes, std::size_t expected) {
  // Room for the whole file and one more block, so that the read that finds its end
  // needs no larger block.
  std::size_t capacity = expected + kReadBlock;
  HeapText block = allocateText(capacity + 1);
  std::size_t length = 0;
  while (block) {
    if (capacity - length < kReadBlock) {
      capacity *= 2;
      char* grown = static_cast<char*>(std::realloc(block.get(), capacity + 1));
      if (grown == nullptr) break;
      static_cast<void>(block.release());
      block.reset(grown);
    }
    const std::size_t got = std::fread(block.get() + length, 1, capacity - length, file);
    length += got;
    if (got == 0) {
      if (std::ferror(file)) return false;
      bytes.buffer = std::move(block);
      setWorkTextLength(bytes, length);
      return true;
    }
  }
  errno = ENOMEM;
  return false;
}

}  // namespace

std::vector<OptionSpec> commandOptions(const CommandHelp& help) {
  std::vector<OptionSpec> specs = help.options;
  specs.insert(specs.end(), std::begin(kCommonOptions), std::end(kCommonOptions));
  return specs;
}

bool parseCommand(const CommandHelp& help, const std::vector<std::string>& args, ParsedArgs& parsed,
                  int& exitCode) {
  const std::vector<OptionSpec> specs = commandOptions(help);
  std::string error;
  if (!parseArgs(args, specs, parsed, error)) {
    exitCode = usageError(help, error);
    return false;
  }
  if (parsed.has("help")) {
    writeStandardOutput("Usage: quillet " + std::string(help.name) + ' ' + help.synopsis +
                        "\n\n" + help.description + "\n\nOptions:\n" + describeOptions(specs));
    exitCode = kExitOk;
    return false;
  }
  return true;
}

int usageError(const CommandHelp& help, const std::string& reason) {
  const std::string name = help.name;
  writeStandardError("quillet " + name + ": " + reason + "\nUsage: quillet " + name + ' ' +
                     help.synopsis + "\nTry 'quillet " + name + " --help' for more information.\n");
  return kExitUsage;
}

namespace {
thread_local std::string* tOutput = nullptr;
thread_local std::string* tErrors = nullptr;
}  // namespace

// A failed write to a console is not reported: there is nowhere left to report it.
void writeStandardOutput(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }
void writeStandardError(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); }

void printOutput(std::string_view text) {
  if (tOutput != nullptr) {
    tOutput->append(text);
  } else {
    writeStandardOutput(text);
  }
}

void printMessages(std::string_view text) {
  if (tErrors != nullptr) {
    tErrors->append(text);
  } else {
    writeStandardError(text);
  }
}

CapturedStreams::CapturedStreams(std::string& output, std::string& errors) {
  tOutput = &output;
  tErrors = &errors;
}

CapturedStreams::~CapturedStreams() {
  tOutput = nullptr;
  tErrors = nullptr;
}

ProgressLine::ProgressLine(const Talk& talk)
    : enabled_(!talk.quiet && standardErrorIsTerminal()),
      start_(std::chrono::steady_clock::now()) {}

void ProgressLine::show(const std::string& what, std::size_t done, std::size_t total) {
  if (!enabled_ || total == 0) return;
  if (!shown_ && std::chrono::steady_clock::now() - start_ < std::chrono::seconds(1)) return;
  writeStandardError("\rquillet: " + what + ": " + std::to_string(done * 100 / total) + "% (" +
                     std::to_string(done) + " of " + std::to_string(total) + ")  ");
  shown_ = true;
}

void ProgressLine::clear() {
  if (shown_) writeStandardError("\r\033[K");
  shown_ = false;
}

void Talk::info(const std::string& line) const {
  if (!quiet) printMessages("quillet: " + line + '\n');
}

void Talk::detail(const std::string& line) const {
  if (verbose) printMessages("quillet: " + line + '\n');
}

MessageSink standardErrorSink() {
  return [](std::string_view caption, std::string_view text) {
    writeStandardError(std::string(caption) + ": " + trimLineBreaks(text) + '\n');
  };
}

void printError(const std::string& message) { printMessages("quillet: " + message + '\n'); }

std::string inputName(const std::string& path) {
  return path == "-" ? "standard input" : "'" + path + "'";
}

bool readInput(const std::string& path, WorkText& bytes) {
  if (path == "-") {
    if (readStream(stdin, bytes, 0)) return true;
    printError("cannot read standard input: " + std::string(std::strerror(errno)));
    return false;
  }
  std::error_code error;
  if (fs::is_directory(path, error)) {
    printError(inputName(path) + " is a folder");
    return false;
  }
  FileHandle file = openFile(path.c_str(), "rb");
  if (!file) {
    printError("cannot open " + inputName(path) + ": " + std::strerror(errno));
    return false;
  }
  const long size = measureFile(file.get());
  if (readStream(file.get(), bytes, size > 0 ? static_cast<std::size_t>(size) : 0)) return true;
  printError("cannot read " + inputName(path) + ": " + std::strerror(errno));
  return false;
}

bool DatabaseInput::open(const std::string& path) {
  path_ = path;
  std::error_code error;
  mapped_ = path != "-" && fs::is_regular_file(path, error) && file_.open(path.c_str());
  return mapped_ || readInput(path, read_);
}

std::span<const unsigned char> DatabaseInput::bytes() const {
  if (mapped_) return file_.bytes();
  const std::string_view bytes = read_.view();
  return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

std::function<void(std::size_t)> DatabaseInput::release() {
  if (!mapped_) return nullptr;
  return [this](std::size_t offset) { file_.releaseBefore(offset); };
}

bool DatabaseInput::readIntact() const {
  if (!mapped_ || !file_.cutWhileRead()) return true;
  printError(inputName(path_) + " was cut short by another program while it was read; " +
             "nothing was made of it");
  return false;
}

bool sameFile(const std::string& a, const std::string& b) {
  if (a == "-" || b == "-" || a.empty() || b.empty()) return false;
  std::error_code error;
  // Unless neither can be found, fs::equivalent tells (a file that exists is never one that
  // does not); only then are the two paths resolved and compared.
  const bool same = fs::equivalent(fs::path(a), fs::path(b), error);
  if (!error) return same;
  return fs::weakly_canonical(fs::path(a), error) == fs::weakly_canonical(fs::path(b), error);
}

CommandOutput::CommandOutput(std::string path) : path_(std::move(path)) {}

// Made once: open after a quiet attempt tells that attempt's outcome.
bool CommandOutput::openQuietly() {
  if (toStandardOutput()) return true;
  if (!scratch_) scratch_ = std::make_unique<ScratchFile>(path_);
  return scratch_->stream() != nullptr;
}

bool CommandOutput::open() {
  if (openQuietly()) return true;
  printError("cannot create '" + path_ + "': " + std::strerror(scratch_->error()));
  failed_ = true;
  return false;
}

std::FILE* CommandOutput::stream() const {
  return toStandardOutput() ? stdout : scratch_ ? scratch_->stream() : nullptr;
}

bool CommandOutput::fail(int error) {
  if (!failed_) {
    printError(describeWriteFailure(toStandardOutput() ? "standard output" : "'" + path_ + "'",
                                    error));
  }
  failed_ = true;
  if (scratch_) scratch_->discard();
  return false;
}

bool CommandOutput::write(std::string_view bytes) {
  if (failed_ || stream() == nullptr) return false;
  return writeToFile(stream(), bytes.data(), bytes.size()) || fail(errno);
}

bool CommandOutput::finish() {
  if (failed_) return false;
  if (toStandardOutput()) return flushFile(stdout) || fail(errno);
  if (scratch_->commit()) return true;
  return fail(scratch_->error());
}

const OptionSpec kReadingOptions[3] = {
    {'\0', "classic", nullptr,
     "read the source as Quillet Maker does: its bytes as they are, its 57 entities"},
    {'\0', "charset", "NAME", "the source's charset: utf-8, utf-16, utf-16le, utf-16be, "
                                  "windows-1252, iso-8859-1 (default: found)"},
    {'\0', "strict", nullptr, "fail, writing nothing, when a character has no form on the handheld"},
};

ReadingChoices readingChoices(const ParsedArgs& parsed, std::string& error) {
  ReadingChoices choices;
  choices.unicode = !parsed.has("classic");
  choices.strict = parsed.has("strict");
  if (parsed.has("charset")) {
    choices.charset = charsetNamed(parsed.value("charset"));
    if (!choices.charset) error = "unknown charset '" + parsed.value("charset") + "'";
  }
  if (!choices.unicode && (choices.charset || choices.strict)) {
    error = "--classic takes the bytes as they are: no --charset or --strict with it";
  }
  return choices;
}

namespace {

std::string codePointText(char32_t cp) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(cp));
  return hex;
}

// The character itself, in UTF-8, for a terminal.
std::string utf8Of(char32_t cp) {
  std::string out;
  appendUtf8(out, cp);
  return out;
}

// A control character is named by its code alone: its byte would act on the terminal.
std::string characterText(char32_t cp) {
  const bool control = cp < 0x20 || (cp >= 0x7F && cp < 0xA0);
  return codePointText(cp) + (control ? "" : " '" + utf8Of(cp) + "'");
}

// An invalid reference is shown as written; invalid bytes in hexadecimal, since they are
// no text a terminal could show.
std::string invalidText(const std::string& original) {
  if (original.empty()) return "an invalid sequence";
  const bool printable = std::all_of(original.begin(), original.end(),
                                     [](char c) { return c >= 0x20 && c < 0x7F; });
  if (printable) return "an invalid '" + original + "'";
  std::string text = "an invalid sequence";
  for (const char c : original) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", static_cast<unsigned char>(c));
    text += hex;
  }
  return text;
}

}  // namespace

std::string describeCharsetReport(const std::string& source, const CharsetReport& report) {
  std::string text = inputName(source) + " read as " + charsetName(report.found.charset) + " (" +
                     charsetSourceName(report.found.source) + ")";
  if (!report.found.unsupported.empty()) {
    text += "; its meta names " + report.found.unsupported + ", which is not read";
  }
  const std::size_t count = report.replaced + report.invalid;
  if (count == 0) return text;
  text += "; " + std::to_string(count) + (count == 1 ? " character has" : " characters have") +
          " no form on the handheld: ";
  for (std::size_t i = 0; i < report.first.size(); ++i) {
    const CharsetReplacement& r = report.first[i];
    if (i > 0) text += ", ";
    text += r.invalid ? invalidText(r.original) : characterText(r.codePoint);
    text += " line " + std::to_string(r.line);
    text += r.written.empty() ? " (dropped)" : " (as '" + windows1252ToUtf8(r.written) + "')";
  }
  if (count > report.first.size()) text += ", ...";
  return text;
}

std::string describeNotDoc(const std::string& path, std::string_view bytes, ImportStatus status) {
  const std::string name = inputName(path);
  constexpr std::size_t kTypeAt = 60;
  if (status == ImportStatus::kNoMemory) return "not enough memory for the text of " + name;
  if (bytes.size() < kTypeAt + 4) {
    return name + " is too short to be a Palm database (" + std::to_string(bytes.size()) +
           " bytes)";
  }
  std::string type;
  for (const char c : bytes.substr(kTypeAt, 4)) {
    type += c >= 0x20 && c < 0x7F ? std::string(1, c) : "?";
  }
  if (bytes.substr(kTypeAt, 4) != kDocType) {
    return name + " is not a Palm Doc: its type is \"" + type + "\", not \"" + kDocType + "\"";
  }
  return name + " is not a Palm Doc: it has no record 0 inside the file";
}

std::string describeDamage(const DocDamage& d) {
  const std::string record = "record " + std::to_string(d.record);
  const std::string value = std::to_string(d.value);
  const std::string limit = std::to_string(d.limit);
  switch (d.kind) {
    case DocDamageKind::kRecordListCut:
      return "the list of " + value + " records runs past the end of the file (" + limit +
             " bytes)";
    case DocDamageKind::kRecordPastEnd:
      return record + " starts at offset " + value + ", past the end of the file (" + limit +
             " bytes)";
    case DocDamageKind::kRecordsOutOfOrder:
      return record + " starts at offset " + value + ", before the record before it (" + limit +
             ")";
    case DocDamageKind::kHeaderRecordShort:
      return "record 0 holds " + value + " bytes, not 16";
    case DocDamageKind::kTextRecordsMissing:
      return "record 0 counts " + value + " text records, but the database holds " + limit;
    case DocDamageKind::kUnknownCompression:
      return "record 0 gives compression " + value + ", which is neither 1 nor 2";
    case DocDamageKind::kRecordLength:
      return record + " gives " + value + " bytes of text, not " + limit;
    case DocDamageKind::kReferenceBeforeText:
      return record + " refers back before the start of the text";
    case DocDamageKind::kCodeCut:
      return record + " ends inside a code";
    case DocDamageKind::kTextTooLong:
      return "the text runs past the " + limit + " bytes that record 0 counts; the rest is cut";
    case DocDamageKind::kTextLength:
      return "record 0 gives a text of " + limit + " bytes, but " + value + " bytes were read";
  }
  return "unknown damage";
}

bool reportDamage(const std::string& path, const std::vector<DocDamage>& damage,
                  std::size_t recovered, bool salvage, const Talk& talk) {
  if (damage.empty()) return true;
  if (salvage && talk.quiet) return true;
  std::string report = inputName(path) + " is damaged:";
  for (std::size_t i = 0; i < damage.size() && i < kShownDamage; ++i) {
    report += "\n  " + describeDamage(damage[i]);
  }
  if (damage.size() > kShownDamage) {
    report += "\n  and " + std::to_string(damage.size() - kShownDamage) + " more";
  }
  report += "\nquillet: " + std::to_string(recovered) + " bytes of text recovered";
  report += salvage ? ", taken as they are (--salvage)"
                    : "; nothing written (--salvage takes what was recovered)";
  printError(report);
  return salvage;
}

}  // namespace quillet
