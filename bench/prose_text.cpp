// Writes generated prose to a file, for the whole-command benchmarks (bench/commands.py):
//
//     prose_text SIZE SEED FILE
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/generated_text.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: prose_text SIZE SEED FILE\n");
    return 2;
  }
  const std::string text = quillet::testing_support::proseText(std::strtoull(argv[1], nullptr, 10),
                                                               std::strtoull(argv[2], nullptr, 10));
  std::FILE* file = std::fopen(argv[3], "wb");
  const bool written = file != nullptr &&
                       std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (file == nullptr || std::fclose(file) != 0 || !written) {
    std::perror(argv[3]);
    return 1;
  }
  return 0;
}
