// Loading a frame: the events a navigation causes, each posted to the message
// loop one turn after the other, as the real engine delivers them.
#ifndef CEF_STANDIN_SRC_NAVIGATION_H_
#define CEF_STANDIN_SRC_NAVIGATION_H_

#include <string>

#include "include/internal/cef_ptr.h"
#include "include/internal/cef_types.h"

namespace standin {

class FrameImpl;

// UI thread. Return the navigation's ticket (see standin::NavigationDone). A
// later navigation of the same frame replaces one still under way.
//
// OnLoadingStateChange(true) when the browser was idle, then the request
// handler's OnBeforeBrowse. Cancelled there: OnLoadError(ERR_ABORTED), and the
// frame keeps its URL and context. Otherwise: OnLoadStart (the frame's URL
// already changed; a main frame drops its sub-frames first and starts a new
// renderer if the old one crashed), renderer OnContextReleased for the old
// context, renderer OnContextCreated for the new one, OnLoadEnd(200). Last,
// OnLoadingStateChange(false) when no frame is loading any more.
int StartNavigation(CefRefPtr<FrameImpl> frame, const std::string& url,
                    cef_transition_type_t transition = TT_EXPLICIT, int http_status = 200);
// Failure: OnLoadingStateChange(true), OnBeforeBrowse (cancelled: ERR_ABORTED
// instead), OnLoadError, OnLoadingStateChange(false); the frame keeps its URL
// and context.
int StartFailedLoad(CefRefPtr<FrameImpl> frame, const std::string& url,
                    int error_code, const std::string& error_text);

// UI thread, synchronous: the renderer side learns that the frame's script
// context is gone (OnContextReleased), and the context becomes invalid.
void ReleaseFrameContext(CefRefPtr<FrameImpl> frame);

}  // namespace standin

#endif  // CEF_STANDIN_SRC_NAVIGATION_H_
