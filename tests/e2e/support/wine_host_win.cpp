#include "wine_host.h"

#include <windows.h>

#include "utf_convert.h"

namespace e2e {

namespace {

using UnixFileNameFunction = char* (*)(const wchar_t*);

UnixFileNameFunction UnixFileName() {
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (!kernel)
    return nullptr;
  return reinterpret_cast<UnixFileNameFunction>(reinterpret_cast<void*>(
      ::GetProcAddress(kernel, "wine_get_unix_file_name")));
}

std::wstring Quoted(const std::string& argument) {
  return L"\"" + Utf8ToWide(argument) + L"\"";
}

}  // namespace

bool RunningUnderWine() {
  return UnixFileName() != nullptr;
}

std::optional<std::string> HostPathOf(const std::wstring& path) {
  const UnixFileNameFunction convert = UnixFileName();
  if (!convert)
    return std::nullopt;
  char* host = convert(path.c_str());
  if (!host)
    return std::nullopt;
  std::string result(host);
  ::HeapFree(::GetProcessHeap(), 0, host);
  return result;
}

bool RunHostProgram(const std::vector<std::string>& arguments) {
  if (!RunningUnderWine() || arguments.empty())
    return false;
  // Wine starts a host executable named by a drive path as a host
  // process; drive Z: is the host's root.
  std::wstring program = L"Z:" + Utf8ToWide(arguments[0]);
  for (wchar_t& c : program) {
    if (c == L'/')
      c = L'\\';
  }
  std::wstring command_line = L"\"" + program + L"\"";
  for (size_t i = 1; i < arguments.size(); ++i)
    command_line += L" " + Quoted(arguments[i]);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessW(nullptr, &command_line[0], nullptr, nullptr, FALSE, 0,
                       nullptr, nullptr, &startup, &info))
    return false;
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  return true;
}

}  // namespace e2e
