#include "source/html_converter.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>

#include "base/ascii.h"
#include "base/file_io.h"
#include "source/html_entities.h"

namespace quillet {

namespace {

constexpr unsigned char kBullet = 0x95;
constexpr unsigned char kTermMark = 0x9B;
constexpr unsigned char kDefinitionMark = 0xBB;
constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kIndentStep = "   ";  // one level of indentation

constexpr std::string_view kCommentEnd = "-->";
constexpr std::string_view kScriptEnd = "/SCRIPT>";
constexpr std::string_view kStyleEnd = "/STYLE>";
constexpr std::string_view kTagEnd = ">";
constexpr std::string_view kPassThroughOpen = "<!--QL";
constexpr std::string_view kPassThroughEnd = "-->";
constexpr std::string_view kTitleStart = "<TITLE";


bool isWhitespace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The counters only ever move by small steps, one per character or tag, so they cannot
// come near the ends of int below a gigabyte of input. Beyond that they stop at the end
// instead of overflowing; every test made on them (zero, sign, below 2, past the wrap
// width) keeps its answer.
void add(int& counter, int amount) {
  if (amount > 0) {
    counter = counter > INT_MAX - amount ? INT_MAX : counter + amount;
  } else {
    counter = counter < INT_MIN - amount ? INT_MIN : counter + amount;
  }
}

enum class TagAction {
  kPassThrough,
  kComment,
  kScript,
  kStyle,
  kLineBreak,
  kParagraph,
  kRule,
  kListItem,
  kDefinitionTerm,
  kDefinition,
  kListOpen,
  kListClose,
  kRow,
  kSupOpen,
  kSupClose,
  kCell,
  kTableOpen,
  kTableClose,
  kQuoteOpen,
  kQuoteClose,
  kHeadingOpen,
  kHeadingClose,
  kBoldOpen,
  kBoldClose,
  kOther,
};

struct TagRule {
  std::string_view text;  // a prefix of the window, compared over exactly its length
  bool exactCase;
  TagAction action;
};

// Tried in this order; the first that matches wins. "<P" thus also takes <PRE> and
// <PARAM>, "<LI" takes <LINK>, while "<B>" is bold only as exactly those three characters.
constexpr TagRule kTagRules[] = {
    {kPassThroughOpen, true, TagAction::kPassThrough},
    {"<!--", true, TagAction::kComment},
    {"<SCRIPT", false, TagAction::kScript},
    {"<STYLE", false, TagAction::kStyle},
    {"<BR", false, TagAction::kLineBreak},
    {"<P", false, TagAction::kParagraph},
    {"<HR", false, TagAction::kRule},
    {"<LI", false, TagAction::kListItem},
    {"<DT", false, TagAction::kDefinitionTerm},
    {"<DD", false, TagAction::kDefinition},
    {"<OL", false, TagAction::kListOpen},
    {"<UL", false, TagAction::kListOpen},
    {"<DL", false, TagAction::kListOpen},
    {"</OL", false, TagAction::kListClose},
    {"</UL", false, TagAction::kListClose},
    {"</DL", false, TagAction::kListClose},
    {"<TR", false, TagAction::kRow},
    {"<SUP", false, TagAction::kSupOpen},
    {"</SUP", false, TagAction::kSupClose},
    {"<TD", false, TagAction::kCell},
    {"<TABLE", false, TagAction::kTableOpen},
    {"</TABLE", false, TagAction::kTableClose},
    {"<BLOCKQUOTE", false, TagAction::kQuoteOpen},
    {"</BLOCKQUOTE", false, TagAction::kQuoteClose},
    {"<H1", false, TagAction::kHeadingOpen},
    {"<H2", false, TagAction::kHeadingOpen},
    {"<H3", false, TagAction::kHeadingOpen},
    {"<H4", false, TagAction::kHeadingOpen},
    {"<H5", false, TagAction::kHeadingOpen},
    {"</H1", false, TagAction::kHeadingClose},
    {"</H2", false, TagAction::kHeadingClose},
    {"</H3", false, TagAction::kHeadingClose},
    {"</H4", false, TagAction::kHeadingClose},
    {"</H5", false, TagAction::kHeadingClose},
    {"<B>", false, TagAction::kBoldOpen},
    {"</B>", false, TagAction::kBoldClose},
};

TagAction classifyTag(const HtmlInput& input) {
  for (const TagRule& rule : kTagRules) {
    if (rule.exactCase ? input.startsWith(rule.text) : input.startsWithAnyCase(rule.text)) {
      return rule.action;
    }
  }
  return TagAction::kOther;
}

// One pass: the input, the output, the pass's texts and its counters.
// The characters a reference stands for: one, or two composed into one where they compose
// (0 in the second place then).
std::array<char32_t, 2> referenceCharacters(const Html5Reference& ref) {
  if (ref.second != 0) {
    if (const char32_t composite = composeCanonicalPair(ref.first, ref.second)) {
      return {composite, 0};
    }
  }
  return {ref.first, ref.second};
}

class Scanner {
 public:
  Scanner(HtmlInput& input, HtmlOutput& output, const PassTexts& texts, const HtmlReading& reading)
      : in_(input), out_(output), texts_(texts), reading_(reading), lines_(input.bytes()) {
    state_.wrapText = texts.wrapText;
  }

  int run();

 private:
  bool atStopText() const {
    return !texts_.stopText.empty() && in_.startsWithAnyCase(texts_.stopText);
  }
  void skipStep();
  void entity();
  void html5Reference();
  void referenceText(std::string_view text);
  void replaced(char32_t cp, std::string_view written, std::string_view original, bool invalid);
  void tag();
  void whitespace();
  void character(unsigned char c);
  void passThrough();

  void indent();
  void lineBreak();
  void paragraphBreak() {
    lineBreak();
    lineBreak();
  }
  bool breakDue() const { return state_.column != 0 || state_.breakRun < 2; }
  void visibleWritten(int columns) {
    add(state_.column, columns);
    state_.spaceRun = 0;
    state_.breakRun = 0;
  }
  void rule();
  void listItem();
  void definitionMark(unsigned char mark);
  void headingOpen();
  void headingClose();

  HtmlInput& in_;
  HtmlOutput& out_;
  const PassTexts& texts_;
  const HtmlReading& reading_;
  LineCounter lines_;
  std::size_t kept_ = 0;  // replacements this pass has handed to the report's list
  ScanState state_;
};

int Scanner::run() {
  for (;;) {
    if (in_.atEnd()) return -1;
    if (atStopText()) {
      in_.consume(texts_.stopText.size());
      return 0;
    }
    if (!state_.skipUntil.empty()) {
      skipStep();
      continue;
    }
    const unsigned char c = in_.current();
    if (c == '&') {
      entity();
    } else if (c == '<') {
      tag();
    } else if (isWhitespace(c)) {
      whitespace();
      in_.consume(1);
    } else {
      character(c);
      in_.consume(1);
    }
  }
}

void Scanner::skipStep() {
  if (in_.startsWithAnyCase(state_.skipUntil)) {
    in_.consume(state_.skipUntil.size());
    state_.skipUntil = {};
    return;
  }
  in_.consume(1);
  // Neither the terminator nor the stop text can begin before the next place that holds
  // one of their first characters, so the characters up to there go in one step. Letters
  // would need both cases; none of the texts in use starts with one.
  const char terminatorFirst = state_.skipUntil.front();
  const char stopFirst = texts_.stopText.empty() ? terminatorFirst : texts_.stopText.front();
  if (!isAsciiLetter(terminatorFirst) && !isAsciiLetter(stopFirst)) {
    in_.advanceToEither(static_cast<unsigned char>(terminatorFirst),
                        static_cast<unsigned char>(stopFirst));
  }
}

void Scanner::entity() {
  if (reading_.references == ReferenceRules::kHtml5) {
    html5Reference();
    return;
  }
  const EntityMatch match = matchEntity(in_.rest(), state_.boldDepth != 0);
  switch (match.kind) {
    case EntityKind::kByte:
      indent();
      out_.put(match.byte);
      visibleWritten(1);
      in_.consume(match.length);
      return;
    case EntityKind::kSpace:
      whitespace();
      in_.consume(match.length);
      return;
    case EntityKind::kNothing:
      in_.consume(match.length);
      return;
    case EntityKind::kNoMatch:
      character('&');
      in_.consume(1);
      return;
  }
}

void Scanner::html5Reference() {
  const Html5Reference ref = matchHtml5Reference(in_.rest());
  switch (ref.kind) {
    case Html5ReferenceKind::kNoMatch:
      character('&');
      in_.consume(1);
      return;
    case Html5ReferenceKind::kNonBreakingSpace:
      whitespace();
      break;
    case Html5ReferenceKind::kInvalid:
      replaced(0xFFFD, "?", in_.rest().substr(0, ref.length), true);
      referenceText("?");
      break;
    case Html5ReferenceKind::kCharacters: {
      const std::array<char32_t, 2> cps = referenceCharacters(ref);
      if (cps[1] == 0 && (cps[0] == ' ' || cps[0] == '\t' || cps[0] == '\n' || cps[0] == '\r')) {
        whitespace();
        break;
      }
      std::string text;
      for (const char32_t cp : cps) {
        if (cp == 0) continue;
        const Windows1252Form form = windows1252Form(cp);
        if (!form.exact) replaced(cp, form.text, {}, false);
        text += form.text;
      }
      referenceText(text);
      break;
    }
  }
  in_.consume(ref.length);
}

void Scanner::referenceText(std::string_view text) {
  if (text.empty()) return;
  indent();
  const bool bold = state_.boldDepth != 0;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    out_.put(bold ? windows1252Capital(b) : b);
  }
  visibleWritten(static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX)));
}

void Scanner::replaced(char32_t cp, std::string_view written, std::string_view original,
                       bool invalid) {
  CharsetReport* report = reading_.report;
  if (report == nullptr) return;
  ++(invalid ? report->invalid : report->replaced);
  if (kept_ == CharsetReport::kKept) return;
  ++kept_;
  CharsetReplacement r;
  r.line = lines_.lineAt(in_.position());
  r.codePoint = cp;
  r.written = written;
  r.invalid = invalid;
  r.original = original;
  report->keep(std::move(r));
}

void Scanner::whitespace() {
  if (state_.wrapText && state_.column > texts_.wrapWidth) {
    out_.put(*state_.wrapText);
    state_.column = 1;
    add(state_.spaceRun, 2);
    state_.breakRun = 0;
  } else if (state_.spaceRun == 0) {
    out_.put(' ');
    add(state_.spaceRun, 1);
    add(state_.column, 1);
    state_.breakRun = 0;
  }
}

void Scanner::character(unsigned char c) {
  indent();
  state_.spaceRun = 0;
  state_.breakRun = 0;
  add(state_.column, 1);
  if (state_.boldDepth != 0 && c >= 'a' && c <= 'z')
    c = static_cast<unsigned char>(c - ('a' - 'A'));
  out_.put(c);
}

void Scanner::indent() {
  if (state_.column != 0) return;
  const long long levels = static_cast<long long>(state_.cellCount) + state_.listDepth;
  if (levels > 0) out_.putRepeated(' ', static_cast<std::size_t>(levels) * kIndentStep.size());
}

void Scanner::lineBreak() {
  if (!breakDue()) return;
  out_.put(kCrLf);
  add(state_.spaceRun, 1);
  add(state_.breakRun, 1);
  state_.column = 0;
}

void Scanner::rule() {
  if (breakDue()) {
    out_.put(kCrLf);
    add(state_.spaceRun, 1);
    add(state_.breakRun, 1);
  }
  out_.put(texts_.ruleText);
  add(state_.spaceRun, 1);
  add(state_.breakRun, 1);
  state_.column = 0;
}

void Scanner::listItem() {
  if (breakDue()) {
    out_.put(kCrLf);
    state_.column = 0;
  }
  indent();
  out_.put(kBullet);
  out_.put(' ');
  visibleWritten(2);
}

void Scanner::definitionMark(unsigned char mark) {
  if (breakDue()) {
    out_.put(kCrLf);
    state_.column = 0;
    add(state_.breakRun, 1);
  }
  if (state_.breakRun < 2) out_.put(kCrLf);
  indent();
  out_.put(mark);
  out_.put(' ');
  visibleWritten(2);
}

void Scanner::headingOpen() {
  lineBreak();
  if (state_.breakRun < 2) {
    out_.put(kCrLf);
    add(state_.spaceRun, 1);
  }
  add(state_.spaceRun, 1);
  add(state_.column, 1);
  state_.breakRun = 0;
  const std::string_view tag = in_.rest();  // "<H1" .. "<H5"
  const int level = tag.size() > 2 ? tag[2] - '0' : 0;
  if (reading_.headingMarker != 0 && (reading_.headingLevels >> level & 1) != 0) {
    out_.put(static_cast<unsigned char>(reading_.headingMarker));
  }
  out_.put(texts_.headingOpen);
  state_.wrapText = texts_.headingWrap;
}

void Scanner::headingClose() {
  out_.put(texts_.headingClose);
  lineBreak();
  state_.wrapText.reset();
}

void Scanner::passThrough() {
  in_.consume(kPassThroughOpen.size());
  const std::string_view rest = in_.rest();
  const std::size_t end = rest.find(kPassThroughEnd);
  const std::size_t copied = end == std::string_view::npos ? rest.size() : end;
  out_.put(rest.substr(0, copied));
  in_.consume(copied + kPassThroughEnd.size());
}

// No rule consumes anything itself: every skip a tag starts begins at its '<'.
void Scanner::tag() {
  const TagAction action = classifyTag(in_);
  switch (action) {
    case TagAction::kPassThrough:
      passThrough();
      return;
    case TagAction::kComment:
      state_.skipUntil = kCommentEnd;
      return;
    case TagAction::kScript:
      state_.skipUntil = kScriptEnd;
      return;
    case TagAction::kStyle:
      state_.skipUntil = kStyleEnd;
      return;
    case TagAction::kLineBreak:
      lineBreak();
      break;
    case TagAction::kParagraph:
    case TagAction::kTableOpen:
    case TagAction::kTableClose:
      paragraphBreak();
      break;
    case TagAction::kRule:
      rule();
      break;
    case TagAction::kListItem:
      listItem();
      break;
    case TagAction::kDefinitionTerm:
      definitionMark(kTermMark);
      break;
    case TagAction::kDefinition:
      definitionMark(kDefinitionMark);
      break;
    case TagAction::kListOpen:
      add(state_.listDepth, 1);
      paragraphBreak();
      break;
    case TagAction::kListClose:
      add(state_.listDepth, -1);
      paragraphBreak();
      break;
    case TagAction::kRow:
      state_.cellCount = 0;
      lineBreak();
      break;
    case TagAction::kSupOpen:
      out_.put('(');
      visibleWritten(1);
      break;
    case TagAction::kSupClose:
      out_.put(')');
      visibleWritten(1);
      break;
    case TagAction::kCell:
      add(state_.cellCount, 1);
      lineBreak();
      break;
    case TagAction::kQuoteOpen:
      add(state_.listDepth, 1);
      break;
    case TagAction::kQuoteClose:
      add(state_.listDepth, -1);
      break;
    case TagAction::kHeadingOpen:
      headingOpen();
      break;
    case TagAction::kHeadingClose:
      headingClose();
      break;
    case TagAction::kBoldOpen:
      add(state_.boldDepth, 1);
      break;
    case TagAction::kBoldClose:
      add(state_.boldDepth, -1);
      break;
    case TagAction::kOther:
      break;
  }
  state_.skipUntil = kTagEnd;
}

}  // namespace

bool HtmlInput::startsWith(std::string_view text) const { return rest().starts_with(text); }

bool HtmlInput::startsWithAnyCase(std::string_view text) const {
  return startsWithIgnoringAsciiCase(rest(), text);
}

void HtmlInput::advanceToEither(unsigned char a, unsigned char b) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes_.data());
  const std::size_t size = bytes_.size();
  if (a == b) {
    const void* hit = std::memchr(data + position_, a, size - position_);
    position_ = hit == nullptr
                    ? size
                    : static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - data);
    return;
  }
  while (position_ < size && data[position_] != a && data[position_] != b) ++position_;
}

void HtmlOutput::put(std::string_view text) {
  if (text.size() > sizeof buffer_ - used_) {
    drain();
    if (text.size() > sizeof buffer_) {
      if (text_ != nullptr) {
        text_->append(text);
      } else if (!writeToFile(file_, text.data(), text.size())) {
        fail();
      }
      return;
    }
  }
  std::memcpy(buffer_ + used_, text.data(), text.size());
  used_ += text.size();
}

void HtmlOutput::putRepeated(char c, std::size_t count) {
  while (count > 0) {
    if (used_ == sizeof buffer_) drain();
    const std::size_t n = std::min(count, sizeof buffer_ - used_);
    std::memset(buffer_ + used_, c, n);
    used_ += n;
    count -= n;
  }
}

void HtmlOutput::fail() {
  if (!failed_) error_ = errno != 0 ? errno : EIO;
  failed_ = true;
}

void HtmlOutput::drain() {
  if (used_ == 0) return;
  if (text_ != nullptr) {
    text_->append(buffer_, used_);
  } else if (!writeToFile(file_, buffer_, used_)) {
    fail();
  }
  used_ = 0;
}

bool HtmlOutput::flush() {
  drain();
  if (file_ != nullptr && !failed_ && !flushFile(file_)) fail();
  return !failed_;
}

int skipPast(HtmlInput& input, std::string_view text) {
  const char first = text.front();
  while (!input.atEnd()) {
    if (input.startsWithAnyCase(text)) {
      input.consume(text.size());
      return 0;
    }
    input.consume(1);
    if (!isAsciiLetter(first)) {
      input.advanceToEither(static_cast<unsigned char>(first), static_cast<unsigned char>(first));
    }
  }
  return -1;
}

int scanHtml(HtmlInput& input, HtmlOutput& output, const PassTexts& texts) {
  return scanHtml(input, output, texts, HtmlReading{});
}

int scanHtml(HtmlInput& input, HtmlOutput& output, const PassTexts& texts,
             const HtmlReading& reading) {
  return Scanner(input, output, texts, reading).run();
}

void convertHtmlBytes(std::string_view html, HtmlOutput& output, bool publicFormat, bool useTitle,
                      const HtmlReading& reading) {
  HtmlInput input(html);
  // The results of the searches and passes are not consulted: whatever was found, the
  // conversion goes on the same way.
  if (useTitle) {
    if (skipPast(input, kTitleStart) != 0) {
      input.rewind();
    } else {
      skipPast(input, kTagEnd);  // the rest of the opening tag, attributes included
      output.put(publicFormat ? kTitleOpenPlain : kTitleOpenMarkup);
      scanHtml(input, output, publicFormat ? kTitlePassPlain : kTitlePassMarkup, reading);
      skipPast(input, kTagEnd);  // the rest of the closing tag
      output.put(publicFormat ? kTitleClosePlain : kTitleCloseMarkup);
    }
  }
  scanHtml(input, output, publicFormat ? kBodyPassPlain : kBodyPassMarkup, reading);
  if (publicFormat) output.put(kPlainTrailer);
}

std::string convertHtmlToString(std::string_view html, bool publicFormat, bool useTitle,
                                const HtmlReading& reading) {
  std::string text;
  text.reserve(html.size() + html.size() / 8 + 64);
  {
    HtmlOutput output(text);
    convertHtmlBytes(html, output, publicFormat, useTitle, reading);
  }
  return text;
}

std::string convertHtmlUnicode(std::string_view pageBytes, std::optional<Charset> named,
                               bool publicFormat, bool useTitle, CharsetReport& report,
                               std::string* title) {
  const std::string page = readAsWindows1252(pageBytes, named, /*html=*/true, report);
  if (title != nullptr) *title = pageTitle(page);
  return convertHtmlToString(page, publicFormat, useTitle,
                             HtmlReading{ReferenceRules::kHtml5, &report});
}

std::string pageTitle(std::string_view page) {
  // The first "<title" that is a whole tag name and not inside a comment.
  std::size_t at = 0;
  for (;; ++at) {
    at = page.find('<', at);
    if (at == std::string_view::npos) return {};
    const std::string_view rest = page.substr(at);
    if (rest.starts_with("<!--")) {
      const std::size_t end = page.find("-->", at + 4);
      if (end == std::string_view::npos) return {};
      at = end + 2;
      continue;
    }
    if (startsWithIgnoringAsciiCase(rest, "<title") &&
        (rest.size() == 6 || rest[6] == '>' || rest[6] == '/' ||
         isWhitespace(static_cast<unsigned char>(rest[6])) || rest[6] == '\f')) {
      break;
    }
  }
  const std::size_t open = page.find('>', at);
  if (open == std::string_view::npos) return {};
  std::string_view text = page.substr(open + 1);
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (text[k] == '<' && startsWithIgnoringAsciiCase(text.substr(k), "</title")) {
      text = text.substr(0, k);
      break;
    }
  }
  std::string title;
  bool blank = false;  // a blank is owed before the next visible character
  auto put = [&](std::string_view piece) {
    for (const char c : piece) {
      if (isWhitespace(static_cast<unsigned char>(c)) || c == '\f') {
        blank = !title.empty();
      } else {
        if (blank) title += ' ';
        blank = false;
        title += c;
      }
    }
  };
  for (std::size_t k = 0; k < text.size();) {
    if (text[k] != '&') {
      put(text.substr(k, 1));
      ++k;
      continue;
    }
    const Html5Reference ref = matchHtml5Reference(text.substr(k));
    switch (ref.kind) {
      case Html5ReferenceKind::kNoMatch:
        put("&");
        ++k;
        continue;
      case Html5ReferenceKind::kNonBreakingSpace:
        put(" ");
        break;
      case Html5ReferenceKind::kInvalid:
        put("?");
        break;
      case Html5ReferenceKind::kCharacters:
        for (const char32_t cp : referenceCharacters(ref)) {
          if (cp != 0) put(windows1252Form(cp).text);
        }
        break;
    }
    k += ref.length;
  }
  return title;
}

int convertHtml(const char* htmlPath, const char* textPath, bool publicFormat, bool useTitle) {
  std::FILE* textFile = std::fopen(textPath, "wb");
  if (textFile == nullptr) return 0;
  std::FILE* htmlFile = std::fopen(htmlPath, "rb");
  if (htmlFile != nullptr) {
    // A read error ends the input where it happened, as the end of the file would.
    std::string html;
    char block[1 << 16];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, htmlFile)) > 0) html.append(block, got);
    std::fclose(htmlFile);
    HtmlOutput output(textFile);
    convertHtmlBytes(html, output, publicFormat, useTitle);
    output.flush();
  }
  std::fclose(textFile);
  return 0;
}

}  // namespace quillet
