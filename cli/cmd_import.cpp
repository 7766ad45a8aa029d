#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/cli_common.h"
#include "cli/commands.h"
#include "base/file_io.h"
#include "format/doc_importer.h"
#include "source/charset.h"

namespace quillet {

namespace {

const CommandHelp kHelp{
    "import",
    "DOC.pdb [-o OUT.txt] [--to utf-8] [--salvage] [--bookmarks [--bookmarks-file FILE]]",
    "Reads a Palm Doc database (type TEXt, any creator) back into text and writes it, byte\n"
    "for byte, to OUT or to standard output. Line ends stay as stored (LF). The text ends\n"
    "at its first NUL byte, as it does when Quillet Maker takes a Doc as its source. DOC\n"
    "may be - for standard input. --to utf-8 writes the text in UTF-8 (the handheld's\n"
    "Windows-1252 decoded), to read a book back on a system of today.\n\n"
    "A damaged database (cut short, offsets or counts out of range, records that do not\n"
    "decode to their size) is reported, record by record, and nothing is written, unless\n"
    "--salvage: then the text that could be recovered is written, with the warning. OUT is\n"
    "replaced only when the whole text has been written, and never when it is DOC itself.",
    {
        {'o', "output", "OUT.txt", "write the text here instead of standard output"},
        {'\0', "salvage", nullptr, "write what a damaged database still gives (with a warning)"},
        {'\0', "bookmarks", nullptr, "list the bookmarks, \"offset<TAB>name\" a line, on standard error"},
        {'\0', "bookmarks-file", "FILE", "list the bookmarks in FILE instead (implies --bookmarks)"},
        {'\0', "to", "CHARSET", "write the text as utf-8 (Windows-1252 decoded) instead of its bytes"},
    }};

// The text, up to its first NUL, written to the output's scratch file as the importer makes
// it. The first failed write is kept, to be told once the database has been judged: a
// damaged database is reported as such whether or not its text could have been written.
class StreamedText {
 public:
  explicit StreamedText(std::FILE* stream) : stream_(stream) {}
  void take(const unsigned char* bytes, std::size_t size) {
    if (ended_) return;
    if (const void* nul = std::memchr(bytes, 0, size)) {
      size = static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - bytes);
      ended_ = true;
    }
    length_ += size;
    if (error_ == 0 && size > 0 && !writeToFile(stream_, bytes, size)) {
      error_ = errno != 0 ? errno : EIO;
    }
  }
  std::size_t length() const { return length_; }
  int error() const { return error_; }

 private:
  std::FILE* stream_;
  std::size_t length_ = 0;
  bool ended_ = false;
  int error_ = 0;
};

}  // namespace

int runImportCommand(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  int exitCode = kExitOk;
  if (!parseCommand(kHelp, args, parsed, exitCode)) return exitCode;
  if (parsed.operands.size() != 1) return usageError(kHelp, "expected one DOC.pdb file");
  const std::string& source = parsed.operands[0];
  const std::string output = parsed.value("output");
  for (const std::string& written : {output, parsed.value("bookmarks-file")}) {
    if (sameFile(source, written)) {
      return usageError(kHelp, "'" + written + "' would replace its own source; choose another");
    }
  }
  const Talk talk(parsed);
  const std::string to = parsed.value("to", "windows-1252");
  const std::optional<Charset> charset = charsetNamed(to);
  if (!charset || (*charset != Charset::kUtf8 && *charset != Charset::kWindows1252)) {
    return usageError(kHelp, "--to takes utf-8 (or windows-1252, the stored bytes)");
  }

  DatabaseInput input;
  if (!input.open(source)) return kExitFailure;
  // A text for a file goes into it as it is made, so that a book is never held whole;
  // standard output, which cannot take back what a damaged database gave, gets the text
  // once it has been judged, and so does a file that cannot be made yet (told below).
  CommandOutput out(output);
  const bool streamed =
      *charset == Charset::kWindows1252 && !out.toStandardOutput() && out.openQuietly();
  // The text comes in window-sized pieces, each best written at once: a buffer would only
  // split every piece into two writes.
  if (streamed) std::setvbuf(out.stream(), nullptr, _IONBF, 0);
  StreamedText stream(out.stream());
  const ImportedDoc doc =
      streamed ? importDocBytesTo(input.bytes(),
                                  [&](const unsigned char* bytes, std::size_t size) {
                                    stream.take(bytes, size);
                                  },
                                  input.release())
               : importDocBytes(input.bytes(), input.release());
  if (!input.readIntact()) return kExitFailure;
  if (doc.status != ImportStatus::kImported) {
    const std::span<const unsigned char> file = input.bytes();
    printError(describeNotDoc(
        source, std::string_view(reinterpret_cast<const char*>(file.data()), file.size()),
        doc.status));
    return kExitFailure;
  }
  const std::size_t length = streamed ? stream.length() : std::strlen(doc.text.get());
  if (!reportDamage(source, doc.damage, length, parsed.has("salvage"), talk)) {
    return kExitFailure;
  }
  talk.detail(std::to_string(length) + " bytes of text read from " + inputName(source));
  bool written = false;
  if (streamed) {
    written = stream.error() == 0 ? out.finish() : out.fail(stream.error());
  } else {
    const std::string_view text(doc.text.get(), length);
    const std::string utf8 = *charset == Charset::kUtf8 ? windows1252ToUtf8(text) : std::string();
    written = out.open() &&
              out.write(*charset == Charset::kUtf8 ? std::string_view(utf8) : text) &&
              out.finish();
  }
  if (!written) return kExitFailure;
  if (!parsed.has("bookmarks") && !parsed.has("bookmarks-file")) return kExitOk;
  std::string list;
  for (const Bookmark& bookmark : doc.bookmarks) {
    list += std::to_string(bookmark.offset) + "\t" + bookmark.name + "\n";
  }
  const std::string listFile = parsed.value("bookmarks-file");
  if (listFile.empty()) {
    printMessages(list);
    return kExitOk;
  }
  CommandOutput bookmarks(listFile);
  return bookmarks.open() && bookmarks.write(list) && bookmarks.finish() ? kExitOk : kExitFailure;
}

}  // namespace quillet
