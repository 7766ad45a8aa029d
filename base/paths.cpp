#include "base/paths.h"

namespace quillet {

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

std::string joinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  path += kPathSeparator;
  path += name;
  return path;
}

SplitPath splitPath(std::string_view path) {
  SplitPath parts;
  if (kWindowsPaths && path.size() >= 2 && path[1] == ':') {
    parts.drive = path.substr(0, 2);
    path.remove_prefix(2);
  }
  std::size_t nameStart = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (isPathSeparator(path[i])) nameStart = i + 1;
  }
  parts.folder = path.substr(0, nameStart);
  const std::string_view name = path.substr(nameStart);
  const std::size_t dot = name.rfind('.');
  parts.baseName = name.substr(0, dot);
  if (dot != std::string_view::npos) parts.extension = name.substr(dot);
  return parts;
}

std::string siblingPath(std::string_view path, std::string_view name) {
  std::string result = folderOf(path);
  result += name;
  return result;
}

}  // namespace quillet
