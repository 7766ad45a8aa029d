#include "source/charset.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "base/ascii.h"
#include "source/charset_tables.h"

namespace quillet {

namespace {

using namespace charset_data;

constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr std::size_t kMetaScanLength = 1024;

constexpr std::array<char, 256> kAllBytes = [] {
  std::array<char, 256> bytes{};
  for (int b = 0; b < 256; ++b) bytes[static_cast<std::size_t>(b)] = static_cast<char>(b);
  return bytes;
}();

std::string_view byteText(unsigned char b) { return {kAllBytes.data() + b, 1}; }

// The UTF-16 code unit in the two bytes at `at`, in the order given.
char32_t utf16Unit(const unsigned char* at, bool bigEndian) {
  return bigEndian ? static_cast<char32_t>(at[0] << 8 | at[1])
                   : static_cast<char32_t>(at[1] << 8 | at[0]);
}

// --- names --------------------------------------------------------------------------------

enum class Label { kUtf8, kUtf16Le, kUtf16Be, kWindows1252, kUserDefined, kUnknown };

struct LabelName {
  std::string_view name;
  Label label;
};

// The WHATWG encoding labels of the encodings read here.
constexpr LabelName kLabels[] = {
    {"unicode-1-1-utf-8", Label::kUtf8},
    {"unicode11utf8", Label::kUtf8},
    {"unicode20utf8", Label::kUtf8},
    {"utf-8", Label::kUtf8},
    {"utf8", Label::kUtf8},
    {"x-unicode20utf8", Label::kUtf8},
    {"unicodefffe", Label::kUtf16Be},
    {"utf-16be", Label::kUtf16Be},
    {"csunicode", Label::kUtf16Le},
    {"iso-10646-ucs-2", Label::kUtf16Le},
    {"ucs-2", Label::kUtf16Le},
    {"unicode", Label::kUtf16Le},
    {"unicodefeff", Label::kUtf16Le},
    {"utf-16", Label::kUtf16Le},
    {"utf-16le", Label::kUtf16Le},
    {"ansi_x3.4-1968", Label::kWindows1252},
    {"ascii", Label::kWindows1252},
    {"cp1252", Label::kWindows1252},
    {"cp819", Label::kWindows1252},
    {"csisolatin1", Label::kWindows1252},
    {"ibm819", Label::kWindows1252},
    {"iso-8859-1", Label::kWindows1252},
    {"iso-ir-100", Label::kWindows1252},
    {"iso8859-1", Label::kWindows1252},
    {"iso88591", Label::kWindows1252},
    {"iso_8859-1", Label::kWindows1252},
    {"iso_8859-1:1987", Label::kWindows1252},
    {"l1", Label::kWindows1252},
    {"latin1", Label::kWindows1252},
    {"us-ascii", Label::kWindows1252},
    {"windows-1252", Label::kWindows1252},
    {"x-cp1252", Label::kWindows1252},
    {"x-user-defined", Label::kUserDefined},
};

bool isHtmlSpace(unsigned char c) {
  return c == 0x09 || c == 0x0A || c == 0x0C || c == 0x0D || c == 0x20;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isHtmlSpace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && isHtmlSpace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

Label labelOf(std::string_view name) {
  name = trimmed(name);
  for (const LabelName& entry : kLabels) {
    if (equalsIgnoringAsciiCase(name, entry.name)) return entry.label;
  }
  return Label::kUnknown;
}

// --- the <meta> prescan -------------------------------------------------------------------

// A page's first bytes read the way a browser looks for its charset before it parses.
class MetaScan {
 public:
  explicit MetaScan(std::string_view bytes) : s_(bytes.substr(0, kMetaScanLength)) {}

  // The label a meta names, when one does; unsupported collects one it could not use.
  std::optional<Label> run(std::string& unsupported);

 private:
  bool atEnd() const { return i_ >= s_.size(); }
  unsigned char at(std::size_t k) const {
    return k < s_.size() ? static_cast<unsigned char>(s_[k]) : 0;
  }
  bool startsWithAnyCase(std::string_view text) const {
    return startsWithIgnoringAsciiCase(s_.substr(i_), text);
  }
  bool getAttribute(std::string& name, std::string& value);
  std::optional<Label> meta(std::string& unsupported);
  void skipPastAny(std::string_view text) {
    const std::size_t found = s_.find(text, i_);
    i_ = found == std::string_view::npos ? s_.size() : found + text.size();
  }

  std::string_view s_;
  std::size_t i_ = 0;
};

char lowered(unsigned char c) { return toLowerAscii(static_cast<char>(c)); }

bool MetaScan::getAttribute(std::string& name, std::string& value) {
  name.clear();
  value.clear();
  while (!atEnd() && (isHtmlSpace(at(i_)) || at(i_) == '/')) ++i_;
  if (atEnd() || at(i_) == '>') return false;
  for (;; ++i_) {
    if (atEnd()) return false;
    const unsigned char c = at(i_);
    if (c == '=' && !name.empty()) {
      ++i_;
      break;
    }
    if (isHtmlSpace(c)) {
      while (!atEnd() && isHtmlSpace(at(i_))) ++i_;
      if (atEnd()) return false;
      if (at(i_) != '=') return true;
      ++i_;
      break;
    }
    if (c == '/' || c == '>') return true;
    name += lowered(c);
  }
  while (!atEnd() && isHtmlSpace(at(i_))) ++i_;
  if (atEnd()) return false;
  const unsigned char first = at(i_);
  if (first == '"' || first == '\'') {
    for (++i_;; ++i_) {
      if (atEnd()) return false;
      if (at(i_) == first) {
        ++i_;
        return true;
      }
      value += lowered(at(i_));
    }
  }
  if (first == '>') return true;
  for (; !atEnd(); ++i_) {
    const unsigned char c = at(i_);
    if (isHtmlSpace(c) || c == '>') return true;
    value += lowered(c);
  }
  return false;
}

// The charset named in a Content-Type value: "text/html; charset=utf-8".
std::optional<std::string_view> charsetInContent(std::string_view content) {
  std::size_t at = 0;
  for (;;) {
    std::size_t found = std::string_view::npos;
    for (std::size_t k = at; k + 7 <= content.size(); ++k) {
      if (startsWithIgnoringAsciiCase(content.substr(k), "charset")) {
        found = k;
        break;
      }
    }
    if (found == std::string_view::npos) return std::nullopt;
    at = found + 7;
    while (at < content.size() && isHtmlSpace(static_cast<unsigned char>(content[at]))) ++at;
    if (at >= content.size() || content[at] != '=') continue;
    ++at;
    while (at < content.size() && isHtmlSpace(static_cast<unsigned char>(content[at]))) ++at;
    if (at >= content.size()) return std::nullopt;
    const char quote = content[at];
    if (quote == '"' || quote == '\'') {
      const std::size_t end = content.find(quote, at + 1);
      if (end == std::string_view::npos) return std::nullopt;
      return content.substr(at + 1, end - at - 1);
    }
    std::size_t end = at;
    while (end < content.size() && !isHtmlSpace(static_cast<unsigned char>(content[end])) &&
           content[end] != ';') {
      ++end;
    }
    return content.substr(at, end - at);
  }
}

std::optional<Label> MetaScan::meta(std::string& unsupported) {
  std::vector<std::string> seen;
  bool gotPragma = false;
  enum { kUnset, kNeeded, kNotNeeded } needPragma = kUnset;
  std::optional<Label> charset;
  std::string charsetText;
  std::string name;
  std::string value;
  while (getAttribute(name, value)) {
    if (std::find(seen.begin(), seen.end(), name) != seen.end()) continue;
    seen.push_back(name);
    if (name == "http-equiv") {
      if (value == "content-type") gotPragma = true;
    } else if (name == "content") {
      if (!charset) {
        if (const auto named = charsetInContent(value)) {
          charset = labelOf(*named);
          charsetText = trimmed(*named);
          needPragma = kNeeded;
        }
      }
    } else if (name == "charset") {
      charset = labelOf(value);
      charsetText = trimmed(value);
      needPragma = kNotNeeded;
    }
  }
  if (needPragma == kUnset || (needPragma == kNeeded && !gotPragma) || !charset) {
    return std::nullopt;
  }
  if (*charset == Label::kUnknown) {
    if (unsupported.empty()) unsupported = charsetText;
    return std::nullopt;
  }
  return charset;
}

std::optional<Label> MetaScan::run(std::string& unsupported) {
  std::string name;
  std::string value;
  while (!atEnd()) {
    if (startsWithAnyCase("<!--")) {
      i_ += 2;
      skipPastAny("-->");
      continue;
    }
    if (startsWithAnyCase("<meta") && (isHtmlSpace(at(i_ + 5)) || at(i_ + 5) == '/')) {
      i_ += 5;
      if (const auto found = meta(unsupported)) return found;
    } else if (at(i_) == '<' &&
               (isAsciiLetter(static_cast<char>(at(i_ + 1))) ||
                (at(i_ + 1) == '/' && isAsciiLetter(static_cast<char>(at(i_ + 2)))))) {
      while (!atEnd() && !isHtmlSpace(at(i_)) && at(i_) != '>') ++i_;
      while (getAttribute(name, value)) {
      }
    } else if (startsWithAnyCase("<!") || startsWithAnyCase("</") || startsWithAnyCase("<?")) {
      const std::size_t end = s_.find('>', i_);
      i_ = end == std::string_view::npos ? s_.size() : end;
    }
    ++i_;
  }
  return std::nullopt;
}

// --- UTF-8 --------------------------------------------------------------------------------

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// The end of the run of ASCII bytes that starts at p.
const unsigned char* asciiRunEnd(const unsigned char* p, const unsigned char* end) {
  while (end - p >= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    if ((word & kHighBits) != 0) break;
    p += 8;
  }
  while (p < end && *p < 0x80) ++p;
  return p;
}

// One UTF-8 sequence starting at a byte >= 0x80. length is the bytes taken: the whole
// sequence, or, when it is invalid, its maximal invalid part (at least 1 byte).
struct Utf8Step {
  char32_t codePoint;
  std::size_t length;
  bool valid;
};

Utf8Step decodeUtf8(const unsigned char* p, const unsigned char* end) {
  const unsigned char lead = p[0];
  std::size_t need;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  char32_t cp;
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 2;
    cp = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 3;
    cp = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {kReplacementCharacter, 1, false};
  }
  std::size_t k = 1;
  for (; k <= need; ++k) {
    if (p + k >= end) return {kReplacementCharacter, k, false};
    const unsigned char c = p[k];
    if (c < low || c > high) return {kReplacementCharacter, k, false};
    low = 0x80;
    high = 0xBF;
    cp = (cp << 6) | (c & 0x3F);
  }
  return {cp, k, true};
}

// Whether bytes are valid UTF-8 holding at least one multi-byte sequence.
bool looksLikeUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  bool multiByte = false;
  for (;;) {
    p = asciiRunEnd(p, end);
    if (p == end) return multiByte;
    const Utf8Step step = decodeUtf8(p, end);
    if (!step.valid) return false;
    multiByte = true;
    p += step.length;
  }
}

// --- normalization ------------------------------------------------------------------------

unsigned combiningClass(char32_t c) {
  if (c < 0x300) return 0;
  const auto it = std::upper_bound(kCombiningClasses.begin(), kCombiningClasses.end(), c,
                                   [](char32_t v, const CombiningClass& r) { return v < r.first; });
  if (it == kCombiningClasses.begin()) return 0;
  const CombiningClass& r = *(it - 1);
  return c <= r.last ? r.combiningClass : 0;
}

bool needsNormalization(char32_t c) {
  if (c < 0x300) return false;
  const auto it = std::upper_bound(kNeedsNormalization.begin(), kNeedsNormalization.end(), c,
                                   [](char32_t v, const CodePointRange& r) { return v < r.first; });
  return it != kNeedsNormalization.begin() && c <= (it - 1)->last;
}

constexpr char32_t kHangulS = 0xAC00, kHangulL = 0x1100, kHangulV = 0x1161, kHangulT = 0x11A7;
constexpr char32_t kHangulLCount = 19, kHangulVCount = 21, kHangulTCount = 28;
constexpr char32_t kHangulNCount = kHangulVCount * kHangulTCount;
constexpr char32_t kHangulSCount = kHangulLCount * kHangulNCount;

const CanonicalDecomposition* findDecomposition(char32_t c) {
  const auto it =
      std::lower_bound(kCanonicalDecompositions.begin(), kCanonicalDecompositions.end(), c,
                       [](const CanonicalDecomposition& r, char32_t v) { return r.composite < v; });
  return it != kCanonicalDecompositions.end() && it->composite == c ? &*it : nullptr;
}

// A character in a stretch being normalized, with the offset it came from in the source.
struct Placed {
  char32_t codePoint;
  std::size_t offset;
};

// Appends the full canonical decomposition of c to out (room for 4 is enough: no
// decomposition is longer).
void decomposeInto(char32_t c, std::size_t offset, Placed* out, std::size_t& n) {
  if (c >= kHangulS && c < kHangulS + kHangulSCount) {
    const char32_t index = c - kHangulS;
    out[n++] = {kHangulL + index / kHangulNCount, offset};
    out[n++] = {kHangulV + index % kHangulNCount / kHangulTCount, offset};
    if (index % kHangulTCount != 0) out[n++] = {kHangulT + index % kHangulTCount, offset};
    return;
  }
  const CanonicalDecomposition* d = c >= 0xC0 ? findDecomposition(c) : nullptr;
  if (d == nullptr) {
    out[n++] = {c, offset};
    return;
  }
  decomposeInto(d->first, offset, out, n);
  if (d->second != 0) decomposeInto(d->second, offset, out, n);
}

}  // namespace

char32_t composeCanonicalPair(char32_t a, char32_t b) {
  if (a >= kHangulL && a < kHangulL + kHangulLCount && b >= kHangulV &&
      b < kHangulV + kHangulVCount) {
    return kHangulS + ((a - kHangulL) * kHangulVCount + (b - kHangulV)) * kHangulTCount;
  }
  if (a >= kHangulS && a < kHangulS + kHangulSCount && (a - kHangulS) % kHangulTCount == 0 &&
      b > kHangulT && b < kHangulT + kHangulTCount) {
    return a + (b - kHangulT);
  }
  const auto it =
      std::lower_bound(kCompositions.begin(), kCompositions.end(), std::pair{a, b},
                       [](std::uint16_t index, const std::pair<char32_t, char32_t>& key) {
                         const CanonicalDecomposition& r = kCanonicalDecompositions[index];
                         return r.first != key.first ? r.first < key.first : r.second < key.second;
                       });
  if (it == kCompositions.end()) return 0;
  const CanonicalDecomposition& r = kCanonicalDecompositions[*it];
  return r.first == a && r.second == b ? r.composite : 0;
}

namespace {

// --- writing ------------------------------------------------------------------------------

// Counts what is replaced, and keeps the first few with their lines.
class Reporter {
 public:
  // linesWanted false: the report holds as many as it keeps, so later ones are only counted.
  Reporter(CharsetReport& report, LineCounter lines, bool linesWanted = true)
      : report_(report), lines_(lines), kept_(linesWanted ? 0 : CharsetReport::kKept) {}

  std::size_t lineAt(std::size_t offset) { return lines_.lineAt(offset); }

  void replaced(char32_t cp, std::size_t offset, std::string_view written) {
    ++report_.replaced;
    if (kept_ == CharsetReport::kKept) return;
    ++kept_;
    CharsetReplacement r;
    r.line = lines_.lineAt(offset);
    r.codePoint = cp;
    r.written = written;
    report_.keep(std::move(r));
  }

  void invalid(std::size_t offset, std::string_view original) {
    ++report_.invalid;
    if (kept_ == CharsetReport::kKept) return;
    ++kept_;
    CharsetReplacement r;
    r.line = lines_.lineAt(offset);
    r.codePoint = kReplacementCharacter;
    r.written.assign(1, '?');  // not = "?": GCC 12 then warns falsely (-Wrestrict)
    r.invalid = true;
    r.original = original;
    report_.keep(std::move(r));
  }

 private:
  CharsetReport& report_;
  LineCounter lines_;
  std::size_t kept_;
};

// Takes decoded characters in order, puts each stretch that needs it in NFC, and writes
// them in Windows-1252.
//
// A character that starts a stretch normalization leaves alone (class 0, NFC quick check
// Yes) ends the stretch before it. A stretch of one character is written at once when it
// is a single exact byte below U+0300; if a mark follows, that byte is taken back and the
// stretch goes on.
class Windows1252Writer {
 public:
  Windows1252Writer(std::string& out, Reporter& reporter, bool forHtml)
      : out_(out), reporter_(reporter), forHtml_(forHtml) {}

  // ASCII bytes copied from the source; offsetOfLast is where the last one stood.
  void ascii(const char* bytes, std::size_t n, std::size_t offsetOfLast) {
    flush();
    out_.append(bytes, n);
    takeBack(static_cast<unsigned char>(bytes[n - 1]), offsetOfLast);
  }

  void character(char32_t cp, std::size_t offset) {
    if (cp < 0x300 || !needsNormalization(cp)) {
      flush();
      if (cp < 0x100 && kWindows1252ToUnicode[cp] == cp) {
        out_.push_back(static_cast<char>(cp));
        takeBack(cp, offset);
      } else {
        stretch_[0] = {cp, offset};
        count_ = 1;
      }
      return;
    }
    if (count_ == 0 && canTakeBack_) {
      out_.pop_back();
      stretch_[0] = lastByte_;
      count_ = 1;
    }
    canTakeBack_ = false;
    if (count_ == kStretch) flush();
    stretch_[count_++] = {cp, offset};
  }

  void invalid(std::size_t offset, std::string_view original) {
    flush();
    out_.push_back('?');
    reporter_.invalid(offset, original);
  }

  void finish() { flush(); }

 private:
  // Stretches longer than this (a starter and many marks) are cut; real text never has them.
  static constexpr std::size_t kStretch = 32;
  static constexpr std::size_t kLongestDecomposition = 4;

  void takeBack(char32_t cp, std::size_t offset) {
    // In a page the characters of markup never join a mark: the tags stay as they are.
    canTakeBack_ = !(forHtml_ && (cp == '<' || cp == '>' || cp == '&'));
    lastByte_ = {cp, offset};
  }

  void flush() {
    canTakeBack_ = false;
    if (count_ == 0) return;
    if (count_ == 1) {
      write(stretch_[0]);
    } else {
      normalizeAndWrite();
    }
    count_ = 0;
  }

  void normalizeAndWrite() {
    std::array<Placed, kStretch * kLongestDecomposition> d;
    std::size_t n = 0;
    for (std::size_t i = 0; i < count_; ++i) {
      decomposeInto(stretch_[i].codePoint, stretch_[i].offset, d.data(), n);
    }
    // Canonical order: marks between two starters sorted by class, stably.
    std::array<unsigned, kStretch * kLongestDecomposition> cls;
    for (std::size_t i = 0; i < n; ++i) cls[i] = combiningClass(d[i].codePoint);
    for (std::size_t i = 1; i < n; ++i) {
      for (std::size_t j = i; j > 0 && cls[j] != 0 && cls[j - 1] > cls[j]; --j) {
        std::swap(cls[j], cls[j - 1]);
        std::swap(d[j], d[j - 1]);
      }
    }
    // Composition: each mark joins the last starter unless a mark of the same or a higher
    // class stands between them.
    std::size_t kept = 0;
    std::size_t starter = 0;
    bool haveStarter = false;
    unsigned lastClass = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const unsigned c = cls[i];
      if (haveStarter && (lastClass == 0 ? kept == starter + 1 : lastClass < c)) {
        if (const char32_t composite = composeCanonicalPair(d[starter].codePoint, d[i].codePoint)) {
          d[starter].codePoint = composite;
          continue;
        }
      }
      if (c == 0) {
        starter = kept;
        haveStarter = true;
      }
      lastClass = c;
      cls[kept] = c;
      d[kept++] = d[i];
    }
    for (std::size_t i = 0; i < kept; ++i) write(d[i]);
  }

  void write(const Placed& p) {
    const Windows1252Form form = windows1252Form(p.codePoint);
    if (form.exact) {
      out_.append(form.text);
      return;
    }
    if (forHtml_ && form.text.find_first_of("<>&") != std::string_view::npos) {
      for (const char c : form.text) {
        if (c == '<') {
          out_.append("&lt;");
        } else if (c == '>') {
          out_.append("&gt;");
        } else if (c == '&') {
          out_.append("&amp;");
        } else {
          out_.push_back(c);
        }
      }
    } else {
      out_.append(form.text);
    }
    reporter_.replaced(p.codePoint, p.offset, form.text);
  }

  std::string& out_;
  Reporter& reporter_;
  bool forHtml_;
  std::array<Placed, kStretch> stretch_{};
  std::size_t count_ = 0;
  bool canTakeBack_ = false;
  Placed lastByte_{};
};

void decodeUtf8Into(std::string_view bytes, std::size_t start, Windows1252Writer& writer) {
  const auto* base = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = base + bytes.size();
  const auto* p = base + start;
  while (p < end) {
    const unsigned char* run = asciiRunEnd(p, end);
    if (run != p) {
      writer.ascii(reinterpret_cast<const char*>(p), static_cast<std::size_t>(run - p),
                   static_cast<std::size_t>(run - base) - 1);
      p = run;
      if (p == end) break;
    }
    const Utf8Step step = decodeUtf8(p, end);
    const auto offset = static_cast<std::size_t>(p - base);
    if (step.valid) {
      writer.character(step.codePoint, offset);
    } else {
      writer.invalid(offset, bytes.substr(offset, step.length));
    }
    p += step.length;
  }
}

void decodeUtf16Into(std::string_view bytes, std::size_t start, bool bigEndian,
                     Windows1252Writer& writer) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  const auto unitAt = [&](std::size_t i) { return utf16Unit(b + i, bigEndian); };
  std::size_t i = start;
  while (i + 2 <= size) {
    const char32_t unit = unitAt(i);
    if (unit < 0x80) {
      const char c = static_cast<char>(unit);
      writer.ascii(&c, 1, i);
      i += 2;
    } else if (unit >= 0xD800 && unit <= 0xDBFF && i + 4 <= size && unitAt(i + 2) >= 0xDC00 &&
               unitAt(i + 2) <= 0xDFFF) {
      writer.character(0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00), i);
      i += 4;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      writer.invalid(i, bytes.substr(i, 2));
      i += 2;
    } else {
      writer.character(unit, i);
      i += 2;
    }
  }
  if (i < size) writer.invalid(i, bytes.substr(i));
}

std::size_t byteOrderMarkLength(std::string_view bytes, Charset charset) {
  switch (charset) {
    case Charset::kUtf8:
      return bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    case Charset::kUtf16Le:
      return bytes.starts_with("\xFF\xFE") ? 2 : 0;
    case Charset::kUtf16Be:
      return bytes.starts_with("\xFE\xFF") ? 2 : 0;
    case Charset::kWindows1252:
      break;
  }
  return 0;
}

std::optional<Charset> byteOrderMark(std::string_view bytes) {
  for (const Charset c : {Charset::kUtf8, Charset::kUtf16Le, Charset::kUtf16Be}) {
    if (byteOrderMarkLength(bytes, c) != 0) return c;
  }
  return std::nullopt;
}

}  // namespace

const char* charsetName(Charset charset) {
  switch (charset) {
    case Charset::kUtf8:
      return "UTF-8";
    case Charset::kUtf16Le:
      return "UTF-16LE";
    case Charset::kUtf16Be:
      return "UTF-16BE";
    case Charset::kWindows1252:
      break;
  }
  return "Windows-1252";
}

const char* charsetSourceName(CharsetSource source) {
  switch (source) {
    case CharsetSource::kNamed:
      return "named";
    case CharsetSource::kByteOrderMark:
      return "byte order mark";
    case CharsetSource::kMeta:
      return "meta";
    case CharsetSource::kContent:
      return "content";
    case CharsetSource::kDefault:
      break;
  }
  return "default";
}

std::optional<Charset> charsetNamed(std::string_view name) {
  switch (labelOf(name)) {
    case Label::kUtf8:
      return Charset::kUtf8;
    case Label::kUtf16Le:
      return Charset::kUtf16Le;
    case Label::kUtf16Be:
      return Charset::kUtf16Be;
    case Label::kWindows1252:
      return Charset::kWindows1252;
    case Label::kUserDefined:
    case Label::kUnknown:
      break;
  }
  return std::nullopt;
}

CharsetFound findCharset(std::string_view bytes, bool html) {
  return findCharset(bytes, std::nullopt, html);
}

CharsetFound findCharset(std::string_view bytes, std::optional<Charset> named, bool html) {
  CharsetFound found;
  if (const auto bom = byteOrderMark(bytes)) {
    found.charset = *bom;
    found.source = CharsetSource::kByteOrderMark;
    return found;
  }
  if (named) {
    found.charset = *named;
    found.source = CharsetSource::kNamed;
    return found;
  }
  if (html) {
    if (const auto label = MetaScan(bytes).run(found.unsupported)) {
      // A page whose first bytes could be read as ASCII is not UTF-16, whatever it says.
      found.charset = *label == Label::kUserDefined || *label == Label::kWindows1252
                          ? Charset::kWindows1252
                          : Charset::kUtf8;
      found.source = CharsetSource::kMeta;
      return found;
    }
  }
  if (looksLikeUtf8(bytes)) {
    found.charset = Charset::kUtf8;
    found.source = CharsetSource::kContent;
  }
  return found;
}

void CharsetReport::keep(CharsetReplacement r) {
  const auto at = std::upper_bound(
      first.begin(), first.end(), r.line,
      [](std::size_t line, const CharsetReplacement& kept) { return line < kept.line; });
  if (at == first.end() && first.size() >= kKept) return;
  first.insert(at, std::move(r));
  if (first.size() > kKept) first.pop_back();
}

std::string toWindows1252(std::string_view bytes, Charset charset, CharsetReport& report,
                          bool forHtml) {
  if (charset == Charset::kWindows1252) return std::string(bytes);
  const std::size_t start = byteOrderMarkLength(bytes, charset);
  const bool utf8 = charset == Charset::kUtf8;
  std::string out;
  out.reserve(utf8 ? bytes.size() : bytes.size() / 2 + 16);
  Reporter reporter(report, LineCounter(bytes, utf8 ? 1 : 2, charset == Charset::kUtf16Be));
  Windows1252Writer writer(out, reporter, forHtml);
  if (utf8) {
    decodeUtf8Into(bytes, start, writer);
  } else {
    decodeUtf16Into(bytes, start, charset == Charset::kUtf16Be, writer);
  }
  writer.finish();
  return out;
}

namespace {

// Just after the first line feed at or after `from` that an ASCII character follows, or
// the end. Such a line feed is a whole character in every encoding read here, and neither
// it nor the character after it ever joins a mark, so text decoded up to it and from it
// comes out as if decoded in one go. For UTF-16, `from` lies on a unit boundary.
std::size_t stretchEnd(std::string_view bytes, std::size_t from, Charset charset) {
  const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  if (charset == Charset::kUtf8) {
    for (std::size_t lf = bytes.find('\n', from); lf != std::string_view::npos;
         lf = bytes.find('\n', lf + 1)) {
      if (lf + 1 == bytes.size() || byteAt(lf + 1) < 0x80) return lf + 1;
    }
    return bytes.size();
  }
  // UTF-16: the unit 0x000A, its low byte first (little-endian) or second.
  const bool bigEndian = charset == Charset::kUtf16Be;
  const std::size_t lowAt = bigEndian ? 1 : 0;
  const auto unitAt = [&](std::size_t i) {
    return utf16Unit(reinterpret_cast<const unsigned char*>(bytes.data()) + i, bigEndian);
  };
  std::size_t at = from;
  while (at + 2 <= bytes.size()) {
    const std::size_t lf = bytes.find('\n', at + lowAt);
    if (lf == std::string_view::npos) break;
    const std::size_t unitStart = lf - lowAt;
    if ((unitStart - from) % 2 != 0) {
      at = unitStart + 1;  // the byte lies in the other half of a unit
      continue;
    }
    at = unitStart + 2;
    if (at > bytes.size() || unitAt(unitStart) != '\n') continue;
    if (at + 2 > bytes.size()) return bytes.size();  // nothing, or an odd byte, follows
    if (unitAt(at) < 0x80) return at;
  }
  return bytes.size();
}

}  // namespace

std::size_t toWindows1252InPlace(HeapText& block, std::size_t size, Charset charset,
                                 CharsetReport& report, std::size_t stretch) {
  if (charset == Charset::kWindows1252) return size;
  char* data = block.get();
  const std::string_view all(data, size);
  const bool utf8 = charset == Charset::kUtf8;
  const bool bigEndian = charset == Charset::kUtf16Be;
  const std::size_t unit = utf8 ? 1 : 2;
  const std::size_t step = std::max(unit, stretch / unit * unit);
  std::size_t read = byteOrderMarkLength(all, charset);
  std::size_t written = 0;
  std::size_t line = 1;
  std::string piece;
  std::string spill;  // what no longer fits behind the reading, kept until the end
  while (read < size) {
    const std::size_t end = stretchEnd(all, std::min(size, read + step - unit), charset);
    const std::string_view upToEnd = all.substr(0, end);
    const bool linesWanted = report.first.size() < CharsetReport::kKept;
    Reporter reporter(report, LineCounter(upToEnd, unit, bigEndian, read, line), linesWanted);
    piece.clear();
    Windows1252Writer writer(piece, reporter, /*forHtml=*/false);
    if (utf8) {
      decodeUtf8Into(upToEnd, read, writer);
    } else {
      decodeUtf16Into(upToEnd, read, bigEndian, writer);
    }
    writer.finish();
    // Counted before the stretch is written over.
    if (linesWanted) line = reporter.lineAt(end);
    if (spill.empty() && written + piece.size() <= end) {
      std::memcpy(data + written, piece.data(), piece.size());
      written += piece.size();
    } else {
      spill += piece;
    }
    read = end;
  }
  if (!spill.empty()) {
    char* grown = static_cast<char*>(std::realloc(data, written + spill.size() + 1));
    if (grown == nullptr) throw std::bad_alloc();
    static_cast<void>(block.release());
    block.reset(grown);
    std::memcpy(grown + written, spill.data(), spill.size());
    written += spill.size();
  }
  return written;
}

std::string readAsWindows1252(std::string_view bytes, std::optional<Charset> named, bool html,
                              CharsetReport& report) {
  report.found = findCharset(bytes, named, html);
  return toWindows1252(bytes, report.found.charset, report, html);
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | cp >> 6));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | cp >> 12));
    out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | cp >> 18));
    out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string windows1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (const char c : text) appendUtf8(out, kWindows1252ToUnicode[static_cast<unsigned char>(c)]);
  return out;
}

std::size_t LineCounter::lineAt(std::size_t offset) {
  if (offset < position_) {
    position_ = origin_;
    line_ = originLine_;
    afterCr_ = false;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(source_.data());
  const std::size_t stop = std::min(offset, source_.size());
  if (unit_ == 1 && stop > position_) {
    // Counted a kind of byte at a time: a text without replacements is still counted
    // whole when it is read a stretch at a time.
    const std::string_view part = source_.substr(position_, stop - position_);
    std::size_t breaks = 0;
    for (std::size_t lf = part.find('\n'); lf != std::string_view::npos;
         lf = part.find('\n', lf + 1)) {
      ++breaks;
    }
    if (afterCr_ && part.front() == '\n') --breaks;
    for (std::size_t cr = part.find('\r'); cr != std::string_view::npos;
         cr = part.find('\r', cr + 1)) {
      if (cr + 1 == part.size() || part[cr + 1] != '\n') ++breaks;  // else its LF counted it
    }
    line_ += breaks;
    afterCr_ = part.back() == '\r';
    position_ = stop;
    return line_;
  }
  for (; position_ + unit_ <= stop; position_ += unit_) {
    const char32_t value =
        unit_ == 2 ? utf16Unit(bytes + position_, bigEndian_) : char32_t{bytes[position_]};
    if (value == '\r' || (value == '\n' && !afterCr_)) ++line_;
    afterCr_ = value == '\r';
  }
  return line_;
}

Windows1252Form windows1252Form(char32_t cp) {
  if (cp < 0x100) {
    if (kWindows1252ToUnicode[cp] == cp) return {byteText(static_cast<unsigned char>(cp)), true};
  } else if (cp <= kWindows1252High[26].codePoint) {
    const auto* end = kWindows1252High + 27;
    const auto* it =
        std::lower_bound(kWindows1252High, end, cp,
                         [](const Windows1252High& r, char32_t v) { return r.codePoint < v; });
    if (it != end && it->codePoint == cp) return {byteText(it->byte), true};
  }
  const auto it = std::upper_bound(kFallbacks.begin(), kFallbacks.end(), cp,
                                   [](char32_t v, const FallbackRange& r) { return v < r.first; });
  if (it != kFallbacks.begin() && cp <= (it - 1)->last) {
    const FallbackRange& r = *(it - 1);
    return {std::string_view(kFallbackText + r.offset, r.length), r.exact != 0};
  }
  return {"?", false};
}

unsigned char windows1252Capital(unsigned char byte) { return kWindows1252Upper[byte]; }

}  // namespace quillet
