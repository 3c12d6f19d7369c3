// The page bridge's grammar: which command a request names and its argument,
// apart from any action. Every test is on the UTF-8 bytes and case-sensitive.

#ifndef ZLM_BRIDGE_QUERY_COMMAND_H_
#define ZLM_BRIDGE_QUERY_COMMAND_H_

#include <cstdint>
#include <string>
#include <string_view>

enum class QueryKind {
  kNone,  // no known form: declined
  kGetRam,
  kAccountList,
  kAccountAdd,
  kAccountDelete,
  kAccountPassword,
  kPresence,
  kMute,
  kUnmute,
  kOpenLink,
  kClearCache,
  kWindow,
};

// The argument and the split's parts are views into the request, not copies:
// a request may carry a password, and only the caller's buffer of it, which
// must outlive them, needs wiping.
struct QueryCommand {
  QueryKind kind = QueryKind::kNone;
  std::string_view form;      // the form that matched ("acc:add:"), static; empty for none
  std::string_view argument;  // the raw text behind a prefix form; empty for exact forms
};

// Tests the forms in their fixed order; the first match decides.
QueryCommand ParseQuery(std::string_view request);

// The argument split at its first '|'. Without a bar the whole text is the
// first part, the second is empty, and hasBar is false. Further bars stay in
// the second part.
struct BarSplit {
  bool hasBar = false;
  std::string_view first;
  std::string_view second;
};
BarSplit SplitAtFirstBar(std::string_view text);

enum class WindowAction {
  kUnknown,  // answered with a failure
  kMinimize,
  kMaximize,  // a toggle with restore
  kClose,
  kDrag,
  kFullScreen,
  kZoom,
};

struct WindowCommand {
  WindowAction action = WindowAction::kUnknown;
  std::string argument;  // the text behind "zoom:"
};
WindowCommand ParseWindowCommand(const std::string& argument);

// Reads a decimal integer as atoi does (leading blanks, one sign, digits up to
// the first non-digit, none giving 0), except that a value beyond int's range
// saturates instead of overflowing.
int ReadPercent(const std::string& text);

// The CEF zoom level that shows a page at |percent| (> 0): log(p / 100) / log(1.2).
double ZoomLevelForPercent(int percent);

// Links the launcher hands to the system: "http://" and "https://" only.
bool IsOpenableLink(const std::string& url);

// The first 7000 ms after launchTickMs (when it was taken) the memory figure
// is not measured yet.
bool MemoryFigureSettling(uint64_t nowMs, uint64_t launchTickMs);

// True for a frame URL of the game's origin: https, the host equal to
// |siteHost| or a subdomain of it (ASCII case ignored), no port but 443.
bool IsGameOrigin(const std::string& frameUrl, const std::string& siteHost);

#endif  // ZLM_BRIDGE_QUERY_COMMAND_H_
