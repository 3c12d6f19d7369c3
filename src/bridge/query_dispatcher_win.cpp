#include "bridge/query_dispatcher.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <string_view>

#include "accounts/account_store.h"
#include "accounts/percent_codec.h"
#include "accounts/secret_memory.h"
#include "accounts/utf8_check.h"
#include "app/cache_restart.h"
#include "app/cef_text.h"
#include "app/process_values.h"
#include "app/trace.h"
#include "bridge/audio_mute.h"
#include "bridge/process_memory.h"
#include "bridge/query_command.h"
#include "browser/main_window.h"
#include "presence/presence_text.h"

namespace {

constexpr int kFailureCode = -1;

using Callback = CefMessageRouterBrowserSide::Callback;

// The game's pages only: a foreign page or an advert frame in the window must
// not read stored passwords or drive the window.
bool FromGameOrigin(CefRefPtr<CefFrame> frame) {
  return frame && IsGameOrigin(CefToUtf8(frame->GetURL()), siteHost);
}

// A password in clear lives only in wiped memory, here as in the store.
SecretBytes DecodeSecret(std::string_view text) {
  SecretBytes bytes;
  AppendPercentDecoded(text, bytes);
  return bytes;
}

// A page that hears success believes the login is kept for the next start.
constexpr char kNotSaved[] = "the logins could not be saved";

// The failure text for the page, or null on success (including the forms
// that store nothing). Nothing is stored for a name that is not UTF-8: the
// page would get it back with U+FFFD in it and could never name it again.
const char* AddAccountFrom(std::string_view argument) {
  const BarSplit split = SplitAtFirstBar(argument);
  if (!split.hasBar)
    return nullptr;
  const std::string user = PercentDecode(split.first);
  if (user.empty())
    return nullptr;
  if (!IsValidUtf8(user))
    return "user name is not valid UTF-8";
  if (!AddAccount(user, AsStringView(DecodeSecret(split.second))))
    return kNotSaved;
  return nullptr;
}

void AnswerPassword(std::string_view argument, CefRefPtr<Callback> callback) {
  std::string password = GetAccountPassword(PercentDecode(argument));
  CefString answer = Utf8ToCef(password);
  SecureWipe(&password[0], password.size());
  callback->Success(answer);
  // The router's copy is CEF's to free; this one is ours.
  cef_string_t* text = answer.GetWritableStruct();
  if (text->str)
    SecureWipe(text->str, text->length * sizeof(text->str[0]));
}

void OpenLink(const std::string& url) {
  if (IsOpenableLink(url))
    OpenWithSystem(url);
}

void SetZoom(CefRefPtr<CefBrowser> browser, const std::string& argument) {
  const int percent = ReadPercent(argument);
  if (percent <= 0)
    return;
  CefRefPtr<CefBrowserHost> host = browser ? browser->GetHost() : nullptr;
  if (host)
    host->SetZoomLevel(ZoomLevelForPercent(percent));
}

void RunWindowCommand(CefRefPtr<CefBrowser> browser, HWND window, const std::string& argument,
                      CefRefPtr<Callback> callback) {
  if (!window) {
    callback->Failure(kFailureCode, "no window");
    return;
  }
  const WindowCommand command = ParseWindowCommand(argument);
  switch (command.action) {
    case WindowAction::kMinimize:
      ShowWindow(window, SW_MINIMIZE);
      break;
    case WindowAction::kMaximize:
      ShowWindow(window, IsZoomed(window) ? SW_RESTORE : SW_MAXIMIZE);
      break;
    case WindowAction::kClose:
      PostMessageW(window, WM_CLOSE, 0, 0);
      break;
    case WindowAction::kDrag:
      StartWindowDrag(window);
      break;
    case WindowAction::kFullScreen:
      ToggleFullScreen(window);
      break;
    case WindowAction::kZoom:
      SetZoom(browser, command.argument);
      break;
    case WindowAction::kUnknown:
      callback->Failure(kFailureCode, "unknown command");
      return;
  }
  callback->Success(CefString());
}

}  // namespace

bool DispatchQuery(CefRefPtr<CefBrowser> browser,
                   CefRefPtr<CefFrame> frame,
                   const CefString& request,
                   CefRefPtr<Callback> callback) {
  if (!FromGameOrigin(frame))
    return false;
  // acc:add carries a password; the command and its parts are views into
  // this wiped buffer.
  const SecretBytes utf8 = CefToSecretUtf8(request);
  const QueryCommand command = ParseQuery(AsStringView(utf8));
  // The form only: an argument may be a login.
  if (command.kind != QueryKind::kNone)
    Trace("bridge " + std::string(command.form));
  std::string answer;
  switch (command.kind) {
    case QueryKind::kNone:
      return false;
    case QueryKind::kGetRam:
      answer = MemoryFigureSettling(GetTickCount64(), launchTickMs) ? "settling"
                                                                    : GetRamUsageText();
      break;
    case QueryKind::kAccountList:
      answer = AccountsListJson();
      break;
    case QueryKind::kAccountAdd:
      if (const char* failure = AddAccountFrom(command.argument)) {
        callback->Failure(kFailureCode, failure);
        return true;
      }
      break;
    case QueryKind::kAccountDelete:
      if (!DeleteAccount(PercentDecode(command.argument))) {
        callback->Failure(kFailureCode, kNotSaved);
        return true;
      }
      break;
    case QueryKind::kAccountPassword:
      AnswerPassword(command.argument, callback);
      return true;
    case QueryKind::kPresence: {
      const BarSplit split = SplitAtFirstBar(command.argument);
      SetPresenceText(std::string(split.first), std::string(split.second));
      break;
    }
    case QueryKind::kMute:
    case QueryKind::kUnmute:
      SetLauncherAudioMute(command.kind == QueryKind::kMute);
      break;
    case QueryKind::kOpenLink:
      OpenLink(std::string(command.argument));
      break;
    case QueryKind::kClearCache: {
      HWND window = GetMainWindowHandle(browser);
      // The page hears back before the restart closes its window.
      callback->Success(CefString());
      ClearCacheAndRestart(window);
      return true;
    }
    case QueryKind::kWindow:
      RunWindowCommand(browser, GetMainWindowHandle(browser), std::string(command.argument),
                       callback);
      return true;
  }
  callback->Success(Utf8ToCef(answer));
  return true;
}

void OpenWithSystem(const std::string& url) {
  const CefString wide = Utf8ToCef(url);
  if (!wide.empty())
    ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
