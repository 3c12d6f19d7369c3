// The browser's own window, made from CefWindowInfo. It hosts the page window and
// turns WM_CLOSE and WM_DESTROY into the browser's close path.
#ifndef CEF_STANDIN_SRC_BROWSER_WINDOW_H_
#define CEF_STANDIN_SRC_BROWSER_WINDOW_H_

#include <windows.h>

#include "include/internal/cef_win.h"

namespace standin {

class BrowserImpl;

extern const wchar_t kBrowserWindowClass[];

// Null on failure. The window keeps a plain pointer to the browser, which
// outlives it (the browser destroys its windows at the latest when it dies).
HWND CreateBrowserWindow(const CefWindowInfo& info, BrowserImpl* browser);

}  // namespace standin

#endif  // CEF_STANDIN_SRC_BROWSER_WINDOW_H_
