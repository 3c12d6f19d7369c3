#include "screen.h"

namespace e2e {

namespace {

std::optional<MONITORINFO> MonitorInfoOf(HWND window) {
  HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (!monitor || !::GetMonitorInfoW(monitor, &info))
    return std::nullopt;
  return info;
}

Rect ToRect(const RECT& r) {
  return Rect{r.left, r.top, r.right, r.bottom};
}

}  // namespace

Size PrimaryScreenSize() {
  return Size{::GetSystemMetrics(SM_CXSCREEN),
              ::GetSystemMetrics(SM_CYSCREEN)};
}

std::optional<Rect> MonitorRectOf(HWND window) {
  const auto info = MonitorInfoOf(window);
  if (!info)
    return std::nullopt;
  return ToRect(info->rcMonitor);
}

std::optional<Rect> WorkAreaOf(HWND window) {
  const auto info = MonitorInfoOf(window);
  if (!info)
    return std::nullopt;
  return ToRect(info->rcWork);
}

}  // namespace e2e
