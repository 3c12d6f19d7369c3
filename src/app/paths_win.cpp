#include "app/paths.h"

#include <windows.h>

std::wstring GetExeDir() {
  return ExeDirFromPath(ReadFullModulePath([](wchar_t* buffer, std::uint32_t size) {
    return static_cast<std::uint32_t>(GetModuleFileNameW(nullptr, buffer, size));
  }));
}
