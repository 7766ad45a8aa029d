// Any bytes read as any charset, as text and as an HTML page, convert without a fault.
// The first byte chooses the charset and the reading; the rest is the source. Beyond that:
// - a Windows-1252 source comes back as it is;
// - every invalid sequence leaves one '?', and the report keeps the first eight in the
//   order of their lines, none past the source's last line;
// - the bytes Windows-1252 leaves undefined come out only for the code points that stand
//   for them (U+0081 ...);
// - any bytes read as Windows-1252, written in UTF-8 and read back, are the same bytes,
//   with nothing replaced;
// - a clean result round-trips the same way;
// - a text read in place, in stretches of any size, gives the same text and report.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "source/charset.h"
#include "source/html_converter.h"

using namespace quillet;

namespace {

constexpr Charset kCharsets[] = {Charset::kUtf8, Charset::kUtf16Le, Charset::kUtf16Be,
                                 Charset::kWindows1252};

void check(bool condition) {
  if (!condition) std::abort();
}

std::size_t count(std::string_view text, std::string_view part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos;
       at = text.find(part, at + 1)) {
    ++n;
  }
  return n;
}

// The lines of a source: one more than its line ends (LF, CR LF, CR), in units of 1 or 2.
std::size_t lineCount(std::string_view bytes, Charset charset) {
  const std::size_t unit = charset == Charset::kUtf16Le || charset == Charset::kUtf16Be ? 2 : 1;
  LineCounter lines(bytes, unit, charset == Charset::kUtf16Be);
  return lines.lineAt(bytes.size());
}

void checkReport(const CharsetReport& report, std::size_t lines) {
  check(report.first.size() == std::min(CharsetReport::kKept, report.replaced + report.invalid));
  for (std::size_t i = 0; i < report.first.size(); ++i) {
    check(report.first[i].line >= 1 && report.first[i].line <= lines);
    check(i == 0 || report.first[i - 1].line <= report.first[i].line);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  if (size == 0) return 0;
  const Charset charset = kCharsets[data[0] & 3];
  const bool html = (data[0] & 4) != 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  CharsetReport report;
  const std::string out = toWindows1252(bytes, charset, report, html);
  checkReport(report, lineCount(bytes, charset));
  check(count(out, "?") >= report.invalid);
  if (charset == Charset::kWindows1252) check(out == bytes && report.clean());
  if (charset == Charset::kUtf8) {
    for (const char undefined : {'\x81', '\x8D', '\x8F', '\x90', '\x9D'}) {
      check(count(out, std::string_view(&undefined, 1)) ==
            count(bytes, std::string{'\xC2', undefined}));
    }
  }

  if (!html) {
    HeapText block(static_cast<char*>(std::malloc(bytes.size() + 1)));
    if (!bytes.empty()) std::memcpy(block.get(), bytes.data(), bytes.size());
    CharsetReport inPlace;
    const std::size_t stretch = 1 + (data[0] >> 4) * 3;
    const std::size_t length = toWindows1252InPlace(block, bytes.size(), charset, inPlace, stretch);
    check(std::string_view(block.get(), length) == out);
    check(inPlace.replaced == report.replaced && inPlace.invalid == report.invalid &&
          inPlace.first.size() == report.first.size());
    for (std::size_t i = 0; i < report.first.size(); ++i) {
      const CharsetReplacement& a = inPlace.first[i];
      const CharsetReplacement& b = report.first[i];
      check(a.line == b.line && a.codePoint == b.codePoint && a.written == b.written &&
            a.original == b.original);
    }
  }

  CharsetReport back;
  check(toWindows1252(windows1252ToUtf8(bytes), Charset::kUtf8, back) == bytes && back.clean());
  if (report.clean() && !html) {
    CharsetReport again;
    check(toWindows1252(windows1252ToUtf8(out), Charset::kUtf8, again) == out && again.clean());
  }

  CharsetReport page;
  std::string title;
  const std::string text = convertHtmlUnicode(bytes, html ? std::optional<Charset>() : charset,
                                              (data[0] & 8) != 0, true, page, &title);
  check((data[0] & 8) == 0 || text.ends_with(kPlainTrailer));
  checkReport(page, lineCount(bytes, page.found.charset));
  return 0;
}
