#include "source/source_loading.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <span>

#include "base/bytes.h"
#include "base/file_handle.h"
#include "format/doc_importer.h"
#include "format/text_mode.h"
#include "platform/clipboard.h"
#include "platform/temp_files.h"
#include "source/html_converter.h"
#include "source/line_breaks.h"
#include "source/source_kind.h"

namespace quillet {

namespace {

// Reads a whole open file into a fresh working text block. False when the block cannot
// be had (no text is left then).
bool readIntoWorkText(WorkText& text, std::FILE* file) {
  const long size = measureFile(file);
  if (size < 0 || !allocateWorkText(text, static_cast<std::size_t>(size))) {
    releaseWorkText(text);
    return false;
  }
  const std::size_t got = std::fread(text.buffer.get(), 1, static_cast<std::size_t>(size), file);
  setWorkTextLength(text, got);
  return true;
}

bool writeBytes(const std::string& path, std::string_view bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fclose(file) == 0 && ok;
  return ok;
}

// A Doc's text taken as the working text: up to its first NUL, which a Doc stored
// uncompressed may hold.
LoadStatus takeImportedText(WorkText& text, ImportedDoc doc) {
  switch (doc.status) {
    case ImportStatus::kImported:
      break;
    case ImportStatus::kCannotOpen:
      return LoadStatus::kDocCannotOpen;
    case ImportStatus::kNotDoc:
      return LoadStatus::kDocNotDoc;
    case ImportStatus::kNoMemory:
      return LoadStatus::kDocNoMemory;
  }
  text.length = static_cast<std::int32_t>(std::strlen(doc.text.get()));
  text.buffer = std::move(doc.text);
  return LoadStatus::kLoaded;
}

// A control byte that no rule of the text looks at (not NUL, LF, CR or 0x1A) and that the
// text does not hold; 0 when it holds them all.
char unusedControlByte(std::string_view text) {
  bool used[32] = {};
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 32) used[static_cast<unsigned char>(c)] = true;
  }
  for (unsigned char c = 1; c < 32; ++c) {
    if (!used[c] && c != '\n' && c != '\r' && c != 0x1A) return static_cast<char>(c);
  }
  return '\0';
}

// A byte 0x1A ends a text read in text mode, so a book made the classic way stops at the
// first one. Read as characters, it is a control character a reader shows as nothing:
// dropped, and counted with the characters that have no form, so that nothing after it
// is lost and nothing goes unsaid.
std::size_t dropEndOfTextBytes(char* data, std::size_t size, CharsetReport& report) {
  constexpr char kEndOfText = 0x1A;
  const std::string_view text(data, size);
  std::size_t at = text.find(kEndOfText);
  if (at == std::string_view::npos) return size;
  // Lines are counted on the text as it came, before anything moves.
  LineCounter lines(text);
  for (; at != std::string_view::npos; at = text.find(kEndOfText, at + 1)) {
    ++report.replaced;
    CharsetReplacement dropped;
    dropped.line = lines.lineAt(at);
    dropped.codePoint = 0x1A;
    report.keep(std::move(dropped));
  }
  return removeEveryByte(data, size, kEndOfText);
}

void dropEndOfTextBytes(std::string& text, CharsetReport& report) {
  text.resize(dropEndOfTextBytes(text.data(), text.size(), report));
}

// The text is decoded where it lies (Windows-1252, plain ASCII among it, is left as it
// is), so that reading a large book costs no second copy of it.
bool readTextAsWindows1252(WorkText& text, const SourceReading& reading, CharsetReport& report) {
  report.found = findCharset(text.view(), reading.charset, /*html=*/false);
  if (text.hasText() && report.found.charset != Charset::kWindows1252) {
    std::size_t length = kMaxWorkTextLength + 1;  // stays too long when memory runs out
    try {
      length = toWindows1252InPlace(text.buffer, static_cast<std::size_t>(text.length),
                                    report.found.charset, report);
    } catch (const std::bad_alloc&) {
    }
    if (length > kMaxWorkTextLength) {
      releaseWorkText(text);
      return false;
    }
    setWorkTextLength(text, length);
  }
  if (text.hasText()) {
    setWorkTextLength(text, dropEndOfTextBytes(text.buffer.get(),
                                               static_cast<std::size_t>(text.length), report));
  }
  return true;
}

// A page always loses its single line breaks, a text only when asked; joinWithBlank: as
// stripSingleLineBreaks takes it, for a text.
void applyLineBreakRule(WorkText& text, int sourceType, bool stripLineBreaks, bool joinWithBlank) {
  const bool html = sourceType == kSourceHtmlFile;
  if (html || stripLineBreaks) stripSingleLineBreaks(text, html, joinWithBlank && !html);
}

}  // namespace

std::string makeTemporaryPath(const char* fallback) {
  std::string path = createTemporaryFile();
  return path.empty() ? std::string(fallback) : path;
}

bool captureClipboard(WorkText& text) {
  std::string clipboard;
  if (!readClipboardText(clipboard)) return false;
  if (!allocateWorkText(text, clipboard.size())) return false;
  char* out = text.buffer.get();
  std::size_t length = 0;
  for (char c : clipboard) {
    if (c != '\r') out[length++] = c;
  }
  setWorkTextLength(text, length);
  return true;
}

bool loadBlankDoc(WorkText& text) { return assignWorkText(text, "\n"); }

LoadStatus loadTextFile(WorkText& text, const char* sourcePath) {
  FileHandle file = openFile(sourcePath, "rb");
  if (!file) return LoadStatus::kSourceMissing;
  if (!readIntoWorkText(text, file.get())) return LoadStatus::kNoWorkBuffer;
  setWorkTextLength(
      text, normalizeTextFileBytes(text.buffer.get(), static_cast<std::size_t>(text.length)));
  return LoadStatus::kLoaded;
}

LoadStatus loadTextBytes(WorkText& text, const char* bytes, std::size_t size) {
  if (!assignWorkText(text, std::string_view(bytes, size))) return LoadStatus::kNoWorkBuffer;
  setWorkTextLength(text, normalizeTextFileBytes(text.buffer.get(), size));
  return LoadStatus::kLoaded;
}

LoadStatus convertHtmlText(WorkText& text, bool publicFormat) {
  const std::string htmlPath = makeTemporaryPath(kFirstTemporaryFallback);
  const std::string textPath = makeTemporaryPath(kSecondTemporaryFallback);
  LoadStatus loaded = LoadStatus::kLoaded;
  // When a temporary file cannot be written or read back, the raw HTML stays.
  if (writeBytes(htmlPath, text.view())) {
    convertHtml(htmlPath.c_str(), textPath.c_str(), publicFormat, true);
    FileHandle converted = openFile(textPath.c_str(), "rb");
    if (converted) {
      if (readIntoWorkText(text, converted.get())) {
        removeCarriageReturns(text);
      } else {
        // The same answer as every other load that runs out of memory.
        loaded = LoadStatus::kNoWorkBuffer;
      }
    }
  }
  std::remove(htmlPath.c_str());
  std::remove(textPath.c_str());
  return loaded;
}

LoadStatus loadDocFile(WorkText& text, const char* sourcePath) {
  releaseWorkText(text);
  return takeImportedText(text, importDoc(sourcePath));
}

LoadStatus loadDocBytes(WorkText& text, std::span<const unsigned char> database,
                        DocSourceFacts* facts, const std::function<void(std::size_t)>& consumed) {
  ImportedDoc doc = importDocBytes(database, consumed);
  if (facts != nullptr) *facts = DocSourceFacts{std::move(doc.damage), std::move(doc.bookmarks)};
  releaseWorkText(text);
  return takeImportedText(text, std::move(doc));
}

LoadStatus loadSourceInPlace(WorkText& text, int sourceType, bool stripLineBreaks,
                             bool publicFormat, DocSourceFacts* facts,
                             const SourceReading& reading) {
  LoadStatus loaded = LoadStatus::kLoaded;
  CharsetReport ignored;
  CharsetReport& report = reading.report != nullptr ? *reading.report : ignored;
  switch (sourceType) {
    case kSourceBlankDoc:
      loaded = loadBlankDoc(text) ? LoadStatus::kLoaded : LoadStatus::kNoBlankBuffer;
      break;
    case kSourceHtmlFile: {
      std::string converted;
      try {
        std::string page;
        if (reading.unicode) {
          page = readAsWindows1252(text.view(), reading.charset, /*html=*/true, report);
          // The page's bytes as read are not looked at again: given back now, they leave two
          // copies of the page in memory at the most, not three.
          releaseWorkText(text);
          dropEndOfTextBytes(page, report);
          if (reading.title != nullptr) *reading.title = pageTitle(page);
        }
        const std::string_view bytes = reading.unicode ? std::string_view(page) : text.view();
        HtmlReading html{reading.unicode ? ReferenceRules::kHtml5 : ReferenceRules::kClassic,
                         &report};
        converted = convertHtmlToString(bytes, publicFormat, /*useTitle=*/true, html);
        if (reading.headingLevels != 0) {
          // Marked once more with a byte the text turned out not to hold.
          CharsetReport again;
          html.report = &again;
          html.headingMarker = unusedControlByte(converted);
          html.headingLevels = reading.headingLevels;
          if (html.headingMarker != 0) {
            std::string().swap(converted);  // not kept beside its successor
            converted = convertHtmlToString(bytes, publicFormat, /*useTitle=*/true, html);
          }
          if (reading.headingMarker != nullptr) *reading.headingMarker = html.headingMarker;
        }
      } catch (const std::bad_alloc&) {
        return LoadStatus::kNoWorkBuffer;
      }
      if (!assignWorkText(text, converted)) return LoadStatus::kNoWorkBuffer;
      removeCarriageReturns(text);
      break;
    }
    case kSourceDocFile: {
      const std::string_view bytes = text.view();
      loaded = loadDocBytes(text,
                            std::span<const unsigned char>(
                                reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()),
                            facts);
      break;
    }
    default:
      if (reading.unicode && !readTextAsWindows1252(text, reading, report)) {
        return LoadStatus::kNoWorkBuffer;
      }
      if (text.hasText()) {
        setWorkTextLength(text, normalizeTextFileBytes(text.buffer.get(),
                                                       static_cast<std::size_t>(text.length)));
      }
      break;
  }
  if (loaded == LoadStatus::kLoaded) {
    applyLineBreakRule(text, sourceType, stripLineBreaks, reading.unicode);
  }
  return loaded;
}

LoadStatus loadSource(WorkText& text, int sourceType, const char* sourcePath, bool stripLineBreaks,
                      bool publicFormat) {
  LoadStatus loaded = LoadStatus::kLoaded;
  switch (sourceType) {
    case kSourceBlankDoc:
      loaded = loadBlankDoc(text) ? LoadStatus::kLoaded : LoadStatus::kNoBlankBuffer;
      break;
    case kSourceHtmlFile:
      loaded = loadTextFile(text, sourcePath);
      if (loaded == LoadStatus::kLoaded) loaded = convertHtmlText(text, publicFormat);
      break;
    case kSourceDocFile:
      loaded = loadDocFile(text, sourcePath);
      break;
    case kSourceClipboard:
      break;  // captured when the options dialog opened
    default:
      // A text file; also for a kind the options cannot name (a damaged stored value),
      // the kind the options start with.
      loaded = loadTextFile(text, sourcePath);
      break;
  }
  if (loaded != LoadStatus::kLoaded) return loaded;
  applyLineBreakRule(text, sourceType, stripLineBreaks, /*joinWithBlank=*/false);
  return LoadStatus::kLoaded;
}

std::optional<std::string> writeBuildFile(const WorkText& text) {
  const std::string path = makeTemporaryPath(kFirstTemporaryFallback);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return std::nullopt;
  const std::string_view bytes = text.view();
  bool ok = writeTextMode(file, bytes.data(), bytes.size());
  ok = std::fclose(file) == 0 && ok;
  if (!ok) {
    // A short build file would make a short book that looks complete.
    std::remove(path.c_str());
    return std::nullopt;
  }
  return path;
}

}  // namespace quillet
