// HTML conversion throughput, in bytes of page per second, over 5 MB pages held in memory.
#include <benchmark/benchmark.h>

#include <string>

#include "source/html_converter.h"
#include "tests/support/generated_text.h"

using namespace quillet;

namespace {

using testing_support::proseText;
using testing_support::TestRandom;

constexpr std::size_t kPageSize = 5 * 1000 * 1000;

// A page as a site would serve it: a head with a title, style and script, then sections of
// headings, paragraphs with inline tags and references, lists, tables and comments.
std::string generatedPage(std::size_t size) {
  TestRandom random(7);
  const std::string prose = proseText(size, 11);
  std::string page =
      "<!DOCTYPE html>\n<html><head><meta charset=\"windows-1252\">\n"
      "<title>A Generated Page for Measuring the Converter</title>\n"
      "<style>body { margin: 0 } p.note { color: #333 }</style>\n"
      "<script>for (var i = 0; i < 10; i++) { total += i; }</script>\n</head><body>\n";
  std::size_t used = 0;
  auto words = [&](std::size_t n) {
    const std::size_t take = std::min(n, prose.size() - used);
    const std::string piece = prose.substr(used, take);
    used += take;
    return piece;
  };
  while (page.size() < size && used < prose.size()) {
    switch (random.below(8)) {
      case 0:
        page += "<h2>" + words(40) + "</h2>\n";
        break;
      case 1:
        page += "<ul>\n";
        for (unsigned i = 0, n = 2 + random.below(5); i < n; ++i) {
          page += "  <li>" + words(60) + " &amp; more</li>\n";
        }
        page += "</ul>\n";
        break;
      case 2:
        page += "<table class=\"data\">\n";
        for (unsigned r = 0; r < 3; ++r) {
          page += "<tr><td>" + words(12) + "</td><td align=right>&#163;" +
                  std::to_string(random.below(1000)) + "</td></tr>\n";
        }
        page += "</table>\n";
        break;
      case 3:
        page += "<!-- " + words(50) + " -->\n<hr>\n";
        break;
      default:
        page += "<p class=\"note\">" + words(200) + " <b>" + words(20) + "</b> <a href=\"#s" +
                std::to_string(random.below(100)) + "\">caf&eacute;&nbsp;" + words(15) +
                "</a> <i>" + words(30) + "</i>&nbsp;" + words(150) + "</p>\n";
        break;
    }
  }
  return page + "</body></html>\n";
}

void convertPage(benchmark::State& state, const std::string& page, bool publicFormat) {
  for (auto _ : state) {
    std::string text = convertHtmlToString(page, publicFormat, true);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

void BM_ConvertPageMarkup(benchmark::State& s) { convertPage(s, generatedPage(kPageSize), false); }
void BM_ConvertPagePlain(benchmark::State& s) { convertPage(s, generatedPage(kPageSize), true); }
// Running text without tags: every byte goes the ordinary-character way.
void BM_ConvertProse(benchmark::State& s) { convertPage(s, proseText(kPageSize), false); }
// One comment over the whole page: every byte is skipped.
void BM_ConvertOneLongComment(benchmark::State& s) {
  convertPage(s, "<!--" + proseText(kPageSize) + "-->", false);
}
// A title that never closes: the title pass looks for its stop text at every byte.
void BM_ConvertUnclosedTitle(benchmark::State& s) {
  convertPage(s, "<title>" + std::string(kPageSize, '<'), false);
}

}  // namespace

BENCHMARK(BM_ConvertPageMarkup)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertPagePlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertProse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertOneLongComment)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertUnclosedTitle)->Unit(benchmark::kMillisecond);
