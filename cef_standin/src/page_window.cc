#include "page_window.h"

#include <string>

#include "browser_impl.h"
#include "demo_page.h"
#include "window_class.h"

namespace standin {

const wchar_t kPageWindowClass[] = L"StandinPageWindow";

namespace {

const wchar_t kNoRenderer[] = L"no web renderer";
const wchar_t kRendererGone[] =
    L"no web renderer: the renderer process crashed; a navigation starts a new one";

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 250;  // answers arrive through the loop; the list follows

// The page this window draws, while it exists.
DemoPage* PageOf(HWND window) {
  return reinterpret_cast<DemoPage*>(GetPropW(window, L"StandinDemoPage"));
}

void Paint(HWND window, BrowserImpl* browser) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT area = {};
  GetClientRect(window, &area);
  const bool gone = browser && !browser->renderer_alive();
  DemoPage* page = PageOf(window);
  // Drawn off screen first, so the list's refresh does not flicker.
  HDC buffer = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, area.right, area.bottom);
  HGDIOBJ old_bitmap = SelectObject(buffer, bitmap);
  if (page && !gone) {
    page->Paint(buffer, area, browser);
  } else {
    FillRect(buffer, &area, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    SetBkMode(buffer, TRANSPARENT);
    std::wstring url = browser ? Widen(browser->main_frame()->url()) : std::wstring();
    RECT line = area;
    line.left += 16;
    line.top += 16;
    DrawTextW(buffer, url.c_str(), static_cast<int>(url.size()), &line,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    line.top += 24;
    DrawTextW(buffer, gone ? kRendererGone : kNoRenderer, -1, &line,
              DT_LEFT | DT_TOP | DT_SINGLELINE);
  }
  BitBlt(dc, 0, 0, area.right, area.bottom, buffer, 0, 0, SRCCOPY);
  SelectObject(buffer, old_bitmap);
  DeleteObject(bitmap);
  DeleteDC(buffer);
  EndPaint(window, &ps);
}

POINT PointOf(LPARAM lparam) {
  return POINT{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
}

LRESULT CALLBACK PageWindowProc(HWND window, UINT message, WPARAM wparam,
                                LPARAM lparam) {
  BrowserImpl* browser = OwnerOf<BrowserImpl>(window);
  switch (message) {
    case WM_NCCREATE:
      KeepCreationParameter(window, lparam);
      SetPropW(window, L"StandinDemoPage", new DemoPage());
      break;
    case WM_CREATE:
      SetTimer(window, kRefreshTimer, kRefreshMs, nullptr);
      break;
    case WM_TIMER:
      if (wparam == kRefreshTimer)
        InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_PAINT:
      Paint(window, browser);
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(window);
      if (DemoPage* page = PageOf(window)) {
        SetCapture(window);
        if (page->MouseDown(PointOf(lparam), browser))
          InvalidateRect(window, nullptr, FALSE);
      }
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == window)
        ReleaseCapture();
      if (DemoPage* page = PageOf(window)) {
        if (page->MouseUp(PointOf(lparam), browser))
          InvalidateRect(window, nullptr, FALSE);
      }
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_CHAR:
    case WM_SYSCHAR:
      if (browser && browser->OnPageKey(message, wparam, lparam))
        return 0;
      // Only the system's close key goes on (see BrowserImpl::OnPageKey); any
      // other system key would start menu mode, which a page does not do.
      if (message == WM_SYSKEYDOWN && wparam == VK_F4)
        break;
      return 0;
    case WM_NCDESTROY:
      KillTimer(window, kRefreshTimer);
      delete static_cast<DemoPage*>(RemovePropW(window, L"StandinDemoPage"));
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

DemoPage* DemoPageOf(HWND page_window) {
  return page_window ? PageOf(page_window) : nullptr;
}

HWND CreatePageWindow(HWND parent, BrowserImpl* browser) {
  if (!RegisterWindowClass(kPageWindowClass, PageWindowProc, true))
    return nullptr;
  RECT client = {};
  GetClientRect(parent, &client);
  return CreateWindowExW(0, kPageWindowClass, L"",
                         WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0,
                         0, client.right - client.left, client.bottom - client.top,
                         parent, nullptr, GetModuleHandleW(nullptr), browser);
}

}  // namespace standin
