// A start page that fails to load must not leave the player with an empty,
// caption-less window: the main frame then shows the launcher's own failure
// page, under the failed URL, and the load is tried again by itself after
// network errors, with a growing pause. Portable: the client handler feeds the
// load events in and carries out what comes back.

#ifndef ZLM_BROWSER_LOAD_FAILURE_H_
#define ZLM_BROWSER_LOAD_FAILURE_H_

#include <cstdint>
#include <optional>
#include <string>

// Chromium's net::ERR_ABORTED: a cancelled or replaced navigation, not a
// failure the player needs to hear of.
inline constexpr int kErrAborted = -3;

// Errors that waiting may cure: the connection, the name lookup, a time-out,
// a network change. Certificates and protocol errors do not heal by
// themselves, so they get the page but no automatic retry.
bool RetriesByItself(int errorCode);

// The pause before automatic retry number |attempt| (0 first): 5 s, 10 s,
// 30 s, then every 60 s.
std::uint32_t RetryDelayMs(int attempt);

// The failure page: what failed, in plain words, the error text and code, and
// the URL; Retry (a link to the failed URL), Close (the bridge's win:close)
// and the page itself as a drag handle (win:drag). |retrySeconds| above 0
// tells when the launcher tries again. Every outside text is HTML-escaped:
// the page has the site's origin and its bridge.
std::string FailurePageHtml(int errorCode, const std::string& errorText,
                            const std::string& failedUrl, std::uint32_t retrySeconds);

// &, <, >, " and ' as character references.
std::string HtmlEscape(const std::string& text);

// What the main frame's load events mean for the failure page and the retry.
// A generation number ties a scheduled retry to the failure it was made for:
// anything that happens in between makes it stale.
class LoadRecovery {
 public:
  struct Failure {
    std::string url;                      // show the page under this URL
    std::optional<std::uint32_t> retryMs;  // retry after this pause, if at all
    int generation = 0;                   // hand back to RetryDue
  };

  // A request of the main frame goes out (OnBeforeBrowse): whatever ends next
  // is that request's outcome.
  void RequestStarted(bool isMain);
  // OnLoadError: a failure page to show, or nothing (sub-frames, ERR_ABORTED).
  std::optional<Failure> LoadFailed(bool isMain, int errorCode, const std::string& failedUrl);
  // OnLoadEnd: true when the document is one the site sent (then the retry
  // schedule starts over); false for a sub-frame or while the main frame shows
  // an error document or the failure page.
  bool LoadFinished(bool isMain);
  // A scheduled retry's time came: the URL to load, or nothing when it went
  // stale.
  std::optional<std::string> RetryDue(int generation);
  // The player asks (F5): the URL to load now, or nothing when no failure
  // page is shown. Pending retries go stale.
  std::optional<std::string> RetryNow();
  // The browser is closing: nothing scheduled may run any more.
  void Stop();

  bool showingFailure() const { return failed_; }

 private:
  bool failed_ = false;
  bool stopped_ = false;
  std::string failedUrl_;
  int attempts_ = 0;
  int generation_ = 0;
};

#endif  // ZLM_BROWSER_LOAD_FAILURE_H_
