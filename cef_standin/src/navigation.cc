#include "navigation.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "browser_impl.h"
#include "engine.h"
#include "frame_impl.h"
#include "include/cef_display_handler.h"
#include "include/cef_load_handler.h"
#include "include/cef_render_process_handler.h"
#include "include/cef_request_handler.h"
#include "renderer_frame.h"
#include "request_impl.h"
#include "standin/page.h"
#include "ui_thread.h"

namespace standin {

namespace {

// A step returns false to skip the rest of the navigation's steps but the last,
// which ends the load.
using Step = std::function<bool(BrowserImpl*, FrameImpl*)>;
using Steps = std::shared_ptr<const std::vector<Step>>;

int next_navigation = 1;

// Tickets whose steps have not all run. UI thread only.
std::set<int>& Unfinished() {
  static std::set<int> tickets;
  return tickets;
}

CefRefPtr<CefLoadHandler> LoadHandler(BrowserImpl* browser) {
  CefRefPtr<CefClient> client = browser->client();
  return client ? client->GetLoadHandler() : NULL;
}

// One step per message-loop turn. A navigation ends early when a newer one of
// the same frame took over, or the frame or its browser went away.
void RunStep(CefRefPtr<FrameImpl> frame, int ticket, Steps steps, std::size_t index) {
  BrowserImpl* browser = frame->browser();
  if (frame->navigation() != ticket || !browser || browser->closed()) {
    Unfinished().erase(ticket);
    return;
  }
  const bool go_on = (*steps)[index](browser, frame.get());
  if (index + 1 >= steps->size() || frame->navigation() != ticket) {
    Unfinished().erase(ticket);
    return;
  }
  const std::size_t next = go_on ? index + 1 : steps->size() - 1;
  PostUiTask([frame, ticket, steps, next] { RunStep(frame, ticket, steps, next); });
}

void ReportLoadError(BrowserImpl* browser, FrameImpl* frame, int error_code,
                     const std::string& error_text, const std::string& url) {
  if (url == frame->provisional_url())
    frame->set_provisional_url(std::string());
  CefRefPtr<CefLoadHandler> handler = LoadHandler(browser);
  if (handler) {
    handler->OnLoadError(browser, frame, static_cast<cef_errorcode_t>(error_code),
                         error_text, url);
  }
}

// |url|: what the navigation loads, provisional until it commits or fails.
int Begin(CefRefPtr<FrameImpl> frame, std::vector<Step> steps, const std::string& url) {
  const int ticket = next_navigation++;
  BrowserImpl* browser = frame->browser();
  if (!browser || browser->closed())
    return ticket;  // never unfinished: done at once
  // A frame already loading stays counted once; the newer navigation ends it.
  if (frame->navigation() == 0)
    browser->ChangeLoading(+1);
  // Chromium 49 fails a provisional load that a newer one replaces with
  // ERR_ABORTED, before the newer one's request goes out.
  if (frame->navigation() != 0 && !frame->provisional_url().empty()) {
    const std::string aborted = frame->provisional_url();
    // After the loading state's change, which every navigation tells first.
    steps.insert(steps.empty() ? steps.end() : steps.begin() + 1,
                 [aborted](BrowserImpl* b, FrameImpl* f) {
                   ReportLoadError(b, f, ERR_ABORTED, "net::ERR_ABORTED", aborted);
                   return true;
                 });
  }
  frame->set_provisional_url(url);
  frame->set_navigation(ticket);
  steps.push_back([](BrowserImpl* b, FrameImpl* f) {
    f->set_navigation(0);
    f->set_provisional_url(std::string());
    b->ChangeLoading(-1);
    b->NotifyLoadingState();
    return true;
  });
  Unfinished().insert(ticket);
  Steps shared = std::make_shared<const std::vector<Step>>(std::move(steps));
  PostUiTask([frame, ticket, shared] { RunStep(frame, ticket, shared, 0); });
  return ticket;
}

bool NotifyLoading(BrowserImpl* browser, FrameImpl*) {
  browser->NotifyLoadingState();
  return true;
}

// A navigation through the network is carried out by a renderer: after a
// crash, the main frame's navigation starts a new one before its request
// goes out (and so before OnBeforeBrowse), whatever becomes of the request.
bool NotifyLoadingInRenderer(BrowserImpl* browser, FrameImpl* frame) {
  if (frame->IsMain())
    browser->StartRendererIfGone();
  return NotifyLoading(browser, frame);
}

// The schemes 2623 has handlers for: the network's, data, file, ftp, blob,
// filesystem, about and its own pages. Anything else has none (2623's
// HandleExternalProtocol answers false), so its request fails with
// ERR_UNKNOWN_URL_SCHEME.
bool SchemeHasHandler(const std::string& url) {
  const std::string::size_type colon = url.find(':');
  if (colon == std::string::npos)
    return true;
  std::string scheme = url.substr(0, colon);
  for (char& c : scheme) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  static const char* const kHandled[] = {"http", "https",      "ftp",    "file",
                                         "data", "blob",       "about",  "filesystem",
                                         "chrome", "chrome-devtools", "javascript"};
  for (const char* handled : kHandled) {
    if (scheme == handled)
      return true;
  }
  return false;
}

bool CreateContext(BrowserImpl* browser, FrameImpl* frame) {
  CefRefPtr<V8ContextImpl> context = new V8ContextImpl(frame);
  frame->SwapContext(context);
  CefRefPtr<CefRenderProcessHandler> renderer = RenderProcessHandler();
  if (renderer) {
    ScopedCurrentContext current(context);
    renderer->OnContextCreated(browser, RendererFrame(frame), context.get());
  }
  return true;
}


// The request handler may cancel any navigation; the load then fails with
// ERR_ABORTED and the frame keeps its document, as in 2623.
Step BeforeBrowse(const std::string& url, cef_transition_type_t transition) {
  return [url, transition](BrowserImpl* browser, FrameImpl* frame) {
    CefRefPtr<CefClient> client = browser->client();
    CefRefPtr<CefRequestHandler> handler = client ? client->GetRequestHandler() : NULL;
    if (!handler ||
        !handler->OnBeforeBrowse(browser, frame,
                                 NavigationRequest(url, frame->IsMain(), transition),
                                 false))
      return true;
    ReportLoadError(browser, frame, ERR_ABORTED, "net::ERR_ABORTED", url);
    return false;
  };
}

// What the network answers for a navigation; decided when the request goes
// out, after OnBeforeBrowse. ok: the document arrives with |http_status|.
struct Response {
  bool ok = true;
  int http_status = 200;
  int error_code = 0;
  std::string error_text;
};

std::optional<NetworkFailure>& Network() {
  static std::optional<NetworkFailure> failure = [] {
    std::optional<NetworkFailure> initial;
    wchar_t value[2] = {};
    if (GetEnvironmentVariableW(L"ZLM_STANDIN_OFFLINE", value, 2) == 1 && value[0] == L'1')
      initial = NetworkFailure{ERR_INTERNET_DISCONNECTED, "net::ERR_INTERNET_DISCONNECTED"};
    return initial;
  }();
  return failure;
}

// The frame shows a new document: its URL changes (a main frame drops its
// sub-frames first and needs a live renderer), OnLoadStart, the old context
// goes and the new document's context comes.
void CommitSteps(std::vector<Step>* steps, const std::string& url,
                 std::shared_ptr<std::optional<std::string>> document) {
  steps->push_back([url, document](BrowserImpl* browser, FrameImpl* frame) {
    frame->set_provisional_url(std::string());
    if (frame->IsMain()) {
      browser->DropSubFrames(frame);
      browser->StartRendererIfGone();
    }
    frame->set_url(url);
    frame->set_document(*document);
    frame->set_load_ended(false);
    CefRefPtr<CefClient> client = browser->client();
    if (frame->IsMain()) {
      browser->MainUrlChanged();
      CefRefPtr<CefDisplayHandler> display = client ? client->GetDisplayHandler() : NULL;
      if (display)
        display->OnAddressChange(browser, frame, url);
    }
    CefRefPtr<CefLoadHandler> handler = LoadHandler(browser);
    if (handler)
      handler->OnLoadStart(browser, frame);
    return true;
  });
  steps->push_back([](BrowserImpl*, FrameImpl* frame) {
    ReleaseFrameContext(frame);
    return true;
  });
  steps->push_back(CreateContext);
}

// 2623's DidFailLoad: the committed document's load fails; OnLoadError and
// OnLoadEnd with the error code, one right after the other.
void FailedLoadEndStep(std::vector<Step>* steps, const std::string& url,
                       const NetworkFailure& failure) {
  steps->push_back([url, failure](BrowserImpl* browser, FrameImpl* frame) {
    frame->set_load_ended(true);
    ReportLoadError(browser, frame, failure.error_code, failure.error_text, url);
    CefRefPtr<CefLoadHandler> handler = LoadHandler(browser);
    if (handler)
      handler->OnLoadEnd(browser, frame, failure.error_code);
    return true;
  });
}

void LoadEndStep(std::vector<Step>* steps, std::shared_ptr<const Response> response) {
  steps->push_back([response](BrowserImpl* browser, FrameImpl* frame) {
    // Chromium's error document finishes under its own URL, which the
    // finish message carries to the frame.
    if (!response->ok) {
      frame->set_url(kErrorDocumentUrl);
      if (frame->IsMain())
        browser->MainUrlChanged();
    }
    frame->set_load_ended(true);
    CefRefPtr<CefLoadHandler> handler = LoadHandler(browser);
    if (handler)
      handler->OnLoadEnd(browser, frame, response->ok ? response->http_status : 0);
    return true;
  });
}

// A navigation through the network. |failure| set: the request fails with it;
// otherwise it fails while the network is down, and succeeds with
// |http_status| when it is up.
int StartNetworkLoad(CefRefPtr<FrameImpl> frame, const std::string& url,
                     cef_transition_type_t transition, int http_status,
                     std::optional<NetworkFailure> failure, bool after_commit = false) {
  auto response = std::make_shared<Response>();
  auto document = std::make_shared<std::optional<std::string>>();
  std::vector<Step> steps;
  steps.push_back(NotifyLoadingInRenderer);
  steps.push_back(BeforeBrowse(url, transition));
  // A failure after the commit is the document's, not the request's.
  const std::optional<NetworkFailure> request_failure = after_commit ? std::nullopt : failure;
  steps.push_back([url, http_status, request_failure, response, document](BrowserImpl* browser,
                                                                          FrameImpl* frame) {
    const std::optional<NetworkFailure> fails = request_failure ? request_failure : Network();
    if (!fails) {
      response->http_status = http_status;
      return true;
    }
    response->ok = false;
    response->error_code = fails->error_code;
    response->error_text = fails->error_text;
    // Until the error document commits, the frame still shows its old one.
    ReportLoadError(browser, frame, fails->error_code, fails->error_text, url);
    // A cancelled load shows nothing new; any other failure commits
    // Chromium's error document, empty in CEF, under the failed URL.
    *document = std::string();
    return fails->error_code != ERR_ABORTED;
  });
  CommitSteps(&steps, url, document);
  if (after_commit && failure)
    FailedLoadEndStep(&steps, url, *failure);
  else
    LoadEndStep(&steps, response);
  return Begin(frame, std::move(steps), url);
}

}  // namespace

const char kErrorDocumentUrl[] = "data:text/html,chromewebdata";

void SetNetworkFailure(std::optional<NetworkFailure> failure) {
  Network() = std::move(failure);
}

std::optional<NetworkFailure> CurrentNetworkFailure() {
  return Network();
}

int StartNavigation(CefRefPtr<FrameImpl> frame, const std::string& url,
                    cef_transition_type_t transition, int http_status) {
  std::optional<NetworkFailure> failure;
  if (!SchemeHasHandler(url))
    failure = NetworkFailure{ERR_UNKNOWN_URL_SCHEME, "net::ERR_UNKNOWN_URL_SCHEME"};
  return StartNetworkLoad(frame, url, transition, http_status, failure);
}

int StartFailedLoad(CefRefPtr<FrameImpl> frame, const std::string& url,
                    int error_code, const std::string& error_text, bool after_commit) {
  return StartNetworkLoad(frame, url, TT_LINK, 200, NetworkFailure{error_code, error_text},
                          after_commit);
}

int StartStringLoad(CefRefPtr<FrameImpl> frame, const std::string& html,
                    const std::string& url) {
  BrowserImpl* browser = frame->browser();
  // The document is made by the renderer: a dead one gets no message.
  if (!browser || !browser->renderer_alive())
    return next_navigation++;
  auto response = std::make_shared<Response>();
  response->http_status = 0;  // a document from a string has no HTTP response
  auto document = std::make_shared<std::optional<std::string>>(html);
  std::vector<Step> steps;
  steps.push_back(NotifyLoading);
  const std::string shown = url.empty() ? "about:blank" : url;
  CommitSteps(&steps, shown, document);
  LoadEndStep(&steps, response);
  return Begin(frame, std::move(steps), shown);
}

void ReleaseFrameContext(CefRefPtr<FrameImpl> frame) {
  CefRefPtr<V8ContextImpl> context = frame->SwapContext(NULL);
  if (!context)
    return;
  CefRefPtr<CefRenderProcessHandler> renderer = RenderProcessHandler();
  BrowserImpl* browser = frame->browser();
  if (renderer && browser) {
    ScopedCurrentContext current(context);
    renderer->OnContextReleased(browser, RendererFrame(frame), context.get());
  }
  context->Invalidate();
}

bool NavigationDone(int navigation) {
  return Unfinished().count(navigation) == 0;
}

}  // namespace standin
