#include "base/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <random>

#include "base/file_io.h"

namespace quillet {

// Random bits from the system, mixed with a count of the names this process has made.
std::string uniqueFileToken() {
  static std::atomic<std::uint32_t> made{0};
  std::uint64_t bits = made.fetch_add(1) * 0x9E3779B97F4A7C15ull;
  try {
    std::random_device device;
    bits ^= (std::uint64_t{device()} << 32) ^ device();
  } catch (...) {
    // No random source: the count keeps this process's names apart.
  }
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuv";
  std::string token;
  for (int i = 0; i < 10; ++i, bits >>= 5) token += kDigits[bits & 31];
  return token;
}

namespace {

// A device or a pipe (/dev/null, a FIFO) named as the target is written directly: there is
// no file there to keep whole, and a scratch file moved over it would replace the device
// with a plain file.
bool isDeviceOrPipe(const std::string& path) {
  std::error_code error;
  using std::filesystem::file_type;
  const file_type type = std::filesystem::status(path, error).type();
  return type == file_type::character || type == file_type::block || type == file_type::fifo ||
         type == file_type::socket;
}

}  // namespace

ScratchFile::ScratchFile(std::string target) : target_(std::move(target)) {
  if (isDeviceOrPipe(target_)) {
    direct_ = true;
    scratch_ = target_;
    errno = 0;
    stream_ = createFile(target_.c_str(), "wb");
    error_ = stream_ == nullptr ? (errno != 0 ? errno : EIO) : 0;
    if (stream_ == nullptr) done_ = true;
    return;
  }
  for (int attempt = 0; attempt < 8 && stream_ == nullptr; ++attempt) {
    scratch_ = target_ + "." + uniqueFileToken() + ".part";
    // Registered before it is made, so that an interrupt cannot find it made and not yet
    // registered, and leave it behind. A name found taken is let go at once: with ten
    // random characters in it, it is no file of the user's.
    cleanup_.track(scratch_.c_str());
    errno = 0;
    // "x": fails when the name exists (C11); runtimes without it ignore the letter.
    stream_ = createFile(scratch_.c_str(), "wbx");
    error_ = stream_ == nullptr ? (errno != 0 ? errno : EIO) : 0;
    if (stream_ == nullptr) cleanup_.release();
    if (error_ != EEXIST) break;
  }
  if (stream_ == nullptr) done_ = true;  // nothing of ours to remove
}

ScratchFile::~ScratchFile() { discard(); }

bool ScratchFile::failed(int error) {
  if (error_ == 0) error_ = error != 0 ? error : EIO;
  return false;
}

bool ScratchFile::write(const void* bytes, std::size_t size) {
  if (stream_ == nullptr) return failed(EBADF);
  return writeToFile(stream_, bytes, size) || failed(errno);
}

bool ScratchFile::closeStream() {
  if (stream_ == nullptr) return error_ == 0;
  const bool ok = closeFile(stream_);
  stream_ = nullptr;
  return ok || failed(errno);
}

bool ScratchFile::commit() {
  if (done_) return false;
  if (stream_ != nullptr && std::ferror(stream_) != 0) failed(EIO);
  if (!closeStream() || error_ != 0 ||
      (!direct_ && !replaceFile(scratch_, target_) && !failed(errno))) {
    discard();
    return false;
  }
  cleanup_.release();  // after the move: an interrupt before it still removes the scratch
  done_ = true;
  return true;
}

void ScratchFile::discard() {
  const int error = errno;
  if (stream_ != nullptr) closeFile(stream_);
  stream_ = nullptr;
  if (!done_ && !direct_) std::remove(scratch_.c_str());
  cleanup_.release();
  done_ = true;
  errno = error;
}

bool replaceFile(const std::string& from, const std::string& to) {
  if (renameFile(from.c_str(), to.c_str())) return true;
  const int error = errno;
  // Windows renames only onto a free name ("File exists"); any other refusal stands, and
  // the file at `to` is left alone.
  if (error != EEXIST || std::remove(to.c_str()) != 0) {
    errno = error;
    return false;
  }
  return renameFile(from.c_str(), to.c_str());
}

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
  ScratchFile file(path);
  if (file.stream() == nullptr) return false;
  if (!file.write(bytes.data(), bytes.size()) || !file.commit()) {
    errno = file.error();
    return false;
  }
  return true;
}

}  // namespace quillet
