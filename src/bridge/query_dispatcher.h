// The page bridge: carries out the command a page's cefQuery names and answers
// it before returning. UI thread (the router calls OnQuery there).

#ifndef ZLM_BRIDGE_QUERY_DISPATCHER_H_
#define ZLM_BRIDGE_QUERY_DISPATCHER_H_

#include <string>

#include "include/cef_browser.h"
#include "include/wrapper/cef_message_router.h"

// True when the request named a command: it has been answered, with success
// or a failure. False, with no answer given, for a request of no known form or
// from a frame outside the game's origin; the router then fails it on the page
// with -1, "The query has been canceled".
bool DispatchQuery(CefRefPtr<CefBrowser> browser,
                   CefRefPtr<CefFrame> frame,
                   const CefString& request,
                   CefRefPtr<CefMessageRouterBrowserSide::Callback> callback);

// Hands |url| to the system's program for its scheme (ShellExecuteW "open").
// The caller decides what may go there.
void OpenWithSystem(const std::string& url);

#endif  // ZLM_BRIDGE_QUERY_DISPATCHER_H_
