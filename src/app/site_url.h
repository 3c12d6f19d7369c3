// The start URL's host, and whether the bridge's origin rule would take the
// game's own pages for the game's. constexpr, so a start URL the bridge would
// refuse stops the build (config.h) instead of shipping a launcher whose page
// can neither move the window nor read its logins.

#ifndef ZLM_APP_SITE_URL_H_
#define ZLM_APP_SITE_URL_H_

#include <string_view>

#include "app/ascii.h"

namespace site_url_detail {

// Plain loops: libstdc++'s string_view::find is not usable in every constant
// expression.
constexpr std::string_view::size_type Find(std::string_view text, std::string_view what) {
  for (std::string_view::size_type i = 0; i + what.size() <= text.size(); ++i) {
    std::string_view::size_type k = 0;
    while (k < what.size() && text[i + k] == what[k])
      ++k;
    if (k == what.size())
      return i;
  }
  return std::string_view::npos;
}

constexpr bool Contains(std::string_view text, char c) {
  for (const char t : text) {
    if (t == c)
      return true;
  }
  return false;
}

}  // namespace site_url_detail

// Host part of a URL: after the first "://" if any, up to the first '/'.
// A port stays attached; the result may be empty.
constexpr std::string_view SiteHostPart(std::string_view url) {
  const std::string_view::size_type scheme = site_url_detail::Find(url, "://");
  if (scheme != std::string_view::npos)
    url.remove_prefix(scheme + 3);
  const std::string_view::size_type slash = site_url_detail::Find(url, "/");
  return slash == std::string_view::npos ? url : url.substr(0, slash);
}

enum class SiteUrlFault {
  kNone,
  kNotHttps,   // the bridge answers https pages only
  kNoHost,
  kUserPart,   // "user@": the host the bridge derives would hold it, the page's never does
  kPort,       // ":port": likewise; Chromium even drops ":443" from the page's URL
  kHostForm,   // not lowercase ASCII letters, digits, '-', '_', '.' (see below)
};

namespace site_url_detail {

constexpr bool StartsWithHttps(std::string_view url) {
  constexpr std::string_view kHttps = "https://";
  if (url.size() < kHttps.size())
    return false;
  for (std::string_view::size_type i = 0; i < kHttps.size(); ++i) {
    if (AsciiLower(url[i]) != kHttps[i])
      return false;
  }
  return true;
}

constexpr bool IsCanonicalHostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
}

}  // namespace site_url_detail

// Why the page at |url| would be refused by the origin rule (IsGameOrigin with
// SiteHostPart(url) as the site host), or kNone. The rule compares the host of
// the page's URL as Chromium writes it with the derived host, so the host must
// already be in that form: Chromium lowercases it, decodes %-escapes, turns
// other names into punycode, ends it at '?', '#' or '\'. A host in that form
// is also found by the case-sensitive test for the embedded page script.
constexpr SiteUrlFault SiteUrlFaultOf(std::string_view url) {
  if (!site_url_detail::StartsWithHttps(url))
    return SiteUrlFault::kNotHttps;
  const std::string_view host = SiteHostPart(url);
  if (host.empty())
    return SiteUrlFault::kNoHost;
  if (site_url_detail::Contains(host, '@'))
    return SiteUrlFault::kUserPart;
  if (site_url_detail::Contains(host, ':'))
    return SiteUrlFault::kPort;
  for (const char c : host) {
    if (!site_url_detail::IsCanonicalHostChar(c))
      return SiteUrlFault::kHostForm;
  }
  return SiteUrlFault::kNone;
}

#endif  // ZLM_APP_SITE_URL_H_
