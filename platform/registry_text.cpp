#include "platform/registry_text.h"

#include <cstddef>
#include <utility>

namespace quillet {

namespace {

constexpr std::string_view kRootName = "HKEY_CURRENT_USER";
constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kLineEnd = "\r\n";
// regedit wraps hex lists so that no line passes 80 columns.
constexpr std::size_t kHexLineLimit = 77;


bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}


int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = toLowerAscii(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The file's lines, without their line ends, numbered from 1.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  bool next(std::string_view& line) {
    if (position_ >= text_.size()) return false;
    const std::size_t end = text_.find('\n', position_);
    const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
    line = text_.substr(position_, stop - position_);
    position_ = stop + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number_;
    return true;
  }
  int number() const { return number_; }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
  int number_ = 0;
};

// Reads a quoted text starting after its opening quote; \\ and \" are the escapes.
// On success `rest` holds what follows the closing quote.
bool readQuoted(std::string_view& rest, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const char c = rest[i];
    if (c == '"') {
      rest.remove_prefix(i + 1);
      return true;
    }
    if (c == '\\') {
      if (i + 1 == rest.size() || (rest[i + 1] != '\\' && rest[i + 1] != '"')) return false;
      out += rest[++i];
    } else {
      out += c;
    }
  }
  return false;
}

bool parseHexList(std::string_view list, std::vector<unsigned char>& bytes) {
  bytes.clear();
  list = trimmed(list);
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view item = trimmed(list.substr(0, comma));
    if (item.empty() || item.size() > 2) return false;
    int value = 0;
    for (char c : item) {
      const int digit = hexDigit(c);
      if (digit < 0) return false;
      value = value * 16 + digit;
    }
    bytes.push_back(static_cast<unsigned char>(value));
    if (comma == std::string_view::npos) break;
    list = trimmed(list.substr(comma + 1));  // a trailing comma is accepted
  }
  return true;
}

bool parseKeyPath(std::string_view inside, std::string& path) {
  if (!startsWithIgnoringAsciiCase(inside, kRootName)) return false;
  inside.remove_prefix(kRootName.size());
  if (inside.empty()) {
    path.clear();
    return true;
  }
  if (inside.front() != '\\') return false;
  inside.remove_prefix(1);
  // Every component must have a name: no "\\", no trailing backslash.
  if (inside.empty() || inside.back() == '\\' || inside.find("\\\\") != std::string_view::npos) {
    return false;
  }
  path.assign(inside);
  return true;
}

class Parser {
 public:
  Parser(std::string_view text, RegistryTree& tree) : lines_(text), tree_(tree) {}

  bool run(std::string& error) {
    std::string_view line;
    bool sawHeader = false;
    while (lines_.next(line)) {
      const std::string_view content = trimmed(line);
      if (!sawHeader) {
        if (content.empty()) continue;
        if (content != kHeader4 && content != kHeader5)
          return fail("not a REGEDIT4 registry file", error);
        sawHeader = true;
        continue;
      }
      if (content.empty() || content.front() == ';') continue;
      if (!parseLine(content)) return fail(problem_, error);
    }
    return true;
  }

 private:
  bool fail(const std::string& why, std::string& error) const {
    error = "line " + std::to_string(lines_.number()) + ": " + why;
    return false;
  }

  bool reject(std::string why) {
    problem_ = std::move(why);
    return false;
  }

  bool parseLine(std::string_view content) {
    if (content.front() == '[') return parseSection(content);
    if (content.front() == '"' || content.front() == '@') return parseValue(content);
    return reject("neither a key nor a value");
  }

  bool parseSection(std::string_view content) {
    if (content.back() != ']') return reject("a key line must end with ']'");
    const std::string_view inside = content.substr(1, content.size() - 2);
    if (!inside.empty() && inside.front() == '-') return reject("deleting keys is not supported");
    std::string path;
    if (!parseKeyPath(inside, path)) {
      return reject("only named keys below HKEY_CURRENT_USER can be kept");
    }
    tree_.makeKey(path);
    currentKey_ = path;
    haveKey_ = true;
    return true;
  }

  bool parseValue(std::string_view rest) {
    if (!haveKey_) return reject("a value outside any key");
    std::string name;
    if (rest.front() == '@') {
      rest.remove_prefix(1);
    } else {
      rest.remove_prefix(1);
      if (!readQuoted(rest, name)) return reject("a value name without its closing quote");
    }
    rest = trimmed(rest);
    if (rest.empty() || rest.front() != '=') return reject("'=' expected after the value name");
    rest = trimmed(rest.substr(1));

    std::uint32_t type = 0;
    std::vector<unsigned char> data;
    if (!parseData(rest, type, data)) return false;
    tree_.findKey(currentKey_)->setValue(name, type, std::move(data));
    return true;
  }

  bool parseData(std::string_view rest, std::uint32_t& type, std::vector<unsigned char>& data) {
    if (!rest.empty() && rest.front() == '"') {
      rest.remove_prefix(1);
      std::string text;
      if (!readQuoted(rest, text)) return reject("a string without its closing quote");
      if (!trimmed(rest).empty()) return reject("text after a string value");
      type = kRegSz;
      data.assign(text.begin(), text.end());
      data.push_back(0);
      return true;
    }
    if (startsWithIgnoringAsciiCase(rest, "dword:")) return parseDword(rest.substr(6), type, data);
    if (startsWithIgnoringAsciiCase(rest, "hex:")) {
      type = kRegBinary;
      return parseHexData(rest.substr(4), data);
    }
    if (startsWithIgnoringAsciiCase(rest, "hex(")) {
      const std::size_t close = rest.find(')');
      if (close == std::string_view::npos || close == 4 || close > 12 ||
          rest.substr(close + 1, 1) != ":") {
        return reject("a malformed hex(N): type");
      }
      std::uint32_t number = 0;
      for (char c : rest.substr(4, close - 4)) {
        const int digit = hexDigit(c);
        if (digit < 0) return reject("a malformed hex(N): type");
        number = number * 16 + static_cast<std::uint32_t>(digit);
      }
      type = number;
      return parseHexData(rest.substr(close + 2), data);
    }
    if (rest == "-") return reject("deleting values is not supported");
    return reject("an unknown kind of value");
  }

  bool parseDword(std::string_view digits, std::uint32_t& type, std::vector<unsigned char>& data) {
    digits = trimmed(digits);
    if (digits.empty() || digits.size() > 8) return reject("a dword needs 1 to 8 hex digits");
    std::uint32_t value = 0;
    for (char c : digits) {
      const int digit = hexDigit(c);
      if (digit < 0) return reject("a dword needs 1 to 8 hex digits");
      value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    type = kRegDword;  // stored little-endian, as Windows does
    data = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
            static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    return true;
  }

  // Joins the "\"-continued lines of a hex list, then reads its bytes.
  bool parseHexData(std::string_view first, std::vector<unsigned char>& data) {
    std::string list(trimmed(first));
    while (!list.empty() && list.back() == '\\') {
      list.pop_back();
      std::string_view next;
      if (!lines_.next(next)) return reject("a hex list continues past the end of the file");
      list += trimmed(next);
    }
    if (!parseHexList(list, data)) return reject("a malformed hex list");
    return true;
  }

  LineReader lines_;
  RegistryTree& tree_;
  std::string currentKey_;
  bool haveKey_ = false;
  std::string problem_;
};

void appendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
}

// True when the bytes are a text that a quoted string keeps exactly: printable bytes, then
// the one NUL that ends them. A line break or a control byte would not survive as text.
bool isPlainString(const std::vector<unsigned char>& data) {
  if (data.empty() || data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < data.size(); ++i) {
    if (data[i] < 0x20 || data[i] == 0x7F) return false;
  }
  return true;
}

// The number in lower-case hex digits, at least minDigits of them.
std::string hexNumber(std::uint32_t number, int minDigits) {
  std::string digits;
  for (int i = 0; number != 0 || i < minDigits; ++i, number >>= 4) {
    digits.insert(digits.begin(), "0123456789abcdef"[number & 0x0F]);
  }
  return digits;
}

void appendHexData(std::string& out, std::size_t column, const std::vector<unsigned char>& data) {
  static const char kDigits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < data.size(); ++i) {
    const std::size_t width = i + 1 < data.size() ? 3 : 2;
    if (i > 0 && column + width > kHexLineLimit) {
      out += '\\';
      out += kLineEnd;
      out += "  ";
      column = 2;
    }
    out += kDigits[data[i] >> 4];
    out += kDigits[data[i] & 0x0F];
    if (width == 3) out += ',';
    column += width;
  }
}

void appendValue(std::string& out, const RegistryTreeValue& value) {
  const std::size_t lineStart = out.size();
  if (value.name.empty()) {
    out += '@';
  } else {
    appendQuoted(out, value.name);
  }
  out += '=';
  if (value.type == kRegSz && isPlainString(value.data)) {
    appendQuoted(out, std::string_view(reinterpret_cast<const char*>(value.data.data()),
                                       value.data.size() - 1));
  } else if (value.type == kRegDword && value.data.size() == 4) {
    const std::uint32_t number = value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                                 static_cast<std::uint32_t>(value.data[3]) << 24;
    out += "dword:" + hexNumber(number, 8);
  } else {
    out +=
        value.type == kRegBinary ? std::string("hex:") : "hex(" + hexNumber(value.type, 1) + "):";
    appendHexData(out, out.size() - lineStart, value.data);
  }
  out += kLineEnd;
}

}  // namespace

RegistryTreeValue* RegistryTreeKey::findValue(std::string_view name) {
  for (auto& value : values) {
    if (equalsIgnoringAsciiCase(value.name, name)) return &value;
  }
  return nullptr;
}

void RegistryTreeKey::setValue(std::string_view name, std::uint32_t type,
                               std::vector<unsigned char> data) {
  if (RegistryTreeValue* existing = findValue(name)) {
    existing->type = type;
    existing->data = std::move(data);
    return;
  }
  values.push_back({std::string(name), type, std::move(data)});
}

RegistryTreeKey* RegistryTree::findKey(std::string_view path) {
  for (auto& key : keys) {
    if (equalsIgnoringAsciiCase(key.path, path)) return &key;
  }
  return nullptr;
}

RegistryTreeKey& RegistryTree::makeKey(std::string_view path) {
  if (RegistryTreeKey* existing = findKey(path)) return *existing;
  std::string spelled(path);
  const std::size_t cut = path.rfind('\\');
  if (cut != std::string_view::npos) {
    // Written below the parent as the parent is spelled, so the file names each key one way.
    const std::string parent = makeKey(path.substr(0, cut)).path;
    spelled = parent + std::string(path.substr(cut));
  }
  if (spelled.empty()) {
    keys.insert(keys.begin(), RegistryTreeKey{});  // the root comes before every other key
    return keys.front();
  }
  keys.push_back({std::move(spelled), {}});
  return keys.back();
}

bool parseRegistryText(std::string_view text, RegistryTree& tree, std::string& error) {
  tree.keys.clear();
  Parser parser(text, tree);
  return parser.run(error);
}

std::string formatRegistryText(const RegistryTree& tree) {
  std::string out(kHeader4);
  out += kLineEnd;
  for (const auto& key : tree.keys) {
    out += kLineEnd;
    out += '[';
    out += kRootName;
    if (!key.path.empty()) {
      out += '\\';
      out += key.path;
    }
    out += ']';
    out += kLineEnd;
    for (const auto& value : key.values) appendValue(out, value);
  }
  out += kLineEnd;
  return out;
}

}  // namespace quillet
