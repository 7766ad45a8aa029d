// Compression must succeed and round trip: any record of up to 4096 bytes (without NUL,
// which the builder never passes) decodes back to itself, in at most twice its size, and
// its bytes are those of the compressor that scans the window for every search.
#include <cstdlib>
#include <cstring>

#include "format/doc_compressor.h"
#include "format/doc_importer.h"
#include "tests/format/scan_compressor_reference.h"

using namespace quillet;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  unsigned char input[kDocRecordSize];
  std::size_t n = 0;
  for (std::size_t i = 0; i < size && n < kDocRecordSize; ++i) {
    if (data[i] != 0) input[n++] = data[i];
  }
  unsigned char packed[2 * kDocRecordSize];
  const std::size_t packedSize = compressRecord(packed, input, n);
  if (packedSize > 2 * n) std::abort();
  unsigned char back[kDocRecordSize];
  const std::size_t backSize = decodePalmDoc(packed, packedSize, back, sizeof back);
  if (backSize != n || std::memcmp(back, input, n) != 0) std::abort();
  unsigned char scanned[2 * kDocRecordSize];
  const std::size_t scannedSize = reference::compressRecordByScan(scanned, input, n);
  if (scannedSize != packedSize || std::memcmp(scanned, packed, packedSize) != 0) std::abort();
  return 0;
}
