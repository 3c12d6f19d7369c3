#include "app/switches.h"

#include <utility>

#include "app/config.h"

namespace {

constexpr char kUserAgent[] =
    "Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/50.0.2661.102 UBrowser/6.0.1308.1016 Safari/537.36";

ChromiumSwitch WithValue(const char* name, std::string value) {
  return ChromiumSwitch{name, std::move(value), true};
}

ChromiumSwitch Flag(const char* name) {
  return ChromiumSwitch{name, std::string(), false};
}

}  // namespace

std::vector<ChromiumSwitch> LauncherSwitches(const std::string& flashPathUtf8) {
  return {
      WithValue("user-agent", kUserAgent),
      WithValue("enable-system-flash", "1"),
      WithValue("plugin-policy", "allow"),
      WithValue("ppapi-flash-version", kFlashVersion),
      Flag("run-all-plugins-auto"),
      Flag("allow-outdated-plugins"),
      Flag("always-authorize-plugins"),
      Flag("enable-plugin-placeholder-testing"),
      WithValue("profile.default_content_setting_values.plugins", "1"),
      WithValue("profile.managed_default_content_settings.plugins", "1"),
      WithValue("disable-blink-features", "AutomationControlled"),
      WithValue("ppapi-flash-path", flashPathUtf8),
  };
}

std::string SwitchesTraceLine(const std::string& processType, const std::string& flashPathUtf8) {
  return "v3 switches applied; process=" + processType + " flash_path=" + flashPathUtf8;
}
