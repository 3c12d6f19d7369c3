// The failure page of a main frame that could not load, and when the launcher
// tries the load again.

#include "browser/load_failure.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LoadFailure, RetriesOnlyConnectionErrorsWithAGrowingPause) {
  struct Case {
    int code;
    bool retries;
  } cases[] = {
      {-105, true},   // name not resolved
      {-106, true},   // internet disconnected
      {-102, true},   // connection refused
      {-118, true},   // connection timed out
      {-7, true},     // timed out
      {-21, true},    // network changed
      {-324, true},   // empty response
      {-803, true},   // DNS timed out
      {-3, false},    // aborted
      {-107, false},  // SSL protocol error: in the connection range, but TLS
      {-110, false},  // SSL client certificate needed
      {-113, false},  // SSL version or cipher mismatch
      {-200, false},  // certificate common name invalid
      {-302, false},  // unknown URL scheme
      {-310, false},  // too many redirects
      {-800, false},  // malformed DNS response
      {-2, false},    // failed
  };
  for (const Case& c : cases)
    EXPECT_EQ(RetriesByItself(c.code), c.retries) << c.code;

  const std::uint32_t expected[] = {5000, 10000, 30000, 60000, 60000, 60000};
  for (int attempt = 0; attempt < 6; ++attempt)
    EXPECT_EQ(RetryDelayMs(attempt), expected[attempt]) << attempt;
  EXPECT_EQ(RetryDelayMs(-1), 5000u);
  EXPECT_EQ(RetryDelayMs(1 << 30), 60000u);
}

TEST(LoadFailure, KnowsWhichAddressesTheEngineLoads) {
  for (const char* url : {"https://play.example/", "HTTP://x/", "data:text/html,x", "about:blank",
                          "blob:https://play.example/1", "file:///C:/x", "javascript:void(0)",
                          "chrome://version", "", "no scheme here", "/relative:path"})
    EXPECT_TRUE(EngineLoadsUrl(url)) << url;
  for (const char* url : {"mailto:support@play.example", "MAILTO:x@y", "tel:+123", "steam://run/1",
                          "zelmora-app:open", "ms-settings:", "x:"})
    EXPECT_FALSE(EngineLoadsUrl(url)) << url;
  EXPECT_TRUE(IsMailtoUrl("MailTo:a@b"));
  EXPECT_FALSE(IsMailtoUrl("mail:a@b"));
}

// The page has the site's origin and the bridge: nothing of the URL or the
// error text may become markup or script.
TEST(LoadFailure, PageEscapesWhatItQuotesAndLinksOnlyWebAddresses) {
  FailurePage page;
  page.errorCode = -105;
  page.errorText = "net::ERR_<b>";
  page.failedUrl = "https://play.example/?q=\"><script>alert(1)</script>&x='y'";
  page.retrySeconds = 10;
  const std::string html = FailurePageHtml(page);
  EXPECT_EQ(html.find("<script>alert"), std::string::npos);
  EXPECT_EQ(html.find("<b>"), std::string::npos);
  EXPECT_NE(html.find("net::ERR_&lt;b&gt; (-105)"), std::string::npos);
  EXPECT_NE(html.find("href=\"https://play.example/?q=&quot;&gt;&lt;script&gt;alert(1)&lt;/script"
                      "&gt;&amp;x=&#39;y&#39;\""),
            std::string::npos);
  EXPECT_NE(html.find("tries again in <span id=\"seconds\">10</span> s"), std::string::npos);
  EXPECT_NE(html.find("cannot be reached"), std::string::npos);
  EXPECT_NE(html.find("id=\"close\""), std::string::npos);
  EXPECT_NE(html.find("win:drag"), std::string::npos);
  EXPECT_EQ(html.find("id=\"game\""), std::string::npos);

  FailurePage other;
  other.errorCode = -200;
  other.failedUrl = "javascript:alert(1)";
  const std::string otherHtml = FailurePageHtml(other);
  EXPECT_EQ(otherHtml.find("href="), std::string::npos) << "no link for a non-web address";
  EXPECT_EQ(otherHtml.find("tries again"), std::string::npos);
  EXPECT_NE(otherHtml.find("could not be loaded"), std::string::npos);
  EXPECT_NE(otherHtml.find("Error (-200)"), std::string::npos);

  FailurePage tls;
  tls.errorCode = -107;
  tls.failedUrl = "HTTPS://PLAY.EXAMPLE/";
  const std::string tlsHtml = FailurePageHtml(tls);
  EXPECT_NE(tlsHtml.find("id=\"retry\""), std::string::npos);
  EXPECT_EQ(tlsHtml.find("connected to the internet"), std::string::npos)
      << "a TLS error is no lost connection";

  FailurePage foreign;
  foreign.errorCode = -105;
  foreign.failedUrl = "https://pay.example/";
  foreign.gameUrl = "https://play.example/\"x";
  const std::string foreignHtml = FailurePageHtml(foreign);
  EXPECT_NE(foreignHtml.find("id=\"game\" href=\"https://play.example/&quot;x\">Back to the game"),
            std::string::npos);
  EXPECT_NE(foreignHtml.find("id=\"retry\" href=\"https://pay.example/\""), std::string::npos);

  FailurePage crash;
  crash.crashed = true;
  crash.failedUrl = "https://play.example/game";
  const std::string crashHtml = FailurePageHtml(crash);
  EXPECT_NE(crashHtml.find("The game stopped unexpectedly"), std::string::npos);
  EXPECT_NE(crashHtml.find("id=\"retry\" href=\"https://play.example/game\""), std::string::npos);
  EXPECT_EQ(crashHtml.find("(0)"), std::string::npos) << "no error code for a crash";
}

constexpr char kStart[] = "https://play.example/start";

TEST(LoadFailure, RecoveryFollowsTheMainFramesLoads) {
  LoadRecovery recovery(kStart, "play.example");
  // Sub-frames, cancelled loads and unknown schemes never show the page.
  EXPECT_FALSE(recovery.LoadFailed(false, -105, "", "https://ads.example/"));
  EXPECT_FALSE(recovery.LoadFailed(true, kErrAborted, "", "https://play.example/"));
  EXPECT_FALSE(recovery.LoadFailed(true, kErrUnknownUrlScheme, "", "mailto:a@play.example"));
  EXPECT_FALSE(recovery.RetryNow());
  EXPECT_TRUE(recovery.LoadFinished(true, "https://play.example/"));

  recovery.RequestStarted(true);
  auto first = recovery.LoadFailed(true, -105, "net::ERR_NAME_NOT_RESOLVED", "https://play.example/");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->pageUrl, "https://play.example/");
  EXPECT_EQ(first->page.failedUrl, "https://play.example/");
  EXPECT_EQ(first->page.errorText, "net::ERR_NAME_NOT_RESOLVED");
  EXPECT_EQ(first->retryMs, 5000u);
  EXPECT_EQ(first->page.retrySeconds, 5u);
  // The error document and the failure page end as loads too: not the site's.
  EXPECT_FALSE(recovery.LoadFinished(true, "data:text/html,chromewebdata"));
  EXPECT_FALSE(recovery.LoadFinished(true, "https://play.example/"));
  EXPECT_FALSE(recovery.LoadFinished(false, "https://ads.example/"));

  // The retry fails again: a longer pause, and the first schedule is stale.
  EXPECT_EQ(recovery.RetryDue(first->generation), "https://play.example/");
  recovery.RequestStarted(true);
  auto second = recovery.LoadFailed(true, -106, "", "https://play.example/");
  ASSERT_TRUE(second);
  EXPECT_EQ(second->retryMs, 10000u);
  EXPECT_FALSE(recovery.RetryDue(first->generation));

  // F5 retries at once and makes the pending retry stale; errors that do not
  // heal by waiting show the page without a retry.
  EXPECT_EQ(recovery.RetryNow(), "https://play.example/");
  EXPECT_FALSE(recovery.RetryDue(second->generation));
  recovery.RequestStarted(true);
  auto third = recovery.LoadFailed(true, -107, "", "https://play.example/");
  ASSERT_TRUE(third);
  EXPECT_FALSE(third->retryMs) << "TLS errors are not retried";

  // A load that succeeds: the schedule starts over and F5 is the page's again.
  recovery.RequestStarted(true);
  EXPECT_TRUE(recovery.LoadFinished(true, "https://play.example/"));
  EXPECT_FALSE(recovery.RetryNow());
  EXPECT_FALSE(recovery.RetryDue(third->generation));
  recovery.RequestStarted(true);
  auto again = recovery.LoadFailed(true, -105, "", "https://play.example/x");
  ASSERT_TRUE(again);
  EXPECT_EQ(again->retryMs, 5000u);

  // Closing stops everything.
  recovery.Stop();
  EXPECT_FALSE(recovery.RetryDue(again->generation));
  EXPECT_FALSE(recovery.RetryNow());
  EXPECT_FALSE(recovery.LoadFailed(true, -105, "", "https://play.example/"));
  EXPECT_TRUE(recovery.Crashed(1000).reloadUrl.empty());
}

// Another site's page that fails (a pop-up's target, a payment page) must not
// strand the player there: the page comes under the game's origin, offers the
// way back, and F5 takes it. Nothing retries the other site by itself.
TEST(LoadFailure, AForeignFailureLeadsBackToTheGame) {
  for (const char* foreign : {"https://pay.example/checkout", "http://play.example/",
                              "https://play.example.evil/", "ftp://play.example/"}) {
    LoadRecovery recovery(kStart, "play.example");
    recovery.RequestStarted(true);
    auto failure = recovery.LoadFailed(true, -105, "", foreign);
    ASSERT_TRUE(failure) << foreign;
    EXPECT_EQ(failure->pageUrl, kStart) << foreign;
    EXPECT_EQ(failure->page.gameUrl, kStart) << foreign;
    EXPECT_EQ(failure->page.failedUrl, foreign);
    EXPECT_FALSE(failure->retryMs) << foreign;
    EXPECT_EQ(recovery.RetryNow(), kStart) << foreign;
  }
  LoadRecovery recovery(kStart, "play.example");
  auto own = recovery.LoadFailed(true, -105, "", "https://cdn.play.example/x");
  ASSERT_TRUE(own);
  EXPECT_TRUE(own->page.gameUrl.empty()) << "a subdomain is the game's";
}

TEST(LoadFailure, CrashesReloadThreeTimesInAMinuteThenShowThePage) {
  LoadRecovery recovery(kStart, "play.example");
  // Before any game page was shown, the start URL.
  EXPECT_EQ(recovery.Crashed(1000).reloadUrl, kStart);
  EXPECT_TRUE(recovery.LoadFinished(true, "https://play.example/game?room=2"));
  // A foreign page shown later is not where a reload goes.
  recovery.RequestStarted(true);
  EXPECT_TRUE(recovery.LoadFinished(true, "https://pay.example/"));
  EXPECT_EQ(recovery.Crashed(2000).reloadUrl, "https://play.example/game?room=2");
  EXPECT_EQ(recovery.Crashed(3000).reloadUrl, "https://play.example/game?room=2");

  const LoadRecovery::CrashOutcome fourth = recovery.Crashed(60999);
  EXPECT_TRUE(fourth.reloadUrl.empty());
  ASSERT_TRUE(fourth.failure);
  EXPECT_TRUE(fourth.failure->page.crashed);
  EXPECT_EQ(fourth.failure->pageUrl, "https://play.example/game?room=2");
  EXPECT_FALSE(fourth.failure->retryMs);
  EXPECT_FALSE(recovery.LoadFinished(true, "https://play.example/game?room=2"))
      << "the failure page is not the game's";
  // Retry (F5) brings the game back.
  EXPECT_EQ(recovery.RetryNow(), "https://play.example/game?room=2");

  // The first reload's minute has passed: one reload is free again.
  EXPECT_EQ(recovery.Crashed(61000).reloadUrl, "https://play.example/game?room=2");
  EXPECT_TRUE(recovery.Crashed(61001).failure);
  // A steady clock may be read right after it started.
  LoadRecovery early(kStart, "play.example");
  for (int i = 0; i < LoadRecovery::kCrashReloads; ++i)
    EXPECT_FALSE(early.Crashed(0).reloadUrl.empty());
  EXPECT_TRUE(early.Crashed(0).failure);
}

}  // namespace
