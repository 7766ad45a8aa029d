// Any bytes, taken as a database: the importer must neither crash nor overrun, whatever it
// returns fits the buffer its header announces, and a text read through a window is the
// same as one read whole.
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
  // Through the smallest window: the same text, handed over in order, and the same damage.
  std::vector<unsigned char> streamed;
  const ImportedDoc through = importDocBytesTo(
      std::span<const unsigned char>(data, size),
      [&](const unsigned char* bytes, std::size_t count) {
        streamed.insert(streamed.end(), bytes, bytes + count);
      },
      nullptr, kSmallestTextWindow);
  if (through.status != doc.status || through.length != doc.length ||
      streamed.size() != doc.length || through.damage != doc.damage ||
      through.bookmarks.size() != doc.bookmarks.size() ||
      (doc.length > 0 && std::memcmp(streamed.data(), doc.text.get(), doc.length) != 0)) {
    std::abort();
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
