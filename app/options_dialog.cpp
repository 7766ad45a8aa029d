#include "app/options_dialog.h"

#include <cstdio>

#include "app/command_line.h"
#include "base/file_handle.h"
#include "base/fixed_field.h"
#include "source/source_kind.h"
#include "source/source_loading.h"

namespace quillet {

namespace {

// Opened and read from: a folder opens on some systems, but gives nothing to read.
bool canBeRead(const std::string& path) {
  FileHandle file = openFile(path.c_str(), "rb");
  if (!file) return false;
  std::fgetc(file.get());
  return std::ferror(file.get()) == 0;
}

// The highest position in the list: the clipboard's entry is there only with text.
std::int32_t lastListPosition(bool clipboardOffered) {
  return clipboardOffered ? kSourceClipboard : kSourceDocFile;
}

}  // namespace

std::string sourceListEntry(std::int32_t sourceType) {
  return std::string(" ") + sourceTypeName(sourceType);
}

std::string clipboardStatus(std::int32_t length) {
  char status[64];
  std::snprintf(status, sizeof status, "Clipboard contains %ld characters",
                static_cast<long>(length));
  return status;
}

bool takeCommandLineSource(AppOptions& options, std::string_view commandLine) {
  const auto word = lastWord(commandLine);
  if (!word || word->size() >= kPathSize) return false;
  const std::string path(*word);
  if (!canBeRead(path)) return false;
  setFieldText(options.sourcePath, path);
  if (path.size() > 4) options.sourceType = sourceTypeForPath(path, options.sourceType);
  return true;
}

OptionsOpening openOptions(AppOptions& options, WorkText& text, std::string_view commandLine,
                           const char* keyPath) {
  OptionsOpening opening;
  opening.clipboardOffered = captureClipboard(text);
  loadAppOptions(options, keyPath);
  takeCommandLineSource(options, commandLine);
  if (opening.clipboardOffered) opening.status = clipboardStatus(text.length);
  // A kind the list cannot select would be stored back as no kind at all on Continue.
  if (options.sourceType < kSourceBlankDoc ||
      options.sourceType > lastListPosition(opening.clipboardOffered)) {
    options.sourceType = kSourceTextFile;
  }
  return opening;
}

bool acceptOptions(AppOptions& options, FlowState& flow, DocNameGenerator& names,
                   const OptionsChoice& choice, const char* keyPath) {
  options.showPreview = choice.showPreview ? 1 : 0;
  options.stripLineBreaks = choice.stripLineBreaks ? 1 : 0;
  options.saveToFile = choice.saveToFile ? 1 : 0;
  options.publicFormat = choice.publicFormat ? 1 : 0;
  setFieldText(options.palmName, choice.palmName);
  setFieldText(options.sourcePath, choice.sourcePath);
  if (options.palmName[0] == '\0') setFieldText(options.palmName, names.nextName());
  cutPalmName(options.palmName);
  options.sourceType = choice.selectedSourceType;
  storeAppOptions(options, keyPath);
  flow.advanceRequest += 1;
  if (!options.saveToFile) return false;
  options.outputPath[0] = '\0';
  return true;
}

void outputFileChosen(FlowState& flow, bool chosen) {
  if (!chosen) flow.cancelRequest = 1;
}

}  // namespace quillet
