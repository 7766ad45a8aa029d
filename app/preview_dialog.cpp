#include "app/preview_dialog.h"

#include <cstdio>

#include "app/options_rules.h"
#include "platform/files.h"

namespace quillet {

const char* previewExplanation(std::int32_t length) {
  if (previewIsEditable(length)) {
    return "Full editable text appears below.\n(Formatting approximates layout on Palm)";
  }
  return "A preview of the first 30k of the document appears below.\n"
         "(Formatting approximates layout on Palm)\n"
         "The full document will be made but is too big to be shown or edited here.\n";
}

std::string_view shownPreviewText(const WorkText& text) {
  const std::string_view whole = text.view();
  return whole.substr(0, static_cast<std::size_t>(kPreviewLimit));
}

std::string previewFileText(const WorkText& text, std::optional<std::string_view> fieldText) {
  if (!previewIsEditable(text.length) || !fieldText) return std::string(text.view());
  std::string saved;
  saved.reserve(fieldText->size());
  for (char c : *fieldText) {
    if (c == '\r') continue;
    if (c == '\n') saved += '\r';
    saved += c;
  }
  return saved;
}

bool writeWholeFile(const char* path, std::string_view bytes) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (written && closed) return true;
  deleteFile(path);
  return false;
}

}  // namespace quillet
