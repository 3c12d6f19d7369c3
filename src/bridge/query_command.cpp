#include "bridge/query_command.h"

#include <climits>
#include <cmath>

#include "app/ascii.h"

namespace {

constexpr uint64_t kSettlingMs = 7000;
constexpr double kZoomBase = 1.2;
constexpr double kPercentBase = 100.0;

bool StartsWith(const std::string& text, const char* prefix, std::string* rest) {
  const std::string p(prefix);
  if (text.compare(0, p.size(), p) != 0)
    return false;
  if (rest)
    *rest = text.substr(p.size());
  return true;
}

std::string AsciiLower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower)
    c = ::AsciiLower(c);
  return lower;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

QueryCommand ParseQuery(std::string_view request) {
  struct Form {
    const char* text;
    bool prefix;
    QueryKind kind;
  };
  // The order is part of the grammar: the first form that matches decides.
  static const Form kForms[] = {
      {"app:getram", false, QueryKind::kGetRam},
      {"acc:list", false, QueryKind::kAccountList},
      {"acc:add:", true, QueryKind::kAccountAdd},
      {"acc:del:", true, QueryKind::kAccountDelete},
      {"acc:getpass:", true, QueryKind::kAccountPassword},
      {"rpc:", true, QueryKind::kPresence},
      {"app:mute", false, QueryKind::kMute},
      {"app:unmute", false, QueryKind::kUnmute},
      {"app:open:", true, QueryKind::kOpenLink},
      {"app:clearcache", false, QueryKind::kClearCache},
      {"win:", true, QueryKind::kWindow},
  };
  QueryCommand command;
  for (const Form& form : kForms) {
    const std::string_view text(form.text);
    if (form.prefix ? request.substr(0, text.size()) == text : request == text) {
      command.kind = form.kind;
      command.form = text;
      if (form.prefix)
        command.argument = request.substr(text.size());
      return command;
    }
  }
  return QueryCommand();
}

BarSplit SplitAtFirstBar(std::string_view text) {
  BarSplit split;
  const std::string_view::size_type bar = text.find('|');
  split.hasBar = bar != std::string_view::npos;
  split.first = text.substr(0, bar);
  if (split.hasBar)
    split.second = text.substr(bar + 1);
  return split;
}

WindowCommand ParseWindowCommand(const std::string& argument) {
  struct Form {
    const char* text;
    WindowAction action;
  };
  static const Form kExact[] = {
      {"minimize", WindowAction::kMinimize}, {"maximize", WindowAction::kMaximize},
      {"close", WindowAction::kClose},       {"drag", WindowAction::kDrag},
      {"fullscreen", WindowAction::kFullScreen},
  };
  WindowCommand command;
  for (const Form& form : kExact) {
    if (argument == form.text) {
      command.action = form.action;
      return command;
    }
  }
  if (StartsWith(argument, "zoom:", &command.argument))
    command.action = WindowAction::kZoom;
  return command;
}

int ReadPercent(const std::string& text) {
  std::string::size_type i = 0;
  // atoi skips what isspace counts as blank in the C locale.
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value <= INT_MAX)
      value = value * 10 + (text[i] - '0');
  }
  if (negative)
    return value > INT_MAX ? INT_MIN : static_cast<int>(-value);
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

double ZoomLevelForPercent(int percent) {
  return std::log(percent / kPercentBase) / std::log(kZoomBase);
}

bool IsOpenableLink(const std::string& url) {
  return StartsWith(url, "http://", nullptr) || StartsWith(url, "https://", nullptr);
}

bool MemoryFigureSettling(uint64_t nowMs, uint64_t launchTickMs) {
  return launchTickMs != 0 && nowMs - launchTickMs < kSettlingMs;
}

bool IsGameOrigin(const std::string& frameUrl, const std::string& siteHost) {
  std::string rest;
  if (siteHost.empty() || !StartsWith(AsciiLower(frameUrl), "https://", &rest))
    return false;
  std::string authority = rest.substr(0, rest.find_first_of("/?#\\"));
  // What stands before an '@' is user information, not the host.
  const std::string::size_type at = authority.rfind('@');
  if (at != std::string::npos)
    authority.erase(0, at + 1);
  std::string host = authority;
  const std::string::size_type colon = authority.find(':');
  if (colon != std::string::npos) {
    if (authority.substr(colon + 1) != "443")
      return false;
    host.erase(colon);
  }
  const std::string site = AsciiLower(siteHost);
  return host == site || EndsWith(host, "." + site);
}
