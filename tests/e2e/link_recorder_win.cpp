// Stands in for the system's web browser in the bridge tests: registered as
// the handler of https links in the test's Wine prefix, it appends each link
// it is started with, as a UTF-8 line, to the file that ZLM_LINK_RECORD names.

#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
  wchar_t path[MAX_PATH * 2] = {};
  const DWORD length = GetEnvironmentVariableW(L"ZLM_LINK_RECORD", path, MAX_PATH * 2);
  if (length == 0 || length >= MAX_PATH * 2)
    return 2;
  std::string lines;
  for (int i = 1; i < argc; ++i) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
      continue;
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, &utf8[0], size, nullptr, nullptr);
    utf8.resize(static_cast<std::size_t>(size) - 1);
    lines += utf8 + "\n";
  }
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 3;
  DWORD written = 0;
  WriteFile(file, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
  CloseHandle(file);
  return 0;
}
