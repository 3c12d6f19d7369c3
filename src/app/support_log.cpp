#include "app/support_log.h"

#include <cstdio>

namespace {

constexpr std::wstring_view kTypeSwitch = L"--type=";

bool EndsToken(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

bool HasSupportLogSwitch(const std::vector<std::wstring>& args) {
  for (const std::wstring& arg : args)
    if (arg == kSupportLogSwitch)
      return true;
  return false;
}

std::string ProcessTypeOf(const std::vector<std::wstring>& args) {
  for (const std::wstring& arg : args) {
    if (arg.compare(0, kTypeSwitch.size(), kTypeSwitch) != 0)
      continue;
    std::string type;
    for (const wchar_t c : std::wstring_view(arg).substr(kTypeSwitch.size())) {
      const bool plain = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
                         (c >= L'0' && c <= L'9') || c == L'-';
      type += plain ? static_cast<char>(c) : '?';
    }
    return type;
  }
  return "browser";
}

std::string SafeForLog(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t mark = text.find("://", at);
    if (mark == std::string_view::npos) {
      out.append(text.substr(at));
      break;
    }
    std::size_t end = mark + 3;
    while (end < text.size() && !EndsToken(text[end]))
      ++end;
    out.append(text.substr(at, mark + 3 - at));
    std::string_view rest = text.substr(mark + 3, end - mark - 3);
    const std::size_t authorityEnd = rest.find_first_of("/?#");
    const std::size_t userEnd = rest.substr(0, authorityEnd).rfind('@');
    if (userEnd != std::string_view::npos)
      rest.remove_prefix(userEnd + 1);
    const std::size_t secret = rest.find_first_of("?#");
    out.append(rest.substr(0, secret));
    if (secret != std::string_view::npos)
      out.append(rest[secret] == '?' ? "?..." : "#...");
    at = end;
  }
  return out;
}

std::string SupportLogLine(const LogTime& time, std::string_view processType,
                           std::uint32_t processId, std::string_view traceLine) {
  char stamp[48];
  std::snprintf(stamp, sizeof(stamp), "%04d-%02d-%02d %02d:%02d:%02d.%03d", time.year, time.month,
                time.day, time.hour, time.minute, time.second, time.millisecond);
  std::string oneLine(traceLine);
  for (char& c : oneLine)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      c = ' ';
  std::string line = stamp;
  line += " [";
  line += processType;
  line += ' ';
  line += std::to_string(processId);
  line += "] ";
  line += SafeForLog(oneLine);
  line += "\r\n";
  return line;
}
