// The child window that stands where a renderer would draw the page. It shows
// the main frame's URL and "no web renderer", and passes keyboard messages to
// the browser.
#ifndef CEF_STANDIN_SRC_PAGE_WINDOW_H_
#define CEF_STANDIN_SRC_PAGE_WINDOW_H_

#include <windows.h>

namespace standin {

class BrowserImpl;

extern const wchar_t kPageWindowClass[];

class DemoPage;
// The demonstration page the window draws; null for a window of another class.
DemoPage* DemoPageOf(HWND page_window);

// Null on failure. Fills the parent's client area.
HWND CreatePageWindow(HWND parent, BrowserImpl* browser);

}  // namespace standin

#endif  // CEF_STANDIN_SRC_PAGE_WINDOW_H_
