// Any bytes, taken as a database: the importer must neither crash nor overrun, and
// whatever it returns fits the buffer its header announces.
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "format/doc_importer.h"

using namespace quillet;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const ImportedDoc doc = importDocBytes(std::span<const unsigned char>(data, size));
  if (doc.status == ImportStatus::kImported) {
    if (!doc.text || doc.text.get()[doc.length] != '\0') std::abort();
  } else if (doc.text) {
    std::abort();  // a refusal hands back no text
  }
  // The same bytes as codes: the builder's check (decodesTo) agrees with the decoder on
  // every stream the decoder takes whole.
  std::vector<unsigned char> decoded(5 * size + 1);
  PalmDocDecoder decoder(decoded.data(), decoded.size());
  decoder.feed(data, size);
  const bool whole = decoder.referencesBeforeText() == 0 && !decoder.insideCode();
  if (decodesTo(data, size, decoded.data(), decoder.length()) != whole) std::abort();
  if (whole && decoder.length() > 0) {
    decoded[decoder.length() / 2] ^= 0x20;
    if (decodesTo(data, size, decoded.data(), decoder.length())) std::abort();
  }
  return 0;
}
