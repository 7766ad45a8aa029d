#include "format/file_paths.h"

namespace {

#ifdef _WIN32
constexpr bool kWindowsPaths = true;
#else
constexpr bool kWindowsPaths = false;
#endif

std::size_t fileNameStart(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    const char c = path[i - 1];
    if (isPathSeparator(c) || (kWindowsPaths && c == ':')) return i;
  }
  return 0;
}

}  // namespace

bool isPathSeparator(char c) { return c == '/' || (kWindowsPaths && c == '\\'); }

std::string folderOf(std::string_view path) {
  return std::string(path.substr(0, fileNameStart(path)));
}

std::string_view fileNameOf(std::string_view path) { return path.substr(fileNameStart(path)); }

std::string siblingPath(std::string_view path, std::string_view name) {
  std::string result = folderOf(path);
  result += name;
  return result;
}
