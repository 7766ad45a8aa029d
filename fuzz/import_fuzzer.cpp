// Any bytes, taken as a database: the importer must neither crash nor overrun, and
// whatever it returns fits the buffer its header announces.
#include <cstdlib>
#include <cstring>
#include <span>

#include "format/doc_importer.h"

using namespace quillet;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const ImportedDoc doc = importDocBytes(std::span<const unsigned char>(data, size));
  if (doc.status == ImportStatus::kImported) {
    if (!doc.text || doc.text.get()[doc.length] != '\0') std::abort();
  } else if (doc.text) {
    std::abort();  // a refusal hands back no text
  }
  return 0;
}
