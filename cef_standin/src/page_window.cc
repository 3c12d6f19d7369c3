#include "page_window.h"

#include <string>

#include "browser_impl.h"
#include "window_class.h"

namespace standin {

const wchar_t kPageWindowClass[] = L"StandinPageWindow";

namespace {

const wchar_t kNoRenderer[] = L"no web renderer";
const wchar_t kRendererGone[] =
    L"no web renderer: the renderer process crashed; a navigation starts a new one";

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty())
    return std::wstring();
  int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(),
                                 static_cast<int>(utf8.size()), nullptr, 0);
  if (size <= 0)
    return std::wstring();
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                      &wide[0], size);
  return wide;
}

void Paint(HWND window, BrowserImpl* browser) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT area = {};
  GetClientRect(window, &area);
  FillRect(dc, &area, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  SetBkMode(dc, TRANSPARENT);
  std::wstring url = browser ? Widen(browser->main_frame()->url()) : std::wstring();
  RECT line = area;
  line.left += 16;
  line.top += 16;
  DrawTextW(dc, url.c_str(), static_cast<int>(url.size()), &line,
            DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  line.top += 24;
  const bool gone = browser && !browser->renderer_alive();
  DrawTextW(dc, gone ? kRendererGone : kNoRenderer, -1, &line,
            DT_LEFT | DT_TOP | DT_SINGLELINE);
  EndPaint(window, &ps);
}

LRESULT CALLBACK PageWindowProc(HWND window, UINT message, WPARAM wparam,
                                LPARAM lparam) {
  BrowserImpl* browser = OwnerOf<BrowserImpl>(window);
  switch (message) {
    case WM_NCCREATE:
      KeepCreationParameter(window, lparam);
      break;
    case WM_PAINT:
      Paint(window, browser);
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(window);
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
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

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
