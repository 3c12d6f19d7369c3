// Looking at another process's windows from outside, as a user would.
#ifndef ZLM_TESTS_E2E_SUPPORT_WINDOW_INFO_H_
#define ZLM_TESTS_E2E_SUPPORT_WINDOW_INFO_H_

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "rect.h"
#include "wait.h"

namespace e2e {

// A snapshot; the window may have changed or gone since it was taken.
struct WindowInfo {
  HWND handle = nullptr;
  unsigned long process_id = 0;
  std::wstring class_name;
  std::wstring title;
  unsigned long style = 0;
  unsigned long ex_style = 0;
  bool visible = false;
  bool minimized = false;
  bool maximized = false;
  Rect window_rect;         // screen coordinates
  Rect client_rect;         // client coordinates: left and top are 0
  Rect client_screen_rect;  // the client area in screen coordinates
};

std::ostream& operator<<(std::ostream& out, const WindowInfo& info);

using WindowMatch = std::function<bool(const WindowInfo&)>;

// Nothing when `window` is no longer a window.
std::optional<WindowInfo> DescribeWindow(HWND window);

// Top-level windows owned by `process_id`, in z-order.
std::vector<WindowInfo> TopLevelWindows(unsigned long process_id,
                                        bool visible_only = true);
std::vector<WindowInfo> ChildWindows(HWND parent);

// The first visible top-level window of the process that `match` accepts
// (any, when `match` is empty), once one appears within `timeout`.
std::optional<WindowInfo> WaitForTopLevelWindow(
    unsigned long process_id, const WindowMatch& match = {},
    Millis timeout = kDefaultTimeout);

// Succeeds once `match` accepts the window; the failure names `what` and
// shows the window as last seen.
testing::AssertionResult WaitForWindow(HWND window, const WindowMatch& match,
                                       const std::string& what,
                                       Millis timeout = kDefaultTimeout);

testing::AssertionResult WaitForNoTopLevelWindows(
    unsigned long process_id, Millis timeout = kDefaultTimeout);

// Acting on the window like the shell or the user does.
void PostClose(HWND window);
void ShowFromOutside(HWND window, int show_command);  // SW_MAXIMIZE, ...
bool MoveFromOutside(HWND window, const Rect& rect);

bool HasStyle(const WindowInfo& info, unsigned long bits);

}  // namespace e2e

#endif  // ZLM_TESTS_E2E_SUPPORT_WINDOW_INFO_H_
