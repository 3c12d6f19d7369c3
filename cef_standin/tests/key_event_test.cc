// Keys sent to the page window become CEF key events for the keyboard handler;
// what the handler does not take reaches the page.

#include "engine_fixture.h"

namespace standin_test {
namespace {

class KeyEventTest : public EngineTest {};

std::string Key(int type, int code, unsigned mods, bool system) {
  const int message = type == KEYEVENT_RAWKEYDOWN ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN)
                                                  : (system ? WM_SYSKEYUP : WM_KEYUP);
  return std::to_string(type) + " " + std::to_string(code) + " mods=" + std::to_string(mods) +
         " sys=" + std::to_string(system) + " msg=" + std::to_string(message);
}

TEST_F(KeyEventTest, RawKeyDownCarriesModifiersAndTakenKeysStayFromThePage) {
  struct Case {
    int code;
    unsigned modifiers;
    bool taken;
  };
  const Case cases[] = {
      {VK_F5, EVENTFLAG_NONE, true},
      {VK_F5, EVENTFLAG_SHIFT_DOWN | EVENTFLAG_CONTROL_DOWN, true},
      {VK_OEM_PLUS, EVENTFLAG_CONTROL_DOWN, false},
      {'0', EVENTFLAG_CONTROL_DOWN | EVENTFLAG_ALT_DOWN, false},
      {VK_ESCAPE, EVENTFLAG_NONE, false},
  };
  Open();
  client_->taken_keys = {VK_F5};
  std::vector<standin::KeyRecord> expected_page;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    Events().clear();
    bool reached = false;
    ASSERT_TRUE(standin::PressKey(BrowserId(), c.code, c.modifiers, 1, &reached).ok());
    const bool system = (c.modifiers & EVENTFLAG_ALT_DOWN) != 0;
    std::vector<std::string> expected = {
        "OnPreKeyEvent " + Key(KEYEVENT_RAWKEYDOWN, c.code, c.modifiers, system)};
    if (!c.taken) {
      expected.push_back("OnKeyEvent " + Key(KEYEVENT_RAWKEYDOWN, c.code, c.modifiers, system));
      expected_page.push_back({c.code, c.modifiers, system});
    }
    expected.push_back("OnPreKeyEvent " + Key(KEYEVENT_KEYUP, c.code, c.modifiers, system));
    expected.push_back("OnKeyEvent " + Key(KEYEVENT_KEYUP, c.code, c.modifiers, system));
    EXPECT_EQ(Events(), expected);
    EXPECT_EQ(reached, !c.taken);
  }
  std::vector<standin::KeyRecord> page;
  ASSERT_TRUE(standin::PageKeys(BrowserId(), &page).ok());
  ASSERT_EQ(page.size(), expected_page.size());
  for (size_t i = 0; i < page.size(); ++i) {
    EXPECT_EQ(page[i].key_code, expected_page[i].key_code);
    EXPECT_EQ(page[i].modifiers & 0xE, expected_page[i].modifiers);
    EXPECT_EQ(page[i].system, expected_page[i].system);
  }
  EXPECT_EQ(GetKeyState(VK_CONTROL) & 0x8000, 0) << "the key state is restored";
}

TEST_F(KeyEventTest, HeldKeyRepeatsAsRawKeyDowns) {
  Open();
  client_->taken_keys = {VK_F11};
  Events().clear();
  bool reached = true;
  ASSERT_TRUE(standin::PressKey(BrowserId(), VK_F11, 0, 3, &reached).ok());
  EXPECT_FALSE(reached);
  EXPECT_EQ(EventsStartingWith({"OnPreKeyEvent 0"}).size(), 3u);
  EXPECT_EQ(EventsStartingWith({"OnPreKeyEvent 2"}).size(), 1u);
}

TEST_F(KeyEventTest, RealKeyMessagesToThePageWindowAreHandledLikeSentOnes) {
  Open();
  HWND page = reinterpret_cast<HWND>(standin::ListBrowsers()[0].page_hwnd);
  Events().clear();
  PostMessageW(page, WM_KEYDOWN, 'A', 1);
  Pump([&] { return !Events().empty(); });
  EXPECT_EQ(Events().front(), "OnPreKeyEvent " + Key(KEYEVENT_RAWKEYDOWN, 'A', 0, false));
}

TEST_F(KeyEventTest, AltF4ReachesTheSystemAndClosesTheWindow) {
  Open();
  Events().clear();
  bool reached = false;
  ASSERT_TRUE(standin::PressKey(BrowserId(), VK_F4, EVENTFLAG_ALT_DOWN, 1, &reached).ok());
  EXPECT_TRUE(reached);
  Pump([&] { return client_->closed; });
  EXPECT_TRUE(Happened("DoClose"));
}

}  // namespace
}  // namespace standin_test
