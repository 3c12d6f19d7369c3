#include "browser/load_failure.h"

#include <cstddef>

namespace {

constexpr std::uint32_t kRetryDelaysMs[] = {5000, 10000, 30000, 60000};

// Chromium's groups: -100..-199 connection, -800..-899 name resolution.
bool IsConnectionError(int code) {
  return (code <= -100 && code >= -199) || (code <= -800 && code >= -899);
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  std::size_t i = 0;
  for (; prefix[i]; ++i) {
    if (i >= text.size())
      return false;
    char c = text[i];
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i])
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
  constexpr int kTimedOut = -7;
  constexpr int kNetworkChanged = -21;
  constexpr int kEmptyResponse = -324;
  return IsConnectionError(errorCode) || errorCode == kTimedOut ||
         errorCode == kNetworkChanged || errorCode == kEmptyResponse;
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

std::string FailurePageHtml(int errorCode, const std::string& errorText,
                            const std::string& failedUrl, std::uint32_t retrySeconds) {
  std::string html = kPageStart;
  if (IsConnectionError(errorCode) || RetriesByItself(errorCode)) {
    html += "<h1>The game cannot be reached</h1>"
            "<p>The game's site did not answer. Check that this computer is connected to the "
            "internet.</p>";
  } else {
    html += "<h1>The game could not be loaded</h1>"
            "<p>The game's site could not be opened.</p>";
  }
  if (retrySeconds > 0) {
    html += "<p>The launcher tries again in <span id=\"seconds\">" +
            std::to_string(retrySeconds) + "</span> s.</p>";
  }
  html += "<p class=\"detail\">" + HtmlEscape(errorText.empty() ? "Error" : errorText) + " (" +
          std::to_string(errorCode) + ")<br>" + HtmlEscape(failedUrl) + "</p>";
  html += "<div class=\"buttons\">";
  // Only a web address may become a link: anything else in an href could run.
  if (StartsWithNoCase(failedUrl, "https://") || StartsWithNoCase(failedUrl, "http://"))
    html += "<a class=\"button\" id=\"retry\" href=\"" + HtmlEscape(failedUrl) + "\">Retry</a>";
  html += "<button class=\"secondary\" id=\"close\">Close</button></div>";
  html += "</main>";
  html += kPageScript;
  html += "</body></html>";
  return html;
}

void LoadRecovery::RequestStarted(bool isMain) {
  if (isMain)
    failed_ = false;
}

std::optional<LoadRecovery::Failure> LoadRecovery::LoadFailed(bool isMain, int errorCode,
                                                              const std::string& failedUrl) {
  if (!isMain || errorCode == kErrAborted || errorCode == 0 || stopped_)
    return std::nullopt;
  failed_ = true;
  failedUrl_ = failedUrl;
  ++generation_;
  Failure failure;
  failure.url = failedUrl;
  failure.generation = generation_;
  if (RetriesByItself(errorCode))
    failure.retryMs = RetryDelayMs(attempts_++);
  return failure;
}

bool LoadRecovery::LoadFinished(bool isMain) {
  if (!isMain || failed_)
    return false;
  attempts_ = 0;
  ++generation_;
  return true;
}

std::optional<std::string> LoadRecovery::RetryDue(int generation) {
  if (stopped_ || !failed_ || generation != generation_)
    return std::nullopt;
  return failedUrl_;
}

std::optional<std::string> LoadRecovery::RetryNow() {
  if (stopped_ || !failed_)
    return std::nullopt;
  ++generation_;
  return failedUrl_;
}

void LoadRecovery::Stop() {
  stopped_ = true;
  ++generation_;
}
