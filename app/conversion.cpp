#include "app/conversion.h"

#include <cstdio>

#include "format/doc_builder.h"
#include "source/line_breaks.h"

namespace quillet {

LoadStatus loadBook(WorkText& text, const BookSource& source) {
  return loadSource(text, source.sourceType, source.path.c_str(), source.stripLineBreaks,
                    source.publicFormat);
}

MakeStatus makeBook(WorkText& text, std::string& outputPath, char* palmName, bool publicFormat) {
  removeCarriageReturns(text);
  const std::optional<std::string> buildFile = writeBuildFile(text);
  if (!buildFile) return MakeStatus::kNoBuildFile;
  if (outputPath.empty()) outputPath = makeTemporaryPath(kSecondTemporaryFallback);
  const int built = buildDoc(buildFile->c_str(), outputPath.c_str(), palmName, publicFormat);
  std::remove(buildFile->c_str());
  return built == kBuildOk ? MakeStatus::kMade : MakeStatus::kNotBuilt;
}

LoadStatus loadBookInPlace(WorkText& text, const BookSource& source, DocSourceFacts* facts,
                           const SourceReading& reading) {
  return loadSourceInPlace(text, source.sourceType, source.stripLineBreaks, source.publicFormat,
                           facts, reading);
}

void makeStoredText(WorkText& text) {
  removeCarriageReturns(text);
  if (text.hasText()) {
    setWorkTextLength(text, toStoredText(text.buffer.get(), static_cast<std::size_t>(text.length)));
  }
}

}  // namespace quillet
