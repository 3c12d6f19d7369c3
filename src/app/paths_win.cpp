#include "app/paths.h"

#include <windows.h>

#include <vector>

std::wstring GetExeDir() {
  // A module path longer than MAX_PATH is read again into a larger buffer:
  // a cut-off path would name some other folder for the cache and the store.
  constexpr DWORD kLongestNtPath = 32768;
  std::vector<wchar_t> buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
    if (length < size || size >= kLongestNtPath)
      return ExeDirFromPath(std::wstring(buffer.data(), length < size ? length : size));
    buffer.assign(size * 2, L'\0');
  }
}
