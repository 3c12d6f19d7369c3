#include "app/switches.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/config.h"
#include "app/paths.h"

namespace {

// The paths here are ASCII, so widening and narrowing byte by byte is exact.
std::wstring Widen(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text)
    out += static_cast<char>(c);
  return out;
}

std::string FlashPathIn(const std::wstring& exeDir) {
  return Narrow(JoinPath(exeDir, Widen(kFlashDllName)));
}

struct Expected {
  const char* name;
  std::string value;
  bool hasValue;
};

std::vector<Expected> ExpectedSwitches(const std::string& flashPath) {
  return {
      {"user-agent",
       "Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
       "Chrome/50.0.2661.102 UBrowser/6.0.1308.1016 Safari/537.36",
       true},
      {"enable-system-flash", "1", true},
      {"plugin-policy", "allow", true},
      {"ppapi-flash-version", "32.0.0.465", true},
      {"run-all-plugins-auto", "", false},
      {"allow-outdated-plugins", "", false},
      {"always-authorize-plugins", "", false},
      {"enable-plugin-placeholder-testing", "", false},
      {"profile.default_content_setting_values.plugins", "1", true},
      {"profile.managed_default_content_settings.plugins", "1", true},
      {"disable-blink-features", "AutomationControlled", true},
      {"ppapi-flash-path", flashPath, true},
  };
}

TEST(SwitchesTest, TheTwelveSwitchesInOrderWithThePluginPath) {
  struct Case {
    const wchar_t* exeDir;
    const char* flashPath;
  };
  const Case cases[] = {
      {L"C:\\Games\\Zelmora", "C:\\Games\\Zelmora\\pepflashplayer.dll"},
      {L"C:\\Games\\Zelmora\\", "C:\\Games\\Zelmora\\pepflashplayer.dll"},
      {L".", ".\\pepflashplayer.dll"},
  };
  for (const Case& c : cases) {
    const std::string flashPath = FlashPathIn(c.exeDir);
    ASSERT_EQ(flashPath, c.flashPath);
    const std::vector<ChromiumSwitch> actual = LauncherSwitches(flashPath);
    const std::vector<Expected> expected = ExpectedSwitches(c.flashPath);
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "switch #" << i + 1 << " in " << c.flashPath);
      ASSERT_NE(actual[i].name, nullptr);
      EXPECT_STREQ(actual[i].name, expected[i].name);
      EXPECT_EQ(actual[i].hasValue, expected[i].hasValue);
      if (expected[i].hasValue) {
        EXPECT_EQ(actual[i].value, expected[i].value);
      }
    }
  }
}

TEST(SwitchesTest, TraceLineNamesTheProcessTypeAndPluginPath) {
  EXPECT_EQ(SwitchesTraceLine("", "C:\\Z\\pepflashplayer.dll"),
            "v3 switches applied; process= flash_path=C:\\Z\\pepflashplayer.dll");
  EXPECT_EQ(SwitchesTraceLine("renderer", ".\\pepflashplayer.dll"),
            "v3 switches applied; process=renderer flash_path=.\\pepflashplayer.dll");
}

}  // namespace
