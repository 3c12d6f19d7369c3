#include <gtest/gtest.h>

#include <string>

#include "browser/key_table.h"
#include "browser/load_events.h"

namespace {

constexpr uint32_t kShift = 1u << 1;
constexpr uint32_t kCtrl = 1u << 2;
constexpr uint32_t kAlt = 1u << 3;
constexpr uint32_t kCapsAndNumLock = 1u | (1u << 8);

TEST(KeyTableTest, TakesItsKeysInOrderAndLetsEveryOtherReachThePage) {
  struct Case {
    const char* name;
    bool raw;
    uint32_t modifiers;
    int key;
    bool fullScreen;
    KeyAction action;
  };
  const Case cases[] = {
      {"F5", true, 0, 0x74, false, KeyAction::kReload},
      {"Shift+F5", true, kShift, 0x74, false, KeyAction::kReload},
      {"Ctrl+F5", true, kCtrl, 0x74, false, KeyAction::kReload},
      {"F11", true, 0, 0x7A, false, KeyAction::kToggleFullScreen},
      {"Alt+F11 in full screen", true, kAlt, 0x7A, true, KeyAction::kToggleFullScreen},
      {"Escape windowed", true, 0, 0x1B, false, KeyAction::kNone},
      {"Escape in full screen", true, kShift, 0x1B, true, KeyAction::kToggleFullScreen},
      {"Ctrl+Plus", true, kCtrl, 0xBB, false, KeyAction::kZoomIn},
      {"Ctrl+Shift+Plus", true, kCtrl | kShift, 0xBB, false, KeyAction::kZoomIn},
      {"Ctrl+numpad Add", true, kCtrl | kCapsAndNumLock, 0x6B, false, KeyAction::kZoomIn},
      {"Ctrl+Minus", true, kCtrl, 0xBD, false, KeyAction::kZoomOut},
      {"Ctrl+numpad Subtract", true, kCtrl, 0x6D, false, KeyAction::kZoomOut},
      {"Ctrl+0", true, kCtrl, 0x30, false, KeyAction::kZoomReset},
      {"Ctrl+Alt+0", true, kCtrl | kAlt, 0x30, false, KeyAction::kZoomReset},
      {"Ctrl+numpad 0", true, kCtrl, 0x60, true, KeyAction::kZoomReset},
      {"Plus alone", true, 0, 0xBB, false, KeyAction::kNone},
      {"Shift+Plus", true, kShift, 0xBB, false, KeyAction::kNone},
      {"0 alone", true, 0, 0x30, false, KeyAction::kNone},
      {"Alt+0", true, kAlt, 0x30, false, KeyAction::kNone},
      {"Ctrl+A", true, kCtrl, 0x41, false, KeyAction::kNone},
      {"Ctrl+1", true, kCtrl, 0x31, false, KeyAction::kNone},
      {"F5 key-up or char", false, 0, 0x74, false, KeyAction::kNone},
      {"Ctrl+Plus not raw", false, kCtrl, 0xBB, false, KeyAction::kNone},
      {"Escape not raw in full screen", false, 0, 0x1B, true, KeyAction::kNone},
  };
  for (const Case& c : cases)
    EXPECT_EQ(KeyActionFor(c.raw, c.modifiers, c.key, c.fullScreen), c.action) << c.name;
}

TEST(KeyTableTest, PageCallsCallThePageFunctionOnlyWhereItExists) {
  EXPECT_STREQ(PageCallFor(KeyAction::kReload), "window.zlmReload&&window.zlmReload();");
  EXPECT_STREQ(PageCallFor(KeyAction::kZoomIn), "window.zlmZoomIn&&window.zlmZoomIn();");
  EXPECT_STREQ(PageCallFor(KeyAction::kZoomOut), "window.zlmZoomOut&&window.zlmZoomOut();");
  EXPECT_STREQ(PageCallFor(KeyAction::kZoomReset),
               "window.zlmZoomReset&&window.zlmZoomReset();");
  EXPECT_EQ(PageCallFor(KeyAction::kToggleFullScreen), nullptr);
  EXPECT_EQ(PageCallFor(KeyAction::kNone), nullptr);
}

TEST(LoadEventsTest, TraceLinesKeepTheFrameWordsBlank) {
  EXPECT_EQ(LoadStartTraceLine(true, "https://a/"), "OnLoadStart frame=main url=https://a/");
  EXPECT_EQ(LoadStartTraceLine(false, ""), "OnLoadStart frame=sub url=");
  EXPECT_EQ(LoadEndTraceLine(true, 200, "https://a/"),
            "OnLoadEnd frame=main status=200 url=https://a/");
  EXPECT_EQ(LoadEndTraceLine(false, 404, "https://a/x"),
            "OnLoadEnd frame=sub status=404 url=https://a/x");
  EXPECT_EQ(LoadEndTraceLine(true, 0, "about:blank"),
            "OnLoadEnd frame=main status=0 url=about:blank");
  EXPECT_EQ(LoadErrorTraceLine(true, -105, "net::ERR_NAME_NOT_RESOLVED", "https://a/"),
            "OnLoadError frame=main  code=-105 err=net::ERR_NAME_NOT_RESOLVED url=https://a/");
  EXPECT_EQ(LoadErrorTraceLine(false, -3, "", "https://b/"),
            "OnLoadError frame=sub  code=-3 err= url=https://b/");
}

TEST(LoadEventsTest, EmbeddedScriptGoesToMainFramesOfTheSiteOnly) {
  struct Case {
    bool isMain;
    const char* url;
    const char* host;
    bool wanted;
  };
  const Case cases[] = {
      {true, "https://play.zelmora.example/", "play.zelmora.example", true},
      {true, "https://play.zelmora.example/game?x=1", "play.zelmora.example", true},
      {false, "https://play.zelmora.example/", "play.zelmora.example", false},
      {true, "https://ads.example/", "play.zelmora.example", false},
      {true, "https://ads.example/?ref=play.zelmora.example", "play.zelmora.example", true},
      {true, "https://PLAY.zelmora.example/", "play.zelmora.example", false},
      {true, "https://play.zelmora.example/", "", false},
      {true, "", "play.zelmora.example", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(WantsEmbeddedScript(c.isMain, c.url, c.host), c.wanted) << c.url << " " << c.isMain;
}

}  // namespace
