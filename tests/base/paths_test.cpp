// The path helpers every layer uses.
#include "base/paths.h"

#include <gtest/gtest.h>

#include <tuple>

namespace quillet {
namespace {

TEST(SplitPathTest, DriveFolderBaseNameAndExtension) {
  const struct {
    const char* path;
    SplitPath parts;
  } cases[] = {
      {"book.pdb", {"", "", "book", ".pdb"}},
      {"/a/b.c/d.e.pdb", {"", "/a/b.c/", "d.e", ".pdb"}},
      {"dir/.prc", {"", "dir/", "", ".prc"}},
      {"dir/name.", {"", "dir/", "name", "."}},
      {"dir/", {"", "dir/", "", ""}},
#ifdef _WIN32
      {"C:x.pdb", {"C:", "", "x", ".pdb"}},
      {"C:\\Palm\\a.b/c d.pdb", {"C:", "\\Palm\\a.b/", "c d", ".pdb"}},
#else
      {"C:x.pdb", {"", "", "C:x", ".pdb"}},   {"a\\b.pdb", {"", "", "a\\b", ".pdb"}},
#endif
  };
  for (const auto& [path, want] : cases) {
    const SplitPath got = splitPath(path);
    EXPECT_EQ(std::tie(got.drive, got.folder, got.baseName, got.extension),
              std::tie(want.drive, want.folder, want.baseName, want.extension))
        << path;
  }
}

}  // namespace
}  // namespace quillet
