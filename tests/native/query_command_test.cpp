#include "bridge/query_command.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

namespace {

TEST(QueryCommandTest, FormsMatchExactlyOrByPrefixInTheirOrder) {
  struct Case {
    const char* request;
    QueryKind kind;
    const char* argument;
  };
  const Case cases[] = {
      {"app:getram", QueryKind::kGetRam, ""},
      {"acc:list", QueryKind::kAccountList, ""},
      {"acc:add:bob|pw", QueryKind::kAccountAdd, "bob|pw"},
      {"acc:add:", QueryKind::kAccountAdd, ""},
      {"acc:del:bob", QueryKind::kAccountDelete, "bob"},
      {"acc:getpass:b%7Cob", QueryKind::kAccountPassword, "b%7Cob"},
      {"rpc:a|b|c", QueryKind::kPresence, "a|b|c"},
      {"rpc:", QueryKind::kPresence, ""},
      {"app:mute", QueryKind::kMute, ""},
      {"app:unmute", QueryKind::kUnmute, ""},
      {"app:open:https://x.example/", QueryKind::kOpenLink, "https://x.example/"},
      {"app:clearcache", QueryKind::kClearCache, ""},
      {"win:minimize", QueryKind::kWindow, "minimize"},
      {"win:", QueryKind::kWindow, ""},
      // Declined: other letter case, blanks, extra text behind an exact form,
      // a prefix form without its last colon, nothing at all.
      {"APP:getram", QueryKind::kNone, ""},
      {"Win:close", QueryKind::kNone, ""},
      {"acc:list ", QueryKind::kNone, ""},
      {" acc:list", QueryKind::kNone, ""},
      {"acc:listing", QueryKind::kNone, ""},
      {"app:getram2", QueryKind::kNone, ""},
      {"app:mutex", QueryKind::kNone, ""},
      {"app:clearcache:now", QueryKind::kNone, ""},
      {"acc:add", QueryKind::kNone, ""},
      {"win", QueryKind::kNone, ""},
      {"", QueryKind::kNone, ""},
  };
  for (const Case& c : cases) {
    const QueryCommand command = ParseQuery(c.request);
    EXPECT_EQ(command.kind, c.kind) << '"' << c.request << '"';
    EXPECT_EQ(command.argument, c.argument) << '"' << c.request << '"';
  }
}

TEST(QueryCommandTest, ArgumentsSplitAtTheFirstBarOfTheRawText) {
  struct Case {
    const char* text;
    bool hasBar;
    const char* first;
    const char* second;
  };
  const Case cases[] = {
      {"bob|secret", true, "bob", "secret"},
      {"a|b|c", true, "a", "b|c"},
      {"b%7Cob|pw", true, "b%7Cob", "pw"},  // an encoded bar does not split
      {"|pw", true, "", "pw"},
      {"abc", false, "abc", ""},
      {"", false, "", ""},
      {"abc|", true, "abc", ""},
  };
  for (const Case& c : cases) {
    const BarSplit split = SplitAtFirstBar(c.text);
    EXPECT_EQ(split.hasBar, c.hasBar) << c.text;
    EXPECT_EQ(split.first, c.first) << c.text;
    EXPECT_EQ(split.second, c.second) << c.text;
  }
}

// acc:add carries a password: the argument and both halves must point into
// the caller's (wiped) request, never into copies of their own.
TEST(QueryCommandTest, ArgumentAndHalvesAreViewsIntoTheRequest) {
  const std::string request = "acc:add:bob|a-password-longer-than-any-small-string";
  const QueryCommand command = ParseQuery(request);
  ASSERT_EQ(command.kind, QueryKind::kAccountAdd);
  EXPECT_EQ(command.argument.data(), request.data() + 8);
  const BarSplit split = SplitAtFirstBar(command.argument);
  EXPECT_EQ(split.first.data(), request.data() + 8);
  EXPECT_EQ(split.second.data(), request.data() + 12);
  EXPECT_EQ(split.second.size(), request.size() - 12);
}

TEST(QueryCommandTest, WindowSubCommands) {
  struct Case {
    const char* argument;
    WindowAction action;
    const char* rest;
  };
  const Case cases[] = {
      {"minimize", WindowAction::kMinimize, ""},  {"maximize", WindowAction::kMaximize, ""},
      {"close", WindowAction::kClose, ""},        {"drag", WindowAction::kDrag, ""},
      {"fullscreen", WindowAction::kFullScreen, ""},
      {"zoom:120", WindowAction::kZoom, "120"},   {"zoom:", WindowAction::kZoom, ""},
      {"Minimize", WindowAction::kUnknown, ""},   {"close ", WindowAction::kUnknown, ""},
      {"zoom", WindowAction::kUnknown, ""},       {"", WindowAction::kUnknown, ""},
  };
  for (const Case& c : cases) {
    const WindowCommand command = ParseWindowCommand(c.argument);
    EXPECT_EQ(command.action, c.action) << c.argument;
    EXPECT_EQ(command.argument, c.rest) << c.argument;
  }
}

TEST(QueryCommandTest, ZoomPercentIsReadLikeAtoiWithoutOverflow) {
  struct Case {
    const char* text;
    int percent;
  };
  const Case cases[] = {
      {"100", 100},  {"120", 120},       {"50", 50},         {"0", 0},
      {"-10", -10},  {"abc", 0},         {"", 0},            {"150px", 150},
      {"  +75", 75}, {"\t\n90", 90},     {"- 5", 0},         {"1e3", 1},
      {"99999999999999999999", INT_MAX}, {"-99999999999999999999", INT_MIN},
      {"2147483647", INT_MAX},           {"2147483648", INT_MAX},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReadPercent(c.text), c.percent) << '"' << c.text << '"';

  EXPECT_EQ(ZoomLevelForPercent(100), 0.0);
  EXPECT_NEAR(ZoomLevelForPercent(120), 1.0, 1e-12);
  EXPECT_NEAR(ZoomLevelForPercent(50), -3.8017840169239308, 1e-12);
  EXPECT_TRUE(std::isfinite(ZoomLevelForPercent(INT_MAX)));
}

TEST(QueryCommandTest, OnlyWebLinksAreOpened) {
  EXPECT_TRUE(IsOpenableLink("http://x.example/"));
  EXPECT_TRUE(IsOpenableLink("https://x.example/a?b"));
  for (const char* refused : {"ftp://x.example/", "HTTPS://x.example/", "Http://x", "https:/x",
                              "file:///C:/Windows/", "javascript:alert(1)", "x.example", ""})
    EXPECT_FALSE(IsOpenableLink(refused)) << refused;
}

TEST(QueryCommandTest, MemoryFigureSettlesSevenSecondsAfterLaunch) {
  EXPECT_TRUE(MemoryFigureSettling(1000 + 6999, 1000));
  EXPECT_FALSE(MemoryFigureSettling(1000 + 7000, 1000));
  EXPECT_FALSE(MemoryFigureSettling(5, 0)) << "no launch tick: always measured";
  // The tick count is unsigned; a clock behind the launch tick is not "settling" forever.
  EXPECT_FALSE(MemoryFigureSettling(999, 1000));
}

TEST(QueryCommandTest, OnlyTheGamesOwnOriginsReachTheBridge) {
  const std::string site = "play.zelmora.example";
  struct Case {
    const char* url;
    bool allowed;
  };
  const Case cases[] = {
      {"https://play.zelmora.example/", true},
      {"https://play.zelmora.example/game?x=1#top", true},
      {"https://cdn.play.zelmora.example/frame", true},
      {"https://PLAY.Zelmora.EXAMPLE/", true},
      {"HTTPS://play.zelmora.example/", true},
      {"https://play.zelmora.example:443/", true},
      {"https://play.zelmora.example:8443/", false},
      {"https://play.zelmora.example.evil.example/", false},
      {"https://evilplay.zelmora.example/", false},
      {"https://zelmora.example/", false},
      {"https://ads.example/play.zelmora.example", false},
      {"https://ads.example/?u=https://play.zelmora.example/", false},
      {"https://play.zelmora.example@evil.example/", false},
      {"https://user@play.zelmora.example/", true},
      {"http://play.zelmora.example/", false},
      {"about:blank", false},
      {"", false},
      {"https://", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsGameOrigin(c.url, site), c.allowed) << c.url;
  EXPECT_FALSE(IsGameOrigin("https://play.zelmora.example/", ""));
}

}  // namespace
