#include "app/flash_config.h"

#include "app/site_url.h"

std::string FlashConfigText(const std::string& siteUrl) {
  const std::string origin = "https://" + std::string(SiteHostPart(siteUrl)) + "/";
  return "EnableAllowList=1\r\n"
         "AllowListUrlPattern=" + origin + "\r\n"
         "EOLUninstallDisable=1\r\n"
         "AutoUpdateDisable=1\r\n"
         "SilentAutoUpdateEnable=0\r\n";
}
