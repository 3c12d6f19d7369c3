#include "window_info.h"

#include <iomanip>
#include <sstream>

#include "utf_convert.h"

namespace e2e {

namespace {

Rect ToRect(const RECT& r) {
  return Rect{r.left, r.top, r.right, r.bottom};
}

struct EnumState {
  unsigned long process_id;
  bool visible_only;
  std::vector<WindowInfo>* found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
  auto* state = reinterpret_cast<EnumState*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != state->process_id)
    return TRUE;
  if (state->visible_only && !::IsWindowVisible(window))
    return TRUE;
  if (auto info = DescribeWindow(window))
    state->found->push_back(*info);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
  if (auto info = DescribeWindow(window))
    reinterpret_cast<std::vector<WindowInfo>*>(param)->push_back(*info);
  return TRUE;
}

std::wstring ClassNameOf(HWND window) {
  wchar_t buffer[256] = {};
  const int length = ::GetClassNameW(window, buffer, ARRAYSIZE(buffer));
  return std::wstring(buffer, length > 0 ? length : 0);
}

std::wstring TitleOf(HWND window) {
  wchar_t buffer[1024] = {};
  const int length = ::GetWindowTextW(window, buffer, ARRAYSIZE(buffer));
  return std::wstring(buffer, length > 0 ? length : 0);
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const WindowInfo& info) {
  std::ostringstream text;
  text << "window 0x" << std::hex
       << reinterpret_cast<uintptr_t>(info.handle) << std::dec << " of pid "
       << info.process_id << " class \"" << WideToUtf8(info.class_name)
       << "\" title \"" << WideToUtf8(info.title) << "\" style 0x" << std::hex
       << std::setw(8) << std::setfill('0') << info.style << " exstyle 0x"
       << std::setw(8) << info.ex_style << std::dec << std::setfill(' ')
       << (info.visible ? " visible" : " hidden")
       << (info.minimized ? " minimized" : "")
       << (info.maximized ? " maximized" : "") << " rect " << info.window_rect
       << " client " << info.client_rect << " client on screen "
       << info.client_screen_rect;
  return out << text.str();
}

std::optional<WindowInfo> DescribeWindow(HWND window) {
  if (!window || !::IsWindow(window))
    return std::nullopt;
  WindowInfo info;
  info.handle = window;
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  info.process_id = owner;
  info.class_name = ClassNameOf(window);
  info.title = TitleOf(window);
  info.style = static_cast<unsigned long>(::GetWindowLongW(window, GWL_STYLE));
  info.ex_style =
      static_cast<unsigned long>(::GetWindowLongW(window, GWL_EXSTYLE));
  info.visible = ::IsWindowVisible(window) != FALSE;
  info.minimized = ::IsIconic(window) != FALSE;
  info.maximized = ::IsZoomed(window) != FALSE;
  RECT rect = {};
  if (!::GetWindowRect(window, &rect))
    return std::nullopt;
  info.window_rect = ToRect(rect);
  RECT client = {};
  if (!::GetClientRect(window, &client))
    return std::nullopt;
  info.client_rect = ToRect(client);
  POINT corners[2] = {{client.left, client.top}, {client.right, client.bottom}};
  ::MapWindowPoints(window, HWND_DESKTOP, corners, 2);
  info.client_screen_rect =
      Rect{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  return info;
}

std::vector<WindowInfo> TopLevelWindows(unsigned long process_id,
                                        bool visible_only) {
  std::vector<WindowInfo> found;
  EnumState state{process_id, visible_only, &found};
  ::EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&state));
  return found;
}

std::vector<WindowInfo> ChildWindows(HWND parent) {
  std::vector<WindowInfo> found;
  ::EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::optional<WindowInfo> WaitForTopLevelWindow(unsigned long process_id,
                                                const WindowMatch& match,
                                                Millis timeout) {
  return PollUntil(
      [&]() -> std::optional<WindowInfo> {
        for (const WindowInfo& info : TopLevelWindows(process_id)) {
          if (!match || match(info))
            return info;
        }
        return std::nullopt;
      },
      timeout);
}

testing::AssertionResult WaitForWindow(HWND window, const WindowMatch& match,
                                       const std::string& what,
                                       Millis timeout) {
  std::optional<WindowInfo> last;
  const bool reached = PollUntil(
      [&] {
        last = DescribeWindow(window);
        return last && match(*last);
      },
      timeout);
  if (reached)
    return testing::AssertionSuccess();
  testing::AssertionResult failure = testing::AssertionFailure();
  failure << "window never became " << what << " within " << timeout.count()
          << " ms; last seen: ";
  if (last)
    failure << *last;
  else
    failure << "no such window";
  return failure;
}

testing::AssertionResult WaitForNoTopLevelWindows(unsigned long process_id,
                                                  Millis timeout) {
  std::vector<WindowInfo> last;
  const bool gone = PollUntil(
      [&] {
        last = TopLevelWindows(process_id);
        return last.empty();
      },
      timeout);
  if (gone)
    return testing::AssertionSuccess();
  testing::AssertionResult failure = testing::AssertionFailure();
  failure << last.size() << " visible window(s) of pid " << process_id
          << " still open after " << timeout.count() << " ms:";
  for (const WindowInfo& info : last)
    failure << "\n  " << info;
  return failure;
}

void PostClose(HWND window) {
  ::PostMessageW(window, WM_CLOSE, 0, 0);
}

void ShowFromOutside(HWND window, int show_command) {
  ::ShowWindowAsync(window, show_command);
}

bool MoveFromOutside(HWND window, const Rect& rect) {
  return ::SetWindowPos(window, nullptr, rect.left, rect.top, rect.width(),
                        rect.height(),
                        SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

bool HasStyle(const WindowInfo& info, unsigned long bits) {
  return (info.style & bits) == bits;
}

}  // namespace e2e
