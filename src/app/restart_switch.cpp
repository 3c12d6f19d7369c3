#include "app/restart_switch.h"

#include <limits>

namespace {

bool IsDigit(wchar_t c) {
  return c >= L'0' && c <= L'9';
}

}  // namespace

std::optional<std::uint32_t> RestartSwitchProcessId(std::wstring_view commandLine) {
  const std::wstring_view::size_type at = commandLine.find(kRestartSwitch);
  if (at == std::wstring_view::npos)
    return std::nullopt;
  std::wstring_view rest = commandLine.substr(at + kRestartSwitch.size());
  if (rest.empty() || !IsDigit(rest.front()))
    return std::nullopt;

  constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();
  std::uint32_t value = 0;
  for (; !rest.empty() && IsDigit(rest.front()); rest.remove_prefix(1)) {
    const std::uint32_t digit = static_cast<std::uint32_t>(rest.front() - L'0');
    if (value > (kMax - digit) / 10)
      return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

std::wstring RestartCommandLine(const std::wstring& exePath, std::uint32_t processId) {
  // A Windows file name cannot hold '"', and the program name is read up to
  // the closing quote without any escapes, so quoting alone keeps a path with
  // spaces one argument.
  std::wstring line;
  line.reserve(exePath.size() + kRestartSwitch.size() + 14);
  line += L'"';
  line += exePath;
  line += L"\" ";
  line += kRestartSwitch;
  line += std::to_wstring(processId);
  return line;
}
