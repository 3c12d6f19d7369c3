#include "app/paths.h"

#include <algorithm>
#include <vector>

#include "app/site_url.h"

namespace {

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

}  // namespace

std::wstring JoinPath(const std::wstring& dir, const std::wstring& name) {
  if (dir.empty())
    return name;
  if (IsSeparator(dir.back()))
    return dir + name;
  return dir + L'\\' + name;
}

std::wstring ExeDirFromPath(const std::wstring& modulePath) {
  const std::wstring::size_type pos = modulePath.find_last_of(L"\\/");
  if (pos == std::wstring::npos)
    return L".";
  return modulePath.substr(0, pos);
}

std::wstring ReadFullModulePath(const ModulePathReader& read) {
  constexpr std::uint32_t kFirstSize = 260;        // MAX_PATH
  constexpr std::uint32_t kLongestPath = 32768;    // the NT path limit, in units
  std::vector<wchar_t> buffer(kFirstSize, L'\0');
  for (;;) {
    const std::uint32_t size = static_cast<std::uint32_t>(buffer.size());
    const std::uint32_t length = read(buffer.data(), size);
    if (length < size || size >= kLongestPath) {
      const wchar_t* begin = buffer.data();
      return std::wstring(begin, std::find(begin, begin + std::min(length, size), L'\0'));
    }
    buffer.assign(static_cast<std::size_t>(size) * 2, L'\0');
  }
}

std::string SiteHostOf(const std::string& url) {
  // The same derivation the build checks the start URL with (site_url.h).
  return std::string(SiteHostPart(url));
}
