#include "app/options_rules.h"

#include <cstdio>
#include <cstring>

#include "format/pdb_writer.h"
#include "source/source_kind.h"

namespace quillet {

int DocNameGenerator::next() {
  state_ = state_ * 214013u + 2531011u;
  return static_cast<int>((state_ >> 16) & 0x7FFF);
}

std::string DocNameGenerator::nextName() {
  char name[16];
  std::snprintf(name, sizeof name, "New Doc %04ld", static_cast<long>(next() % 10000));
  return name;
}

int sourceTypeAfterBrowse(std::string_view path, int current) {
  if (path.size() <= 4) return current;
  const int type = sourceTypeForPath(path, current);
  return type == kSourceBlankDoc ? kSourceTextFile : type;
}

int browseFilterIndex(int selectedSourceType) {
  if (selectedSourceType == kSourceHtmlFile) return 2;
  if (selectedSourceType == kSourceDocFile) return 3;
  return 1;
}

void cutPalmName(char* palmName) {
  if (std::strlen(palmName) > kPdbNameSize) palmName[kPdbNameSize] = '\0';
}

}  // namespace quillet
