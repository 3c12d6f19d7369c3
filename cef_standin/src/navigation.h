// Loading a frame: the events a navigation causes, each posted to the message
// loop one turn after the other, as the real engine delivers them.
#ifndef CEF_STANDIN_SRC_NAVIGATION_H_
#define CEF_STANDIN_SRC_NAVIGATION_H_

#include <string>

#include "include/internal/cef_ptr.h"

namespace standin {

class FrameImpl;

// UI thread. Return the navigation's ticket (see standin::NavigationDone). A
// later navigation of the same frame replaces one still under way.
//
// Success: OnLoadingStateChange(true) when the browser was idle, OnLoadStart
// (the frame's URL already changed; a main frame drops its sub-frames first),
// renderer OnContextReleased for the old context, renderer OnContextCreated for
// the new one, OnLoadEnd(200), OnLoadingStateChange(false) when all is loaded.
int StartNavigation(CefRefPtr<FrameImpl> frame, const std::string& url);
// Failure: OnLoadingStateChange(true), OnLoadError, OnLoadingStateChange(false);
// the frame keeps its URL and context.
int StartFailedLoad(CefRefPtr<FrameImpl> frame, const std::string& url,
                    int error_code, const std::string& error_text);

// UI thread, synchronous: the renderer side learns that the frame's script
// context is gone (OnContextReleased), and the context becomes invalid.
void ReleaseFrameContext(CefRefPtr<FrameImpl> frame);

}  // namespace standin

#endif  // CEF_STANDIN_SRC_NAVIGATION_H_
