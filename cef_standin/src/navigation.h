// Loading a frame: the events a navigation causes, each posted to the message
// loop one turn after the other, as the real engine delivers them.
#ifndef CEF_STANDIN_SRC_NAVIGATION_H_
#define CEF_STANDIN_SRC_NAVIGATION_H_

#include <optional>
#include <string>

#include "include/internal/cef_ptr.h"
#include "include/internal/cef_types.h"

namespace standin {

class FrameImpl;

// UI thread. Return the navigation's ticket (see standin::NavigationDone). A
// later navigation of the same frame replaces one still under way; one that
// has not committed yet then ends with OnLoadError(ERR_ABORTED) for its URL.
//
// OnLoadingStateChange(true) when the browser was idle, then the request
// handler's OnBeforeBrowse. Cancelled there: OnLoadError(ERR_ABORTED), and the
// frame keeps its URL and context. Otherwise the request goes out (and fails
// while the network is down, see SetNetworkFailure): OnLoadStart (the frame's
// URL already changed; a main frame drops its sub-frames first),
// renderer OnContextReleased for the old context, renderer OnContextCreated for
// the new one, OnLoadEnd(200). Last, OnLoadingStateChange(false) when no frame
// is loading any more. A main frame's navigation starts a new renderer first
// if the old one crashed. An address of a scheme without a handler (mailto:,
// custom schemes) fails as StartFailedLoad does, with ERR_UNKNOWN_URL_SCHEME.
int StartNavigation(CefRefPtr<FrameImpl> frame, const std::string& url,
                    cef_transition_type_t transition = TT_EXPLICIT, int http_status = 200);
// A load that fails, as Chromium 49 fails a provisional load: after
// OnBeforeBrowse, OnLoadError(code, text, url) while the frame still shows its
// old document. ERR_ABORTED ends there. Any other error commits Chromium's
// error document, which CEF leaves empty: OnLoadStart with the failed URL, the
// old context released and one for the error document created, then
// OnLoadEnd(0) with the frame's URL now kErrorDocumentUrl (the error
// document's own, which its finish message carries).
// With |after_commit|, the document commits as usual and then its load fails,
// as 2623's DidFailLoad tells it: OnLoadError(code, text, url), then
// OnLoadEnd(code).
int StartFailedLoad(CefRefPtr<FrameImpl> frame, const std::string& url,
                    int error_code, const std::string& error_text, bool after_commit = false);
// CefFrame::LoadString: the renderer makes a document of |html| under |url|
// without the network, so no OnBeforeBrowse: OnLoadingStateChange(true),
// OnLoadStart (URL |url|), contexts swapped, OnLoadEnd(0), which is the status
// of a document without an HTTP response. Nothing happens while the renderer
// is dead: the message to it is dropped.
int StartStringLoad(CefRefPtr<FrameImpl> frame, const std::string& html,
                    const std::string& url);

// The URL of Chromium's error document.
extern const char kErrorDocumentUrl[];

// While set, every request that goes out fails with it, as when the machine
// is offline. Starts set when ZLM_STANDIN_OFFLINE=1 is in the environment
// (ERR_INTERNET_DISCONNECTED). UI thread.
struct NetworkFailure {
  int error_code = 0;
  std::string error_text;
};
void SetNetworkFailure(std::optional<NetworkFailure> failure);
std::optional<NetworkFailure> CurrentNetworkFailure();

// UI thread, synchronous: the renderer side learns that the frame's script
// context is gone (OnContextReleased), and the context becomes invalid.
void ReleaseFrameContext(CefRefPtr<FrameImpl> frame);

}  // namespace standin

#endif  // CEF_STANDIN_SRC_NAVIGATION_H_
