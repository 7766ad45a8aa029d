// buildDoc file to file, and importDoc of the result, on prose and on inputs that stress
// the compressor. Each build also reports the process's peak resident memory so far.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "format/doc_builder.h"
#include "format/doc_importer.h"
#include "tests/support/generated_text.h"

#if __has_include(<sys/resource.h>) && __has_include(<unistd.h>)
#include <sys/resource.h>
#include <unistd.h>
#define QUILLET_BENCH_HAS_RUSAGE 1
#endif

using namespace quillet;

namespace {

namespace fs = std::filesystem;
using testing_support::generatedText;
using testing_support::TextKind;

constexpr std::size_t kMiB = std::size_t{1} << 20;
// Texts larger than this are written in pieces, so that the benchmark itself never holds
// them whole and the peak memory figure is the builder's.
constexpr std::size_t kWholeTextLimit = 8 * kMiB;

fs::path benchFolder() {
#ifdef QUILLET_BENCH_HAS_RUSAGE
  const fs::path dir = fs::temp_directory_path() / ("quillet-bench-" + std::to_string(getpid()));
#else
  const fs::path dir = fs::temp_directory_path() / "quillet-bench";
#endif
  fs::create_directories(dir);
  return dir;
}

// The text file and the database of one benchmark, removed when it ends.
struct BenchFiles {
  BenchFiles(TextKind kind, std::size_t size)
      : text((benchFolder() / (std::string(textKindName(kind)) + ".txt")).string()),
        db((benchFolder() / (std::string(textKindName(kind)) + ".pdb")).string()) {
    std::FILE* f = std::fopen(text.c_str(), "wb");
    if (f == nullptr) return;
    const std::size_t pieceSize = size > kWholeTextLimit ? kMiB : size;
    for (std::size_t at = 0, piece = 1; at < size; at += pieceSize, ++piece) {
      const std::string part = generatedText(kind, std::min(pieceSize, size - at), piece);
      std::fwrite(part.data(), 1, part.size(), f);
    }
    std::fclose(f);
  }
  ~BenchFiles() {
    std::remove(text.c_str());
    std::remove(db.c_str());
    std::error_code ignored;
    fs::remove(benchFolder(), ignored);  // only once it is empty
  }
  BenchFiles(const BenchFiles&) = delete;
  BenchFiles& operator=(const BenchFiles&) = delete;

  std::string text;
  std::string db;
};

double peakResidentMiB() {
#ifdef QUILLET_BENCH_HAS_RUSAGE
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // reported in KiB
#else
  return 0;
#endif
}

void BM_BuildDoc(benchmark::State& state, TextKind kind) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const BenchFiles files(kind, size);
  for (auto _ : state) {
    char name[40] = "Benchmark";
    if (buildDoc(files.text.c_str(), files.db.c_str(), name, false) != kBuildOk) {
      state.SkipWithError("build failed");
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
  state.counters["peak_rss_MiB"] = peakResidentMiB();
}

void BM_ImportDoc(benchmark::State& state, TextKind kind) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const BenchFiles files(kind, size);
  char name[40] = "Benchmark";
  if (buildDoc(files.text.c_str(), files.db.c_str(), name, false) != kBuildOk) {
    state.SkipWithError("build failed");
    return;
  }
  for (auto _ : state) {
    const ImportedDoc doc = importDoc(files.db.c_str());
    benchmark::DoNotOptimize(doc.length);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

// The in-memory build quillet makes, with and without reading each record back.
void BM_WriteDoc(benchmark::State& state, TextKind kind) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const std::string text = generatedText(kind, size);
  DocOptions options;
  options.name = "Benchmark";
  options.verify = state.range(1) != 0;
  std::vector<unsigned char> database;
  database.reserve(size);
  for (auto _ : state) {
    if (buildDocBytes(text, options, database).status != DocBuildStatus::kBuilt) {
      state.SkipWithError("build failed");
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

}  // namespace

BENCHMARK_CAPTURE(BM_WriteDoc, prose, TextKind::kProse)
    ->ArgNames({"bytes", "verify"})
    ->Args({5 << 20, 0})
    ->Args({5 << 20, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_BuildDoc, prose, TextKind::kProse)
    ->Arg(1 << 20)
    ->Arg(5 << 20)
    ->Arg(50 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_BuildDoc, random_bytes, TextKind::kRandomBytes)
    ->Arg(5 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_BuildDoc, one_byte_run, TextKind::kOneByteRun)
    ->Arg(5 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_BuildDoc, spaces, TextKind::kSpaces)
    ->Arg(5 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_BuildDoc, repeat_at_2047, TextKind::kRepeatAt2047)
    ->Arg(5 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_BuildDoc, repeat_at_2048, TextKind::kRepeatAt2048)
    ->Arg(5 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_CAPTURE(BM_ImportDoc, prose, TextKind::kProse)
    ->Arg(5 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ImportDoc, random_bytes, TextKind::kRandomBytes)
    ->Arg(5 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ImportDoc, one_byte_run, TextKind::kOneByteRun)
    ->Arg(5 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ImportDoc, spaces, TextKind::kSpaces)
    ->Arg(5 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ImportDoc, repeat_at_2047, TextKind::kRepeatAt2047)
    ->Arg(5 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ImportDoc, repeat_at_2048, TextKind::kRepeatAt2048)
    ->Arg(5 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
