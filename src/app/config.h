// Fixed configuration of the launcher. Everything is decided at build time:
// there is no configuration file, registry value or environment variable.

#ifndef ZLM_APP_CONFIG_H_
#define ZLM_APP_CONFIG_H_

#include "app/site_url.h"
#include "product_config.h"

// UTF-8 throughout; converted to UTF-16 where a Windows or CEF call needs it.
inline constexpr char kSiteUrl[] = ZLM_SITE_URL;
// The bridge answers only pages of kSiteUrl's origin (IsGameOrigin); a start
// URL it would refuse leaves the game without window, logins or presence.
// CMakeLists.txt compiles these at configure time to name the value.
static_assert(SiteUrlFaultOf(kSiteUrl) != SiteUrlFault::kNotHttps,
              "ZLM_SITE_URL must begin with https://");
static_assert(SiteUrlFaultOf(kSiteUrl) != SiteUrlFault::kNoHost,
              "ZLM_SITE_URL has no host after https://");
static_assert(SiteUrlFaultOf(kSiteUrl) != SiteUrlFault::kUserPart,
              "ZLM_SITE_URL must not carry a user part (user@)");
static_assert(SiteUrlFaultOf(kSiteUrl) != SiteUrlFault::kPort,
              "ZLM_SITE_URL must not carry a port, not even :443");
static_assert(SiteUrlFaultOf(kSiteUrl) != SiteUrlFault::kHostForm,
              "ZLM_SITE_URL's host must be lowercase ASCII letters, digits, '-', '_' and '.', "
              "followed by '/' or the end");
static_assert(SiteUrlFaultOf(kSiteUrl) == SiteUrlFault::kNone, "ZLM_SITE_URL is refused");

// Further origins in the Flash plug-in's allow list besides the site's (a
// content host of the SWF files), null-ended; each under the site URL's rules.
inline constexpr const char* kFlashAllowOrigins[] = {ZLM_FLASH_ALLOW_LIST nullptr};
constexpr bool FlashAllowOriginsAccepted() {
  for (const char* const* origin = kFlashAllowOrigins; *origin; ++origin) {
    if (SiteUrlFaultOf(*origin) != SiteUrlFault::kNone)
      return false;
  }
  return true;
}
static_assert(FlashAllowOriginsAccepted(),
              "ZLM_FLASH_ALLOW holds an origin that is not an https URL with a lowercase host, "
              "without user part or port");

inline constexpr char kFlashDllName[] = "pepflashplayer.dll";
inline constexpr char kFlashVersion[] = "32.0.0.465";
inline constexpr char kWindowTitle[] = "Zelmora Launcher";
inline constexpr int kWindowWidth = 1280;
inline constexpr int kWindowHeight = 800;

#endif  // ZLM_APP_CONFIG_H_
