#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/app_options.h"
#include "app/flow_state.h"
#include "app/options_rules.h"
#include "source/work_text.h"

namespace quillet {

// What the options dialog does when it opens and on Continue, apart from its window.

// The entry of a source kind in the dialog's list: its name with a blank in front
// (" Text File"). REQUIRES: 0 <= sourceType <= 4.
std::string sourceListEntry(std::int32_t sourceType);

// The status line when the clipboard held text: "Clipboard contains %ld characters",
// counting the text as taken (without its CRs).
std::string clipboardStatus(std::int32_t length);

// Takes a source file from the command line: the text after its last blank, when a file
// of that name can be opened for reading, becomes sourcePath, and when it is longer than
// 4 characters its ending sets sourceType (an unknown ending leaves it). Nothing changes
// when the line has no blank, no such file can be read, or the path does not fit
// sourcePath. Returns whether the path was taken.
bool takeCommandLineSource(AppOptions& options, std::string_view commandLine);

// What the dialog shows once opened.
struct OptionsOpening {
  bool clipboardOffered = false;  // " Text Clipboard" is in the list, at position 4
  std::string status;             // the status line; empty keeps the template's text
};

// The opening's work: takes the clipboard's text into the working text, loads the
// options from keyPath in their order, takes a source file from the command line, and
// leaves sourceType naming an entry the list offers: the clipboard without text on it, or
// a number no entry has (a damaged stored value), becomes Text File.
OptionsOpening openOptions(AppOptions& options, WorkText& text, std::string_view commandLine,
                           const char* keyPath);

// What the user set in the dialog when Continue was pressed.
struct OptionsChoice {
  bool showPreview = false;
  bool stripLineBreaks = false;
  bool saveToFile = false;
  bool publicFormat = false;
  std::string_view palmName;    // field 1065
  std::string_view sourcePath;  // field 1060
  int selectedSourceType = 0;   // the position of the selected entry
};

// Continue, up to the output file: takes the choices into the options (an empty name gets
// the next "New Doc NNNN", a name is cut to 32 characters, a path to 259), stores them
// in keyPath in their order and asks the main flow to move on. When saving to a file,
// outputPath is made empty and true returned: the caller asks for the output file, and
// calls outputFileChosen with the answer.
bool acceptOptions(AppOptions& options, FlowState& flow, DocNameGenerator& names,
                   const OptionsChoice& choice, const char* keyPath);

// The end of Continue when saving to a file: without a chosen file the conversion is
// abandoned (the main flow sees cancelRequest before the advanceRequest already made).
void outputFileChosen(FlowState& flow, bool chosen);

}  // namespace quillet
