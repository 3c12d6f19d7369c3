#include "win_error.h"

#include <windows.h>

#include "utf_convert.h"

namespace e2e {

std::string LastErrorText() {
  return ErrorText(::GetLastError());
}

std::string ErrorText(unsigned long code) {
  wchar_t buffer[512] = {};
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, buffer, ARRAYSIZE(buffer), nullptr);
  std::wstring text(buffer, length);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' ||
                           text.back() == L' ' || text.back() == L'.'))
    text.pop_back();
  std::string result = "error " + std::to_string(code);
  if (!text.empty())
    result += " (" + WideToUtf8(text) + ")";
  return result;
}

}  // namespace e2e
