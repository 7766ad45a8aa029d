// compressRecord throughput, in bytes of input per second, record by record.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "format/doc_compressor.h"
#include "tests/support/generated_text.h"

namespace {

using testing_support::proseText;
using testing_support::TestRandom;

void compressAll(benchmark::State& state, const std::string& text) {
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

std::string randomBytes(std::size_t size) {
  TestRandom random(3);
  std::string text(size, '\0');
  for (auto& c : text) c = static_cast<char>(1 + random.below(255));
  return text;
}

std::string repeatingAt(std::size_t distance, std::size_t size) {
  TestRandom random(distance);
  std::string period(distance, '\0');
  for (auto& c : period) c = static_cast<char>('a' + random.below(26));
  std::string text;
  while (text.size() < size) text += period;
  text.resize(size);
  return text;
}

constexpr std::size_t kSize = 1 << 20;

void BM_CompressProse(benchmark::State& s) { compressAll(s, proseText(kSize)); }
void BM_CompressRandomBytes(benchmark::State& s) { compressAll(s, randomBytes(kSize)); }
void BM_CompressOneByteRun(benchmark::State& s) { compressAll(s, std::string(kSize, 'a')); }
void BM_CompressSpaces(benchmark::State& s) { compressAll(s, std::string(kSize, ' ')); }
void BM_CompressRepeatAt2047(benchmark::State& s) { compressAll(s, repeatingAt(2047, kSize)); }
void BM_CompressRepeatAt2048(benchmark::State& s) { compressAll(s, repeatingAt(2048, kSize)); }

}  // namespace

BENCHMARK(BM_CompressProse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompressRandomBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompressOneByteRun)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompressSpaces)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompressRepeatAt2047)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompressRepeatAt2048)->Unit(benchmark::kMillisecond);
