// Fixed configuration of the launcher. Everything is decided at build time:
// there is no configuration file, registry value or environment variable.

#ifndef ZLM_APP_CONFIG_H_
#define ZLM_APP_CONFIG_H_

#include "product_config.h"

// UTF-8 throughout; converted to UTF-16 where a Windows or CEF call needs it.
inline constexpr char kSiteUrl[] = ZLM_SITE_URL;
inline constexpr char kFlashDllName[] = "pepflashplayer.dll";
inline constexpr char kFlashVersion[] = "32.0.0.465";
inline constexpr char kWindowTitle[] = "Zelmora Launcher";
inline constexpr int kWindowWidth = 1280;
inline constexpr int kWindowHeight = 800;

#endif  // ZLM_APP_CONFIG_H_
