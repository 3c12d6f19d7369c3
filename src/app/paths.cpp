#include "app/paths.h"

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

std::string SiteHostOf(const std::string& url) {
  std::string rest = url;
  const std::string::size_type scheme = rest.find("://");
  if (scheme != std::string::npos)
    rest.erase(0, scheme + 3);
  const std::string::size_type slash = rest.find('/');
  if (slash != std::string::npos)
    rest.erase(slash);
  return rest;
}
