#include "source/source_kind.h"

namespace {

bool endsWithIgnoringCase(std::string_view text, std::string_view ending) {
  if (text.size() < ending.size()) return false;
  const std::string_view tail = text.substr(text.size() - ending.size());
  for (std::size_t i = 0; i < ending.size(); ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != ending[i]) return false;
  }
  return true;
}

}  // namespace

int sourceTypeForPath(std::string_view path, int current) {
  if (path.size() <= 4) return current;
  if (endsWithIgnoringCase(path, ".txt") || endsWithIgnoringCase(path, ".text")) {
    return kSourceTextFile;
  }
  if (endsWithIgnoringCase(path, ".htm") || endsWithIgnoringCase(path, ".html")) {
    return kSourceHtmlFile;
  }
  if (endsWithIgnoringCase(path, ".prc") || endsWithIgnoringCase(path, ".pdb")) {
    return kSourceDocFile;
  }
  return current;
}
