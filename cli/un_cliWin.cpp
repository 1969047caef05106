// textovrt-cli on Windows: file arguments with wildcards, which cmd.exe hands over unexpanded.
#include "cli/un_cli.h"

#include "base/TextUtils.h"

#include <algorithm>

#include <windows.h>

namespace textovrt {

std::vector<std::string> ExpandFileArgument(const std::string& Argument) {
  const std::u16string pattern = Utf8ToUtf16(Argument);
  const size_t slash = pattern.find_last_of(u"\\/:");
  const size_t nameStart = slash == std::u16string::npos ? 0 : slash + 1;
  // Only the last part may hold wildcards, as in cmd.exe's own commands.
  if (pattern.find_first_of(u"*?", nameStart) == std::u16string::npos) return {Argument};
  const std::u16string folder = pattern.substr(0, nameStart);
  std::vector<std::u16string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileExW(reinterpret_cast<const wchar_t*>(pattern.c_str()),
                                   FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      names.emplace_back(reinterpret_cast<const char16_t*>(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  std::sort(names.begin(), names.end());
  std::vector<std::string> files;
  files.reserve(names.size());
  for (const std::u16string& name : names)
    files.push_back(Utf16ToUtf8(folder + name));
  return files;
}

} // namespace textovrt
