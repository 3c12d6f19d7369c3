// The failure page of a main frame that could not load, and when the launcher
// tries the load again.

#include "browser/load_failure.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LoadFailure, RetriesOnlyNetworkErrorsWithAGrowingPause) {
  struct Case {
    int code;
    bool retries;
  } cases[] = {
      {-105, true},   // name not resolved
      {-106, true},   // internet disconnected
      {-102, true},   // connection refused
      {-7, true},     // timed out
      {-21, true},    // network changed
      {-324, true},   // empty response
      {-3, false},    // aborted
      {-200, false},  // certificate common name invalid
      {-310, false},  // too many redirects
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

// The page has the site's origin and the bridge: nothing of the URL or the
// error text may become markup or script.
TEST(LoadFailure, PageEscapesWhatItQuotesAndLinksOnlyWebAddresses) {
  const std::string url = "https://play.example/?q=\"><script>alert(1)</script>&x='y'";
  const std::string html = FailurePageHtml(-105, "net::ERR_<b>", url, 10);
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

  const std::string other = FailurePageHtml(-200, "", "javascript:alert(1)", 0);
  EXPECT_EQ(other.find("href="), std::string::npos) << "no link for a non-web address";
  EXPECT_EQ(other.find("tries again"), std::string::npos);
  EXPECT_NE(other.find("could not be loaded"), std::string::npos);
  EXPECT_NE(other.find("Error (-200)"), std::string::npos);
  EXPECT_NE(FailurePageHtml(-105, "", "HTTPS://PLAY.EXAMPLE/", 5).find("id=\"retry\""),
            std::string::npos);
}

TEST(LoadFailure, RecoveryFollowsTheMainFramesLoads) {
  LoadRecovery recovery;
  // Sub-frames and cancelled loads never show the page.
  EXPECT_FALSE(recovery.LoadFailed(false, -105, "https://ads.example/"));
  EXPECT_FALSE(recovery.LoadFailed(true, kErrAborted, "https://play.example/"));
  EXPECT_TRUE(recovery.LoadFinished(true));

  recovery.RequestStarted(true);
  auto first = recovery.LoadFailed(true, -105, "https://play.example/");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->url, "https://play.example/");
  EXPECT_EQ(first->retryMs, 5000u);
  // The error document and the failure page end as loads too: not the site's.
  EXPECT_FALSE(recovery.LoadFinished(true));
  EXPECT_FALSE(recovery.LoadFinished(true));
  EXPECT_TRUE(recovery.showingFailure());
  EXPECT_FALSE(recovery.LoadFinished(false));

  // The retry fails again: a longer pause, and the first schedule is stale.
  EXPECT_EQ(recovery.RetryDue(first->generation), "https://play.example/");
  recovery.RequestStarted(true);
  auto second = recovery.LoadFailed(true, -106, "https://play.example/");
  ASSERT_TRUE(second);
  EXPECT_EQ(second->retryMs, 10000u);
  EXPECT_FALSE(recovery.RetryDue(first->generation));

  // F5 retries at once and makes the pending retry stale; errors that do not
  // heal by waiting show the page without a retry.
  EXPECT_EQ(recovery.RetryNow(), "https://play.example/");
  EXPECT_FALSE(recovery.RetryDue(second->generation));
  recovery.RequestStarted(true);
  auto third = recovery.LoadFailed(true, -200, "https://play.example/");
  ASSERT_TRUE(third);
  EXPECT_FALSE(third->retryMs);

  // A load that succeeds: the schedule starts over and F5 is the page's again.
  recovery.RequestStarted(true);
  EXPECT_TRUE(recovery.LoadFinished(true));
  EXPECT_FALSE(recovery.RetryNow());
  EXPECT_FALSE(recovery.RetryDue(third->generation));
  recovery.RequestStarted(true);
  auto again = recovery.LoadFailed(true, -105, "https://play.example/x");
  ASSERT_TRUE(again);
  EXPECT_EQ(again->retryMs, 5000u);

  // Closing stops everything.
  recovery.Stop();
  EXPECT_FALSE(recovery.RetryDue(again->generation));
  EXPECT_FALSE(recovery.RetryNow());
  EXPECT_FALSE(recovery.LoadFailed(true, -105, "https://play.example/"));
}

}  // namespace
