// A scratch file is removed on an interrupt for exactly as long as it is ours and unfinished.
#include "base/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/cleanup.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> gToRemove;

// The paths an interrupt now would remove.
std::vector<std::string> removedOnInterrupt() {
  gToRemove.clear();
  forEachFileToCleanUp([](const char* path) { gToRemove.emplace_back(path); });
  return gToRemove;
}

TEST(ScratchFileTest, IsRemovedOnAnInterruptWhileItIsOpenAndNeitherBeforeNorAfter) {
  const fs::path folder = fs::temp_directory_path() / ("quillet-scratch-" + uniqueFileToken());
  fs::create_directory(folder);
  const std::string target = (folder / "book.pdb").string();
  {
    ScratchFile scratch(target);
    ASSERT_NE(scratch.stream(), nullptr);
    const std::vector<std::string> open = removedOnInterrupt();
    ASSERT_EQ(open.size(), 1u);
    EXPECT_TRUE(fs::exists(open[0]));
    EXPECT_EQ(open[0].rfind(target + ".", 0), 0u) << open[0];
    ASSERT_TRUE(scratch.commit());
    EXPECT_TRUE(removedOnInterrupt().empty());
  }
  {
    ScratchFile scratch(target);
    ASSERT_NE(scratch.stream(), nullptr);
    scratch.discard();
    EXPECT_TRUE(removedOnInterrupt().empty());
  }
  // A scratch file that could not be made leaves no name behind for an interrupt to remove.
  ScratchFile nowhere((folder / "missing" / "book.pdb").string());
  EXPECT_EQ(nowhere.stream(), nullptr);
  EXPECT_TRUE(removedOnInterrupt().empty());
  EXPECT_TRUE(fs::exists(target));
  fs::remove_all(folder);
}

}  // namespace
}  // namespace quillet
