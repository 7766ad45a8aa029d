// compressRecord throughput, in bytes of input per second, record by record, on prose and
// on inputs that stress the search.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "format/doc_compressor.h"
#include "tests/support/generated_text.h"

using namespace quillet;

namespace {

using testing_support::generatedText;
using testing_support::TextKind;

constexpr std::size_t kSize = 1 << 20;

void BM_Compress(benchmark::State& state, TextKind kind) {
  const std::string text = generatedText(kind, kSize);
  std::vector<unsigned char> out(2 * kDocRecordSize);
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (auto _ : state) {
    for (std::size_t at = 0; at < text.size(); at += kDocRecordSize) {
      const std::size_t n = std::min(kDocRecordSize, text.size() - at);
      benchmark::DoNotOptimize(compressRecord(out.data(), bytes + at, n));
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

}  // namespace

BENCHMARK_CAPTURE(BM_Compress, prose, TextKind::kProse)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Compress, random_bytes, TextKind::kRandomBytes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Compress, one_byte_run, TextKind::kOneByteRun)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Compress, spaces, TextKind::kSpaces)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Compress, repeat_at_2047, TextKind::kRepeatAt2047)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Compress, repeat_at_2048, TextKind::kRepeatAt2048)
    ->Unit(benchmark::kMillisecond);
