// The main browser's top-level window: creation, set-up after CEF made it,
// its window procedure, and the window state shared with full screen.
// Everything here runs on CEF's UI thread, which is the program's main thread.

#ifndef ZLM_BROWSER_MAIN_WINDOW_H_
#define ZLM_BROWSER_MAIN_WINDOW_H_

#include <windows.h>

#include <string>

#include "include/cef_browser.h"

// Creates the one browser on the start URL. False when CEF refused to create it.
bool CreateMainBrowser();

// The browser host's window raised to its root ancestor; null when there is none.
HWND GetMainWindowHandle(CefRefPtr<CefBrowser> browser);

// Caption removed, FramelessWindowProc installed (once per process), frame
// recomputed, application icons set.
void SetUpMainWindow(HWND window);

LRESULT CALLBACK FramelessWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Moves |window| with the mouse, as a drag of its caption, until the button is
// let go. The system's move loop is a modal loop: it is entered later, from the
// window's own message, never inside the caller's task, in which the engine
// would run none of its work (a page's answers included) until the drag ended.
void StartWindowDrag(HWND window);

// Switches the window into full screen on the whole area of its monitor, or
// back to the rectangle it had. The style and show state stay as they are; the
// frame goes away through FramelessWindowProc. A failed monitor query leaves
// the window windowed. |getMonitorInfo| is a seam for tests.
using MonitorInfoReader = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
void ToggleFullScreen(HWND window, MonitorInfoReader getMonitorInfo = &GetMonitorInfoW);

// Runs |script| (UTF-8) in the browser's main frame, with the frame's URL as
// script URL and line 0. Nothing without a browser or main frame.
void RunInMainFrame(CefRefPtr<CefBrowser> browser, const std::string& script);

extern WNDPROC previousWindowProc;  // null until FramelessWindowProc is installed
extern bool fullScreenActive;
extern RECT windowedRect;           // window rectangle saved on entering full screen

// Set when CreateMainBrowser failed, so the entry point exits with -1.
extern bool mainBrowserFailed;

#endif  // ZLM_BROWSER_MAIN_WINDOW_H_
