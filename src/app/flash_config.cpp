#include "app/flash_config.h"

#include "app/site_url.h"

namespace {

std::string PatternLine(const std::string& url) {
  return "AllowListUrlPattern=https://" + std::string(SiteHostPart(url)) + "/\r\n";
}

}  // namespace

std::string FlashConfigText(const std::string& siteUrl, const std::vector<std::string>& moreUrls) {
  std::string text = "EnableAllowList=1\r\n" + PatternLine(siteUrl);
  for (const std::string& url : moreUrls)
    text += PatternLine(url);
  return text + "EOLUninstallDisable=1\r\n"
                "AutoUpdateDisable=1\r\n"
                "SilentAutoUpdateEnable=0\r\n";
}
