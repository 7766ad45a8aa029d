#include "platform/win32/windows_api.h"

#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/system.h"

namespace quillet {

char* allocateInLargePages(std::size_t bytes) { return static_cast<char*>(std::malloc(bytes)); }

void keepFreedMemoryForReuse() {}  // left to the Windows heap's own policy

void sleepMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

std::string wholeCommandLine() { return GetCommandLineA(); }

std::vector<std::string> utf8Arguments() {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  if (words == nullptr) return arguments;
  for (int i = 0; i < count; ++i) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, words[i], -1, nullptr, 0, nullptr, nullptr);
    std::string word(size > 0 ? static_cast<std::size_t>(size) : 1, '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, words[i], -1, word.data(), size, nullptr, nullptr);
    word.resize(word.size() - 1);  // the terminating NUL
    arguments.push_back(std::move(word));
  }
  LocalFree(words);
  return arguments;
}

void setCommandLineArguments(int, const char* const*) {}  // the system keeps the line

}  // namespace quillet
