// buildDoc file to file, and importDoc of the result.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "format/doc_builder.h"
#include "format/doc_importer.h"
#include "tests/support/generated_text.h"

namespace {

namespace fs = std::filesystem;

struct Paths {
  std::string text;
  std::string db;
};

Paths prepare(std::size_t size) {
  const fs::path dir = fs::temp_directory_path() / "quillet-bench";
  fs::create_directories(dir);
  Paths paths{(dir / ("prose-" + std::to_string(size) + ".txt")).string(),
              (dir / ("prose-" + std::to_string(size) + ".pdb")).string()};
  const std::string text = testing_support::proseText(size);
  std::FILE* f = std::fopen(paths.text.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  return paths;
}

void BM_BuildDoc(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const Paths paths = prepare(size);
  for (auto _ : state) {
    char name[40] = "Benchmark";
    if (buildDoc(paths.text.c_str(), paths.db.c_str(), name, false) != kBuildOk) {
      state.SkipWithError("build failed");
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_ImportDoc(benchmark::State& state) {
  const auto size = static_cast<std::size_t>(state.range(0));
  const Paths paths = prepare(size);
  char name[40] = "Benchmark";
  buildDoc(paths.text.c_str(), paths.db.c_str(), name, false);
  for (auto _ : state) {
    const ImportedDoc doc = importDoc(paths.db.c_str(), [](std::string_view, std::string_view) {});
    benchmark::DoNotOptimize(doc.length);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

}  // namespace

BENCHMARK(BM_BuildDoc)->Arg(1 << 20)->Arg(5 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImportDoc)->Arg(5 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();
