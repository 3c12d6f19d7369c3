// Flash Player 32.0.0.465 plays nothing after 12 January 2021 unless its
// mms.cfg names the origin in an allow list. Pepper Flash is sandboxed and
// reads mms.cfg from its data folder in the browser profile, not from the
// system's Macromed folder; with CEF's cache_path as the profile that is
// <cache>/Pepper Data/Shockwave Flash/System/mms.cfg.

#ifndef ZLM_APP_FLASH_CONFIG_H_
#define ZLM_APP_FLASH_CONFIG_H_

#include <string>
#include <vector>

// Below the cache folder.
inline constexpr wchar_t kFlashConfigPath[] = L"Pepper Data\\Shockwave Flash\\System\\mms.cfg";

// The file's text, UTF-8 without a BOM, one name=value a line: the allow list
// on, the origins of |siteUrl| and of each of |moreUrls| (https URLs the site
// rules accept) as its patterns, and the plug-in's end-of-life uninstall and
// updates off.
std::string FlashConfigText(const std::string& siteUrl,
                            const std::vector<std::string>& moreUrls = {});

// Windows: puts FlashConfigText(...) in place below |cacheDir| before the
// engine starts. Written only when its content differs, in one rename, so a
// plug-in never reads half a file. False when it could not be written.
bool WriteFlashConfig(const std::wstring& cacheDir, const std::string& siteUrl,
                      const std::vector<std::string>& moreUrls = {});

#endif  // ZLM_APP_FLASH_CONFIG_H_
