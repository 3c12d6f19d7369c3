#include "browser_window.h"

#include "browser_impl.h"
#include "window_class.h"

namespace standin {

const wchar_t kBrowserWindowClass[] = L"CefBrowserWindow";

namespace {

void FitPage(HWND window, BrowserImpl* browser) {
  if (!browser || !browser->page_window())
    return;
  RECT client = {};
  GetClientRect(window, &client);
  MoveWindow(browser->page_window(), 0, 0, client.right - client.left,
             client.bottom - client.top, TRUE);
}

LRESULT CALLBACK BrowserWindowProc(HWND window, UINT message, WPARAM wparam,
                                   LPARAM lparam) {
  BrowserImpl* browser = OwnerOf<BrowserImpl>(window);
  switch (message) {
    case WM_NCCREATE:
      KeepCreationParameter(window, lparam);
      break;
    case WM_SIZE:
      FitPage(window, browser);
      return 0;
    case WM_SETFOCUS:
      if (browser && browser->page_window())
        SetFocus(browser->page_window());
      return 0;
    case WM_ERASEBKGND:
      // The page window covers the whole client area.
      return 1;
    case WM_CLOSE:
      if (!browser || browser->OnWindowClose())
        DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      if (browser)
        browser->OnWindowDestroyed();
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

HWND CreateBrowserWindow(const CefWindowInfo& info, BrowserImpl* browser) {
  if (!RegisterWindowClass(kBrowserWindowClass, BrowserWindowProc, true))
    return nullptr;
  const wchar_t* title = info.window_name.str ? info.window_name.str : L"";
  std::wstring name(title, info.window_name.str ? info.window_name.length : 0);
  HWND window = CreateWindowExW(
      info.ex_style, kBrowserWindowClass, name.c_str(), info.style, info.x,
      info.y, info.width, info.height, info.parent_window, info.menu,
      GetModuleHandleW(nullptr), browser);
  return window;
}

}  // namespace standin
