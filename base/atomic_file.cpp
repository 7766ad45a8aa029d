#include "base/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <random>

namespace quillet {

namespace {

// A token no other writer picks: random bits from the system, mixed with a count of the
// names this process has made.
std::string scratchToken() {
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

}  // namespace

ScratchFile::ScratchFile(std::string target) : target_(std::move(target)) {
  for (int attempt = 0; attempt < 8 && stream_ == nullptr; ++attempt) {
    scratch_ = target_ + "." + scratchToken() + ".part";
    errno = 0;
    // "x": fails when the name exists (C11); runtimes without it ignore the letter.
    stream_ = std::fopen(scratch_.c_str(), "wbx");
    error_ = stream_ == nullptr ? (errno != 0 ? errno : EIO) : 0;
    if (error_ != EEXIST) break;
  }
  if (stream_ == nullptr) done_ = true;  // nothing of ours to remove
}

ScratchFile::~ScratchFile() { discard(); }

bool ScratchFile::closeStream() {
  if (stream_ == nullptr) return true;
  const bool ok = std::fclose(stream_) == 0;
  stream_ = nullptr;
  return ok;
}

bool ScratchFile::commit() {
  if (done_) return false;
  const bool written = stream_ == nullptr || std::ferror(stream_) == 0;
  if (!closeStream() || !written || !replaceFile(scratch_, target_)) {
    discard();
    return false;
  }
  done_ = true;
  return true;
}

void ScratchFile::discard() {
  closeStream();
  if (done_) return;
  std::remove(scratch_.c_str());
  done_ = true;
}

bool replaceFile(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  std::remove(to.c_str());
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
  ScratchFile file(path);
  if (file.stream() == nullptr) return false;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.stream()) != bytes.size()) {
    return false;
  }
  return file.commit();
}

}  // namespace quillet
