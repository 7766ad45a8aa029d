#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "base/cleanup.h"

namespace quillet {

// A file written under a scratch name beside its target and moved over the target only
// when it is complete, so that the target holds either what it held before or the whole
// new file, never a part. The scratch name is the target's name, a random token and
// ".part"; it is created exclusively where the system allows it, so two writers of one
// target never share a scratch file, and it is removed if the process is interrupted.
// A target that is a device or a pipe (/dev/null, a FIFO) is written directly instead.
class ScratchFile {
 public:
  // Makes the scratch file and opens it for writing in binary mode; stream() is null when
  // it cannot be made (error() says why).
  explicit ScratchFile(std::string target);
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  // Removes the scratch file unless it was committed.
  ~ScratchFile();

  std::FILE* stream() const { return stream_; }
  const std::string& path() const { return scratch_; }
  const std::string& target() const { return target_; }
  // The errno of the first step that failed, else 0.
  int error() const { return error_; }

  // Writes through the stream; false (error() set) when the bytes did not all go.
  bool write(const void* bytes, std::size_t size);

  // Closes the stream, for a writer that writes the scratch file by its path. False when
  // the close reported a failed write.
  bool closeStream();

  // Closes the stream and moves the scratch file over the target. False, with the scratch
  // file removed and the target as it was, when a write, the close or the move failed.
  [[nodiscard]] bool commit();

  // Removes the scratch file now.
  void discard();

 private:
  bool failed(int error);

  std::string target_;
  std::string scratch_;
  std::FILE* stream_ = nullptr;
  CleanupRegistration cleanup_;
  int error_ = 0;
  bool done_ = false;
  bool direct_ = false;  // writing straight to a device or a pipe
};

// Ten letters and digits that no other name made by this process, or likely by any
// other, has: for names of scratch files beside the user's.
std::string uniqueFileToken();

// Renames from over to. Where the system renames only onto a free name (Windows), the old
// file goes first. False when it cannot.
bool replaceFile(const std::string& from, const std::string& to);

// Writes bytes to path through a ScratchFile. False when it cannot; the file at path is then
// as it was, and errno says why.
[[nodiscard]] bool writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace quillet
