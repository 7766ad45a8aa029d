#include "source/source_kind.h"

#include "base/ascii.h"

namespace quillet {

int sourceTypeForPath(std::string_view path, int current) {
  if (path.size() <= 4) return current;
  if (endsWithIgnoringAsciiCase(path, ".txt") || endsWithIgnoringAsciiCase(path, ".text")) {
    return kSourceTextFile;
  }
  if (endsWithIgnoringAsciiCase(path, ".htm") || endsWithIgnoringAsciiCase(path, ".html")) {
    return kSourceHtmlFile;
  }
  if (endsWithIgnoringAsciiCase(path, ".prc") || endsWithIgnoringAsciiCase(path, ".pdb")) {
    return kSourceDocFile;
  }
  return current;
}

}  // namespace quillet
