// Records compressed side by side give the database that one thread gives, byte for byte,
// whatever the number of threads; and the pool runs every part once.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "base/thread_pool.h"
#include "format/doc_builder.h"
#include "tests/support/test_support.h"

namespace quillet {

namespace {

using namespace testing_support;

TEST(ParallelBuildTest, AnyNumberOfThreadsGivesTheSameDatabase) {
  struct Case {
    std::size_t size;
    int maxRecords;
  };
  const Case cases[] = {{0, kPdbMaxRecords},    {1, kPdbMaxRecords},    {4095, kPdbMaxRecords},
                        {4096, kPdbMaxRecords}, {4097, kPdbMaxRecords}, {300 * 4096 + 7, kPdbMaxRecords},
                        {40 * 4096, 41},        {40 * 4096 + 1, 41}};  // the limit: full, and one byte past
  ThreadPool pools[] = {ThreadPool(2), ThreadPool(3), ThreadPool(8)};
  for (const Case& test : cases) {
    SCOPED_TRACE(test.size);
    const std::string text = proseText(test.size, test.size);
    DocOptions options;
    options.name = "Threads";
    options.maxRecords = test.maxRecords;
    std::vector<unsigned char> alone;
    const DocBuild one = buildDocBytes(text, options, alone);
    for (ThreadPool& pool : pools) {
      options.pool = &pool;
      std::vector<unsigned char> together;
      const DocBuild many = buildDocBytes(text, options, together);
      EXPECT_EQ(many.status, one.status) << pool.threads() << " threads";
      EXPECT_TRUE(together == alone) << pool.threads() << " threads";
    }
  }
}

TEST(ParallelBuildTest, ThePoolRunsEveryPartOnceAndCanBeUsedAgain) {
  ThreadPool pool(4);
  for (const std::size_t count : {0u, 1u, 3u, 1000u}) {
    std::vector<std::atomic<int>> runs(count);
    pool.parallelFor(count, [&](std::size_t i) { runs[i].fetch_add(1); });
    for (std::size_t i = 0; i < count; ++i) EXPECT_EQ(runs[i].load(), 1) << i;
  }
}

}  // namespace

}  // namespace quillet
