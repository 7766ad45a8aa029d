#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "format/message_sink.h"
#include "source/work_text.h"

// Turning each kind of source into working text, and the working text into the file the
// builder reads. Messages for the user go to the sink.

inline constexpr char kLoadErrorCaption[] = "Load Error";
inline constexpr char kCannotFindSource[] = "Cannot find specified source file";
inline constexpr char kCannotAllocateWorkBuffer[] = "Cannot allocate work buffer for file";
inline constexpr char kDocCreationErrorCaption[] = "Doc Creation Error";
inline constexpr char kCannotWriteTemporary[] = "Could not write document to temporary file";

// The fixed names used, in the current folder, when the temporary folder yields no name.
inline constexpr char kFirstTemporaryFallback[] = "tempdoc1.$$$";
inline constexpr char kSecondTemporaryFallback[] = "tempdoc2.$$$";

// A new temporary file's path: a unique file made in the system's temporary folder, or
// fallback when none can be had.
std::string makeTemporaryPath(const char* fallback);

// Takes the clipboard's text, without its CRs (so CR LF becomes LF and a lone CR
// vanishes). Returns whether text was taken; otherwise the working text is unchanged.
bool captureClipboard(WorkText& text);

// Fills the working text from the source: a blank document, a text file, an HTML file
// through the converter, a Doc through the importer, or (kind 4) the text captured from
// the clipboard as it is. Then applies the line-break rule: for HTML always, in its
// HTML form; otherwise when stripLineBreaks is set. False when the load failed (the user
// has been told, except for a blank document that cannot be had).
bool loadSource(WorkText& text, int sourceType, const char* sourcePath, bool stripLineBreaks,
                bool publicFormat, const MessageSink& sink);

// The steps loadSource is made of.
bool loadBlankDoc(WorkText& text);
bool loadTextFile(WorkText& text, const char* sourcePath, const MessageSink& sink);
// Replaces the loaded HTML with the converter's output (CRs removed). When a temporary
// file cannot be made, the raw HTML stays, silently.
bool convertHtmlText(WorkText& text, bool publicFormat, const MessageSink& sink);
bool loadDocFile(WorkText& text, const char* sourcePath, const MessageSink& sink);

// Text bytes already in memory (standard input, say), read by the text-file rules.
bool loadTextBytes(WorkText& text, const char* bytes, std::size_t size, const MessageSink& sink);

// Writes the working text to a new temporary file with every LF stored as CR LF and
// returns its path; the caller deletes the file. On failure the user has been told and
// nothing is left behind.
std::optional<std::string> writeBuildFile(const WorkText& text, const MessageSink& sink);
