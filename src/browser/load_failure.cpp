#include "browser/load_failure.h"

#include <cstddef>
#include <utility>

#include "app/ascii.h"
#include "bridge/query_command.h"

namespace {

constexpr std::uint32_t kRetryDelaysMs[] = {5000, 10000, 30000, 60000};

// Chromium's net error codes that a working connection cures.
constexpr int kRetriedErrors[] = {
    -7,    // TIMED_OUT
    -21,   // NETWORK_CHANGED
    -100,  // CONNECTION_CLOSED
    -101,  // CONNECTION_RESET
    -102,  // CONNECTION_REFUSED
    -103,  // CONNECTION_ABORTED
    -104,  // CONNECTION_FAILED
    -105,  // NAME_NOT_RESOLVED
    -106,  // INTERNET_DISCONNECTED
    -109,  // ADDRESS_UNREACHABLE
    -118,  // CONNECTION_TIMED_OUT
    -130,  // PROXY_CONNECTION_FAILED
    -137,  // NAME_RESOLUTION_FAILED
    -324,  // EMPTY_RESPONSE
    -802,  // DNS_SERVER_FAILED
    -803,  // DNS_TIMED_OUT
};

// The schemes the engine has handlers for (network, files, data and its own
// pages); javascript: runs in the page without a request.
constexpr const char* kEngineSchemes[] = {
    "http", "https", "ftp", "file", "data", "blob", "filesystem",
    "about", "chrome", "chrome-devtools", "javascript",
};

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  std::size_t i = 0;
  for (; prefix[i]; ++i) {
    if (i >= text.size())
      return false;
    if (AsciiLower(text[i]) != prefix[i])
      return false;
  }
  return true;
}

// Plain HTML and a few lines of script: no resource from outside, which
// could not load either. The script only counts down and sends win:drag and
// win:close; without it Retry still works as a link, and F5 in the launcher.
constexpr char kPageStart[] =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Zelmora Launcher</title>"
    "<style>"
    "html,body{height:100%;margin:0}"
    "body{display:flex;align-items:center;justify-content:center;background:#1d1f27;"
    "color:#e8e8ee;font:15px/1.5 'Segoe UI',Tahoma,sans-serif;cursor:default;"
    "-webkit-user-select:none}"
    "main{max-width:560px;padding:32px;background:#272a35;border-radius:8px}"
    "h1{margin:0 0 12px;font-size:22px;font-weight:600}"
    "p{margin:0 0 12px}"
    ".detail{color:#a9abb8;font-size:13px;word-break:break-all}"
    ".buttons{margin-top:20px}"
    ".hint{color:#a9abb8;font-size:13px;margin-top:20px}"
    "a.button,button{display:inline-block;margin-right:12px;padding:8px 22px;border:0;"
    "border-radius:4px;font:inherit;text-decoration:none;cursor:pointer;"
    "background:#4b6ee8;color:#fff}"
    "button.secondary{background:#4a4d5a}"
    "</style></head><body><main>";

constexpr char kPageScript[] =
    "<script>"
    "(function(){"
    "function ask(r){if(window.cefQuery)window.cefQuery({request:r});}"
    "document.addEventListener('mousedown',function(e){"
    "if(e.button===0&&!e.target.closest('a,button'))ask('win:drag');});"
    "document.getElementById('close').addEventListener('click',function(){ask('win:close');});"
    "var left=document.getElementById('seconds');"
    "if(left){var s=parseInt(left.textContent,10);"
    "setInterval(function(){if(s>0){s--;left.textContent=String(s);}},1000);}"
    "})();"
    "</script>";

}  // namespace

bool RetriesByItself(int errorCode) {
  for (const int code : kRetriedErrors) {
    if (code == errorCode)
      return true;
  }
  return false;
}

std::uint32_t RetryDelayMs(int attempt) {
  constexpr int kLast = sizeof(kRetryDelaysMs) / sizeof(kRetryDelaysMs[0]) - 1;
  if (attempt < 0)
    attempt = 0;
  return kRetryDelaysMs[attempt > kLast ? kLast : attempt];
}

std::string HtmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

bool EngineLoadsUrl(const std::string& url) {
  // RFC 3986: a letter, then letters, digits, '+', '-' and '.', up to ':'.
  std::string scheme;
  for (const char c : url) {
    if (c == ':')
      break;
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    if (!letter && (scheme.empty() || !other))
      return true;  // no scheme: not an address this check is about
    scheme += AsciiLower(c);
  }
  if (scheme.size() == url.size())
    return true;
  for (const char* known : kEngineSchemes) {
    if (scheme == known)
      return true;
  }
  return false;
}

bool IsMailtoUrl(const std::string& url) {
  return StartsWithNoCase(url, "mailto:");
}

std::string FailurePageHtml(const FailurePage& page) {
  const bool connection = RetriesByItself(page.errorCode);
  std::string html = kPageStart;
  if (page.crashed) {
    html += "<h1>The game stopped unexpectedly</h1>"
            "<p>The game's page or its Flash plug-in stopped working several times in a row.</p>";
  } else if (!page.gameUrl.empty()) {
    html += "<h1>This page could not be loaded</h1>";
    html += connection ? "<p>The site did not answer. Check that this computer is connected to "
                         "the internet.</p>"
                       : "<p>The site could not be opened.</p>";
  } else if (connection) {
    html += "<h1>The game cannot be reached</h1>"
            "<p>The game's site did not answer. Check that this computer is connected to the "
            "internet.</p>";
  } else {
    html += "<h1>The game could not be loaded</h1>"
            "<p>The game's site could not be opened.</p>";
  }
  if (page.retrySeconds > 0) {
    html += "<p>The launcher tries again in <span id=\"seconds\">" +
            std::to_string(page.retrySeconds) + "</span> s.</p>";
  }
  html += "<p class=\"detail\">";
  if (!page.crashed) {
    html += HtmlEscape(page.errorText.empty() ? "Error" : page.errorText) + " (" +
            std::to_string(page.errorCode) + ")<br>";
  }
  html += HtmlEscape(page.failedUrl) + "</p>";
  html += "<div class=\"buttons\">";
  if (!page.gameUrl.empty()) {
    html += "<a class=\"button\" id=\"game\" href=\"" + HtmlEscape(page.gameUrl) +
            "\">Back to the game</a>";
  }
  // Only a web address may become a link: anything else in an href could run.
  if (StartsWithNoCase(page.failedUrl, "https://") || StartsWithNoCase(page.failedUrl, "http://")) {
    html += std::string("<a class=\"button") + (page.gameUrl.empty() ? "" : " secondary") +
            "\" id=\"retry\" href=\"" + HtmlEscape(page.failedUrl) + "\">Retry</a>";
  }
  html += "<button class=\"secondary\" id=\"close\">Close</button></div>";
  html += "<p class=\"hint\">If this goes on, the game's support may ask for a log: put a file "
          "named zlm-log.txt beside ZelmoraLauncher.exe and start the launcher again; it then "
          "writes launcher.log there.</p>";
  html += "</main>";
  html += kPageScript;
  html += "</body></html>";
  return html;
}

LoadRecovery::LoadRecovery(std::string startUrl, std::string siteHost)
    : startUrl_(std::move(startUrl)), siteHost_(std::move(siteHost)) {}

std::string LoadRecovery::GameUrl() const {
  return lastGameUrl_.empty() ? startUrl_ : lastGameUrl_;
}

void LoadRecovery::RequestStarted(bool isMain) {
  if (isMain)
    failed_ = false;
}

std::optional<LoadRecovery::Failure> LoadRecovery::LoadFailed(bool isMain, int errorCode,
                                                              const std::string& errorText,
                                                              const std::string& failedUrl) {
  if (!isMain || errorCode == kErrAborted || errorCode == kErrUnknownUrlScheme ||
      errorCode == 0 || stopped_)
    return std::nullopt;
  failed_ = true;
  ++generation_;
  Failure failure;
  failure.page.errorCode = errorCode;
  failure.page.errorText = errorText;
  failure.page.failedUrl = failedUrl;
  failure.generation = generation_;
  if (IsGameOrigin(failedUrl, siteHost_)) {
    // Under the failed URL: the address stays the game's and F5 asks again.
    failure.pageUrl = failedUrl;
    retryUrl_ = failedUrl;
    if (RetriesByItself(errorCode)) {
      failure.retryMs = RetryDelayMs(attempts_++);
      failure.page.retrySeconds = *failure.retryMs / 1000;
    }
  } else {
    // Another site's page (a pop-up's target, a payment page): under the
    // game's origin, so that the page's Close and drag reach the bridge, and
    // with the way back to the game, which F5 takes as well.
    failure.pageUrl = startUrl_;
    failure.page.gameUrl = startUrl_;
    retryUrl_ = startUrl_;
  }
  return failure;
}

bool LoadRecovery::LoadFinished(bool isMain, const std::string& url) {
  if (!isMain || failed_)
    return false;
  attempts_ = 0;
  ++generation_;
  if (IsGameOrigin(url, siteHost_))
    lastGameUrl_ = url;
  return true;
}

std::optional<std::string> LoadRecovery::RetryDue(int generation) {
  if (stopped_ || !failed_ || generation != generation_)
    return std::nullopt;
  return retryUrl_;
}

std::optional<std::string> LoadRecovery::RetryNow() {
  if (stopped_ || !failed_)
    return std::nullopt;
  ++generation_;
  return retryUrl_;
}

LoadRecovery::CrashOutcome LoadRecovery::Crashed(std::uint64_t nowMs) {
  CrashOutcome outcome;
  if (stopped_)
    return outcome;
  ++generation_;
  while (!crashReloadsMs_.empty() && nowMs - crashReloadsMs_.front() >= kCrashWindowMs)
    crashReloadsMs_.pop_front();
  const std::string url = GameUrl();
  if (crashReloadsMs_.size() < static_cast<std::size_t>(kCrashReloads)) {
    crashReloadsMs_.push_back(nowMs);
    outcome.reloadUrl = url;
    return outcome;
  }
  failed_ = true;
  retryUrl_ = url;
  Failure failure;
  failure.page.crashed = true;
  failure.page.failedUrl = url;
  failure.pageUrl = url;
  failure.generation = generation_;
  outcome.failure = failure;
  return outcome;
}

void LoadRecovery::Stop() {
  stopped_ = true;
  ++generation_;
}
