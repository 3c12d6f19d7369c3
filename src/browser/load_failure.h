// The game must never leave the player with an empty or dead window. A main
// frame that could not load shows the launcher's own failure page, and the load
// is tried again by itself after connection errors, with a growing pause; a
// crashed page or Flash plug-in is loaded again, a few times. Portable: the
// client handler feeds the events in and carries out what comes back.

#ifndef ZLM_BROWSER_LOAD_FAILURE_H_
#define ZLM_BROWSER_LOAD_FAILURE_H_

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

// Chromium's net::ERR_ABORTED: a cancelled or replaced navigation, not a
// failure the player needs to hear of.
inline constexpr int kErrAborted = -3;
// net::ERR_UNKNOWN_URL_SCHEME: an address the engine has no handler for
// (mailto:, a custom scheme). The page that linked to it is still the one to
// show.
inline constexpr int kErrUnknownUrlScheme = -302;

// Connection and name-resolution errors, which waiting may cure. Certificate,
// TLS and protocol errors do not heal by themselves: they get the page but no
// automatic retry.
bool RetriesByItself(int errorCode);

// The pause before automatic retry number |attempt| (0 first): 5 s, 10 s,
// 30 s, then every 60 s.
std::uint32_t RetryDelayMs(int attempt);

// Whether the engine loads |url| itself: the web schemes and its own. Anything
// else (mailto:, tel:, custom schemes) has no handler in the engine and, let
// through, would replace the page with an empty error document.
bool EngineLoadsUrl(const std::string& url);
// "mailto:" addresses, which the system's mail program may take.
bool IsMailtoUrl(const std::string& url);

// What the failure page says and offers.
struct FailurePage {
  int errorCode = 0;
  std::string errorText;
  std::string failedUrl;            // quoted; the Retry link when a web address
  std::string gameUrl;              // not empty: a "Back to the game" link
  std::uint32_t retrySeconds = 0;   // above 0: when the launcher tries again
  bool crashed = false;             // the game stopped, rather than failed to load
};

// The failure page: what happened, in plain words, the error text and code,
// and the URL; Retry, "Back to the game" where asked, Close (the bridge's
// win:close) and the page itself as a drag handle (win:drag). Every outside
// text is HTML-escaped: the page has the site's origin and its bridge.
std::string FailurePageHtml(const FailurePage& page);

// &, <, >, " and ' as character references.
std::string HtmlEscape(const std::string& text);

// What the main frame's load events and crashes mean for the failure page, the
// retry and the reload. A generation number ties a scheduled retry to the
// failure it was made for: anything that happens in between makes it stale.
class LoadRecovery {
 public:
  // |startUrl|: the game's first page; |siteHost|: the host whose pages are
  // the game's (IsGameOrigin).
  LoadRecovery(std::string startUrl, std::string siteHost);

  struct Failure {
    FailurePage page;
    std::string pageUrl;                   // show the page under this URL
    std::optional<std::uint32_t> retryMs;  // retry after this pause, if at all
    int generation = 0;                    // hand back to RetryDue
  };

  // A request of the main frame goes out (OnBeforeBrowse): whatever ends next
  // is that request's outcome.
  void RequestStarted(bool isMain);
  // OnLoadError: a failure page to show, or nothing (sub-frames, ERR_ABORTED,
  // an unknown scheme).
  std::optional<Failure> LoadFailed(bool isMain, int errorCode, const std::string& errorText,
                                    const std::string& failedUrl);
  // OnLoadEnd: true when the document is one the site sent (then the retry
  // schedule starts over); false for a sub-frame or while the main frame shows
  // an error document or the failure page.
  bool LoadFinished(bool isMain, const std::string& url);
  // A scheduled retry's time came: the URL to load, or nothing when it went
  // stale.
  std::optional<std::string> RetryDue(int generation);
  // The player asks (F5): the URL to load now, or nothing when no failure
  // page is shown. Pending retries go stale.
  std::optional<std::string> RetryNow();

  // The page's renderer or its Flash plug-in crashed, at |nowMs| of a steady
  // clock. Up to kCrashReloads times within kCrashWindowMs the page is loaded
  // again: |reloadUrl| is the game page last shown, or the start URL. A
  // further crash in that time gets the failure page instead.
  static constexpr int kCrashReloads = 3;
  static constexpr std::uint64_t kCrashWindowMs = 60000;
  struct CrashOutcome {
    std::string reloadUrl;           // load this now, when no failure is set
    std::optional<Failure> failure;  // or show this
  };
  CrashOutcome Crashed(std::uint64_t nowMs);

  // The browser is closing: nothing scheduled may run any more.
  void Stop();

  // The game page last shown, or the start URL.
  std::string GameUrl() const;

 private:
  const std::string startUrl_;
  const std::string siteHost_;
  bool failed_ = false;
  bool stopped_ = false;
  std::string retryUrl_;
  std::string lastGameUrl_;
  int attempts_ = 0;
  int generation_ = 0;
  std::deque<std::uint64_t> crashReloadsMs_;
};

#endif  // ZLM_BROWSER_LOAD_FAILURE_H_
