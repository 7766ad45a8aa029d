// Any bytes either parse as a registry file or are refused, without a fault. Whatever
// parses is written out, and that text must parse again and write out the very same:
// nothing read is lost or changed on the way back to the file.
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/registry_text.h"

using namespace quillet;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  RegistryTree tree;
  std::string error;
  if (!parseRegistryText(text, tree, error)) {
    if (error.rfind("line ", 0) != 0) std::abort();
    return 0;
  }
  const std::string written = formatRegistryText(tree);
  RegistryTree again;
  if (!parseRegistryText(written, again, error)) std::abort();
  if (formatRegistryText(again) != written) std::abort();
  return 0;
}
