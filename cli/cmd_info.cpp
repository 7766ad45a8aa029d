#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "cli/commands.h"
#include "format/byte_order.h"
#include "format/doc_importer.h"
#include "format/doc_builder.h"
#include "format/pdb_writer.h"

namespace quillet {

namespace {

const CommandHelp kHelp{
    "info",
    "DOC.pdb [-o OUT]",
    "Shows a Palm database's header fields, its record list (offset, length, attributes,\n"
    "unique ID of each record) and, for a Doc (type TEXt), the Doc header in record 0.\n"
    "Offsets that point outside the file are flagged, the bookmarks listed with the first\n"
    "words of the text each one marks, and what is wrong with a damaged\n"
    "Doc is told on standard error (exit code 1). DOC may be - for standard input.",
    {
        {'o', "output", "OUT", "write the listing here instead of standard output"},
    }};

// MinGW's printf checks know %zu only as GNU's.
#ifdef __MINGW32__
#define QUILLET_PRINTF_FORMAT gnu_printf
#else
#define QUILLET_PRINTF_FORMAT printf
#endif

// printf into a string.
__attribute__((format(QUILLET_PRINTF_FORMAT, 2, 3))) void appendf(std::string& out,
                                                                  const char* format, ...) {
  char line[256];
  std::va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  if (length > 0) out.append(line, std::min(static_cast<std::size_t>(length), sizeof line - 1));
}

// Palm dates count seconds from 1904-01-01.
std::string palmDate(std::uint32_t seconds) {
  if (seconds == 0) return "never";
  std::int64_t days = static_cast<std::int64_t>(seconds / 86400) - 24107;  // from 1970-01-01
  const unsigned secondsOfDay = seconds % 86400;
  // Civil date from a day count (proleptic Gregorian calendar).
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned mp = (5 * dayOfYear + 2) / 153;
  const unsigned day = dayOfYear - (153 * mp + 2) / 5 + 1;
  const unsigned month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2);
  char text[40];
  std::snprintf(text, sizeof text, "%04" PRId64 "-%02u-%02u %02u:%02u:%02u", year, month, day,
                secondsOfDay / 3600, secondsOfDay / 60 % 60, secondsOfDay % 60);
  return text;
}

// Four characters as text, with anything unprintable escaped.
std::string fourCharacters(const char* c) {
  std::string text;
  for (int i = 0; i < 4; ++i) {
    const auto b = static_cast<unsigned char>(c[i]);
    if (b >= 0x20 && b < 0x7F) {
      text += static_cast<char>(b);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", b);
      text += escaped;
    }
  }
  return text;
}

std::string databaseName(const PdbHeader& h) {
  std::string name;
  for (char c : h.name) {
    if (c == '\0') break;
    name += c;
  }
  return name;
}

std::string describeAttributes(std::uint16_t a) {
  static const struct {
    std::uint16_t bit;
    const char* name;
  } kBits[] = {{0x0001, "resource"}, {0x0002, "read-only"},     {0x0004, "app-info dirty"},
               {0x0008, "backup"},   {0x0010, "install newer"}, {0x0020, "reset after install"},
               {0x0040, "no copy"},  {0x8000, "open"}};
  std::string text;
  for (const auto& bit : kBits) {
    if (a & bit.bit) text += text.empty() ? bit.name : std::string(", ") + bit.name;
  }
  return text.empty() ? "none" : text;
}

void printHeader(std::string& out, const PdbHeader& h, std::size_t fileSize) {
  appendf(out, "Name:               \"%s\"\n", databaseName(h).c_str());
  appendf(out, "Attributes:         0x%04X (%s)\n", h.attributes,
              describeAttributes(h.attributes).c_str());
  appendf(out, "Version:            %u\n", h.version);
  appendf(out, "Created:            0x%08" PRIX32 " (%s)\n", h.creationDate,
              palmDate(h.creationDate).c_str());
  appendf(out, "Modified:           0x%08" PRIX32 " (%s)\n", h.modificationDate,
              palmDate(h.modificationDate).c_str());
  appendf(out, "Last backup:        0x%08" PRIX32 " (%s)\n", h.lastBackupDate,
              palmDate(h.lastBackupDate).c_str());
  appendf(out, "Modification no.:   %" PRIu32 "\n", h.modificationNumber);
  appendf(out, "App info offset:    %" PRIu32 "\n", h.appInfoOffset);
  appendf(out, "Sort info offset:   %" PRIu32 "\n", h.sortInfoOffset);
  appendf(out, "Type:               \"%s\"\n", fourCharacters(h.type).c_str());
  appendf(out, "Creator:            \"%s\"\n", fourCharacters(h.creator).c_str());
  appendf(out, "Unique ID seed:     %" PRIu32 "\n", h.uniqueIdSeed);
  appendf(out, "Next record list:   %" PRIu32 "\n", h.nextRecordListId);
  appendf(out, "Records:            %u\n", h.recordCount);
  appendf(out, "File size:          %zu bytes\n", fileSize);
}

// Prints the record list; returns the entries that lie inside the file.
std::vector<PdbRecordEntry> printRecords(std::string& out, std::string_view bytes, unsigned count) {
  std::vector<PdbRecordEntry> entries;
  appendf(out, "\n Record     Offset     Length  Attr  Unique ID\n");
  for (unsigned i = 0; i < count; ++i) {
    const std::size_t at = kPdbHeaderSize + kPdbRecordEntrySize * i;
    if (at + kPdbRecordEntrySize > bytes.size()) {
      appendf(out, "  (the record list ends early: %u of %u entries in the file)\n", i, count);
      break;
    }
    entries.push_back(parsePdbRecordEntry(reinterpret_cast<const unsigned char*>(&bytes[at])));
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::uint32_t start = entries[i].dataOffset;
    const std::uint64_t end = i + 1 < entries.size() ? entries[i + 1].dataOffset : bytes.size();
    const bool inside = start <= bytes.size() && end >= start && end <= bytes.size();
    appendf(out, "%7zu %10" PRIu32 " %10s  0x%02X  %u%s\n", i, start,
                inside ? std::to_string(end - start).c_str() : "?", entries[i].attributes,
                entries[i].uniqueId, inside ? "" : "  (outside the file)");
  }
  return entries;
}

void printDocHeader(std::string& out, std::string_view bytes, const PdbRecordEntry& record0) {
  if (std::uint64_t{record0.dataOffset} + kDocRecord0Size > bytes.size()) {
    appendf(out, "\nDoc header: record 0 is shorter than 16 bytes\n");
    return;
  }
  const DocRecord0 d =
      parseDocRecord0(reinterpret_cast<const unsigned char*>(&bytes[record0.dataOffset]));
  const char* scheme = d.compression == 2 ? "PalmDOC" : d.compression == 1 ? "none" : "unknown";
  appendf(out, "\nDoc header (record 0)\n");
  appendf(out, "Compression:        %u (%s)\n", d.compression, scheme);
  appendf(out, "Text length:        %" PRIu32 " bytes\n", d.textLength);
  appendf(out, "Text records:       %u\n", d.recordCount);
  appendf(out, "Record size:        %u\n", d.recordSize);
  appendf(out, "Current position:   %" PRIu32 "\n", d.currentPosition);
}

// The first words of the text from an offset on, on one line.
std::string textAt(const ImportedDoc& doc, std::uint32_t offset) {
  constexpr std::size_t kShown = 40;
  if (offset >= doc.length) return "(past the end of the text)";
  std::string shown;
  for (std::size_t i = offset; i < doc.length && shown.size() < kShown; ++i) {
    const char c = doc.text.get()[i];
    if (c == '\n' || c == '\r' || c == '\t') {
      if (!shown.empty() && shown.back() != ' ') shown += ' ';
    } else if (static_cast<unsigned char>(c) >= 0x20) {
      shown += c;
    }
  }
  return shown;
}

void printBookmarks(std::string& out, const ImportedDoc& doc) {
  if (doc.bookmarks.empty()) return;
  appendf(out, "\nBookmarks: %zu\n", doc.bookmarks.size());
  appendf(out, "%10s  %-15s  %s\n", "Offset", "Name", "Text there");
  for (const Bookmark& bookmark : doc.bookmarks) {
    appendf(out, "%10u  %-15s  %s\n", static_cast<unsigned>(bookmark.offset), bookmark.name.c_str(),
            textAt(doc, bookmark.offset).c_str());
  }
}

}  // namespace

int runInfoCommand(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  int exitCode = kExitOk;
  if (!parseCommand(kHelp, args, parsed, exitCode)) return exitCode;
  if (parsed.operands.size() != 1) return usageError(kHelp, "expected one DOC.pdb file");
  const std::string& path = parsed.operands[0];
  const std::string output = parsed.value("output");
  if (sameFile(path, output)) {
    return usageError(kHelp, "'" + output + "' would replace the database it describes");
  }

  DatabaseInput file;
  if (!file.open(path)) return kExitFailure;
  const std::string_view bytes(reinterpret_cast<const char*>(file.bytes().data()),
                               file.bytes().size());
  if (bytes.size() < kPdbHeaderSize) {
    printError(inputName(path) + " is not a Palm database: " + std::to_string(bytes.size()) +
               " bytes, shorter than a header");
    return kExitFailure;
  }
  std::string out;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const PdbHeader header = parsePdbHeader(data);
  printHeader(out, header, bytes.size());
  const auto entries = printRecords(out, bytes, header.recordCount);
  const bool isDoc = std::string(header.type, 4) == kDocType && !entries.empty();
  ImportedDoc doc;
  if (isDoc) {
    printDocHeader(out, bytes, entries[0]);
    doc = importDocBytes(file.bytes(), file.release());
  }
  // Every byte has been read: a cut file is told before any damage, which would be the cut's.
  if (!file.readIntact()) return kExitFailure;
  bool sound = true;
  if (isDoc && doc.status == ImportStatus::kImported) {
    // The listing shows everything; what is wrong with the text is said besides.
    printBookmarks(out, doc);
    sound = reportDamage(path, doc.damage, doc.length, false, Talk(parsed));
  }
  CommandOutput listing(output);
  if (!listing.open() || !listing.write(out) || !listing.finish()) return kExitFailure;
  return sound ? kExitOk : kExitFailure;
}

}  // namespace quillet
