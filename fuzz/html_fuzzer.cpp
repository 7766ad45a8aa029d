// Any bytes convert without a fault, in both forms, with and without the title search.
// Beyond that, two properties that hold for every input:
// - the search for a title changes nothing when the page holds no "<TITLE" in any case;
// - without any '<' there are no tags, so both forms give the same text, the plain one
//   followed by its three-byte trailer.
#include <cstdlib>
#include <string>
#include <string_view>

#include "source/html_converter.h"

using namespace quillet;

namespace {

bool containsTitleStart(std::string_view html) {
  constexpr std::string_view kTitle = "<title";
  for (std::size_t at = html.find('<'); at != std::string_view::npos; at = html.find('<', at + 1)) {
    if (html.size() - at < kTitle.size()) return false;
    std::size_t i = 1;
    while (i < kTitle.size() && (html[at + i] | 0x20) == kTitle[i]) ++i;
    if (i == kTitle.size()) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string_view html(reinterpret_cast<const char*>(data), size);
  const std::string markup = convertHtmlToString(html, false, true);
  const std::string plain = convertHtmlToString(html, true, true);
  if (!plain.ends_with(kPlainTrailer)) std::abort();
  if (!containsTitleStart(html)) {
    if (convertHtmlToString(html, false, false) != markup) std::abort();
    if (convertHtmlToString(html, true, false) != plain) std::abort();
  }
  if (html.find('<') == std::string_view::npos && markup + std::string(kPlainTrailer) != plain) {
    std::abort();
  }
  return 0;
}
