#include "browser/main_window.h"

#include <string>

#include "app/cef_text.h"
#include "app/config.h"
#include "app/launcher_instance.h"
#include "app/trace.h"
#include "browser/client_handler.h"
#include "browser/window_geometry.h"
#include "include/cef_app.h"
#include "resources/resource.h"

WNDPROC previousWindowProc = nullptr;
bool fullScreenActive = false;
RECT windowedRect = {};
bool mainBrowserFailed = false;

namespace {

// No caption; a sizing frame, system menu and the two boxes, so the page can
// offer window controls of its own.
constexpr DWORD kMainWindowStyle = WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU |
                                   WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

// Posted to the main window: start the move loop (StartWindowDrag).
constexpr UINT kStartDragMessage = WM_APP + 0x5A;

HICON LoadAppIcon(HMODULE module, int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_APP_ICON), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric),
                                       GetSystemMetrics(heightMetric), 0));
}

bool IsMaximized(HWND window) {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  return GetWindowPlacement(window, &placement) && placement.showCmd == SW_SHOWMAXIMIZED;
}

LRESULT CalcFramelessClientRect(HWND window, WPARAM wParam, LPARAM lParam) {
  // Full screen: the client area is the whole window, no frame at all.
  if (fullScreenActive)
    return 0;
  auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
  const LONG top = params->rgrc[0].top;
  CallWindowProcW(previousWindowProc, window, WM_NCCALCSIZE, wParam, lParam);
  // Keep the side and bottom sizing borders but no caption or top border; a
  // maximised window keeps the whole inset so it does not spill off screen.
  if (!IsMaximized(window))
    params->rgrc[0].top = top;
  return 0;
}

}  // namespace

bool CreateMainBrowser() {
  Trace(std::string("launcher url=") + kSiteUrl);

  CefWindowInfo windowInfo;
  windowInfo.ex_style = 0;
  CefString(&windowInfo.window_name) = Utf8ToCef(kWindowTitle);
  windowInfo.style = kMainWindowStyle;
  windowInfo.parent_window = nullptr;
  windowInfo.menu = nullptr;
  windowInfo.windowless_rendering_enabled = 0;
  windowInfo.width = kWindowWidth;
  windowInfo.height = kWindowHeight;
  windowInfo.x = CenteredOffset(GetSystemMetrics(SM_CXSCREEN), kWindowWidth);
  windowInfo.y = CenteredOffset(GetSystemMetrics(SM_CYSCREEN), kWindowHeight);

  CefBrowserSettings browserSettings;
  browserSettings.javascript = STATE_ENABLED;
  browserSettings.plugins = STATE_ENABLED;

  CefRefPtr<ClientHandler> handler(new ClientHandler());
  return CefBrowserHost::CreateBrowser(windowInfo, handler.get(), Utf8ToCef(kSiteUrl),
                                       browserSettings, nullptr);
}

HWND GetMainWindowHandle(CefRefPtr<CefBrowser> browser) {
  if (!browser)
    return nullptr;
  CefRefPtr<CefBrowserHost> host = browser->GetHost();
  if (!host)
    return nullptr;
  HWND handle = host->GetWindowHandle();
  if (!handle)
    return nullptr;
  HWND root = GetAncestor(handle, GA_ROOT);
  return root ? root : handle;
}

void SetUpMainWindow(HWND window) {
  LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  style &= ~static_cast<LONG_PTR>(WS_CAPTION);
  style |= WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  SetWindowLongPtrW(window, GWL_STYLE, style);

  // Once per process: a second window must not chain the procedure to itself.
  if (!previousWindowProc) {
    previousWindowProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FramelessWindowProc)));
  }
  SetWindowPos(window, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
  // How a second start of this folder finds the window to bring forward.
  SetPropW(window, kLauncherWindowProperty, reinterpret_cast<HANDLE>(1));

  // The handles live as long as the process; the window keeps using them.
  HMODULE module = GetModuleHandleW(nullptr);
  HICON bigIcon = LoadAppIcon(module, SM_CXICON, SM_CYICON);
  HICON smallIcon = LoadAppIcon(module, SM_CXSMICON, SM_CYSMICON);
  if (bigIcon)
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
  if (smallIcon)
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

LRESULT CALLBACK FramelessWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCALCSIZE && wParam == TRUE)
    return CalcFramelessClientRect(window, wParam, lParam);
  if (message == WM_NCDESTROY)
    RemovePropW(window, kLauncherWindowProperty);
  if (message == kStartDragMessage) {
    // The engine's pump leaves the move loop's own messages to it meanwhile.
    CefSetOSModalLoop(true);
    ReleaseCapture();
    SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    CefSetOSModalLoop(false);
    return 0;
  }
  return CallWindowProcW(previousWindowProc, window, message, wParam, lParam);
}

void StartWindowDrag(HWND window) {
  if (window)
    PostMessageW(window, kStartDragMessage, 0, 0);
}

void ToggleFullScreen(HWND window, MonitorInfoReader getMonitorInfo) {
  if (!window)
    return;
  if (!fullScreenActive) {
    GetWindowRect(window, &windowedRect);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!getMonitorInfo(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info))
      return;
    // Set before the move: the frame recomputation it causes must find it set.
    fullScreenActive = true;
    const RECT& area = info.rcMonitor;  // the whole monitor, taskbar included
    SetWindowPos(window, HWND_TOP, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
    return;
  }
  fullScreenActive = false;
  SetWindowPos(window, HWND_TOP, windowedRect.left, windowedRect.top,
               windowedRect.right - windowedRect.left, windowedRect.bottom - windowedRect.top,
               SWP_FRAMECHANGED | SWP_NOOWNERZORDER | SWP_NOZORDER);
}

void RunInMainFrame(CefRefPtr<CefBrowser> browser, const std::string& script) {
  if (!browser)
    return;
  CefRefPtr<CefFrame> frame = browser->GetMainFrame();
  if (!frame)
    return;
  frame->ExecuteJavaScript(Utf8ToCef(script), frame->GetURL(), 0);
}
