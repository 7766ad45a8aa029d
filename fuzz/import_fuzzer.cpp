// Any bytes, taken as a database file: the importer must neither crash nor overrun, and
// whatever it returns fits the buffer its header announces.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "format/doc_importer.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  static const std::string path = "/tmp/quillet-import-fuzz-" + std::to_string(getpid()) + ".pdb";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  int messages = 0;
  const ImportedDoc doc =
      importDoc(path.c_str(), [&](std::string_view, std::string_view) { ++messages; });
  if (doc.text) {
    if (messages != 0 || doc.text.get()[doc.length] != '\0') std::abort();
  } else if (messages != 1) {
    std::abort();  // every refusal tells the user once
  }
  return 0;
}
