#include "navigation.h"

#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "browser_impl.h"
#include "engine.h"
#include "frame_impl.h"
#include "include/cef_display_handler.h"
#include "include/cef_load_handler.h"
#include "include/cef_render_process_handler.h"
#include "include/cef_request_handler.h"
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

int Begin(CefRefPtr<FrameImpl> frame, std::vector<Step> steps) {
  const int ticket = next_navigation++;
  BrowserImpl* browser = frame->browser();
  if (!browser || browser->closed())
    return ticket;  // never unfinished: done at once
  // A frame already loading stays counted once; the newer navigation ends it.
  if (frame->navigation() == 0)
    browser->ChangeLoading(+1);
  frame->set_navigation(ticket);
  steps.push_back([](BrowserImpl* b, FrameImpl* f) {
    f->set_navigation(0);
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

bool CreateContext(BrowserImpl* browser, FrameImpl* frame) {
  CefRefPtr<V8ContextImpl> context = new V8ContextImpl(frame);
  frame->SwapContext(context);
  CefRefPtr<CefRenderProcessHandler> renderer = RenderProcessHandler();
  if (renderer) {
    ScopedCurrentContext current(context);
    renderer->OnContextCreated(browser, frame, context.get());
  }
  return true;
}

void ReportLoadError(BrowserImpl* browser, FrameImpl* frame, int error_code,
                     const std::string& error_text, const std::string& url) {
  CefRefPtr<CefLoadHandler> handler = LoadHandler(browser);
  if (handler) {
    handler->OnLoadError(browser, frame, static_cast<cef_errorcode_t>(error_code),
                         error_text, url);
  }
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

}  // namespace

int StartNavigation(CefRefPtr<FrameImpl> frame, const std::string& url,
                    cef_transition_type_t transition, int http_status) {
  std::vector<Step> steps;
  steps.push_back(NotifyLoading);
  steps.push_back(BeforeBrowse(url, transition));
  steps.push_back([url](BrowserImpl* browser, FrameImpl* frame) {
    if (frame->IsMain()) {
      browser->DropSubFrames(frame);
      browser->StartRendererIfGone();
    }
    frame->set_url(url);
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
  steps.push_back([](BrowserImpl*, FrameImpl* frame) {
    ReleaseFrameContext(frame);
    return true;
  });
  steps.push_back(CreateContext);
  steps.push_back([http_status](BrowserImpl* browser, FrameImpl* frame) {
    CefRefPtr<CefLoadHandler> handler = LoadHandler(browser);
    if (handler)
      handler->OnLoadEnd(browser, frame, http_status);
    return true;
  });
  return Begin(frame, std::move(steps));
}

int StartFailedLoad(CefRefPtr<FrameImpl> frame, const std::string& url,
                    int error_code, const std::string& error_text) {
  std::vector<Step> steps;
  steps.push_back(NotifyLoading);
  steps.push_back(BeforeBrowse(url, TT_LINK));
  steps.push_back([url, error_code, error_text](BrowserImpl* browser, FrameImpl* frame) {
    ReportLoadError(browser, frame, error_code, error_text, url);
    return true;
  });
  return Begin(frame, std::move(steps));
}

void ReleaseFrameContext(CefRefPtr<FrameImpl> frame) {
  CefRefPtr<V8ContextImpl> context = frame->SwapContext(NULL);
  if (!context)
    return;
  CefRefPtr<CefRenderProcessHandler> renderer = RenderProcessHandler();
  BrowserImpl* browser = frame->browser();
  if (renderer && browser) {
    ScopedCurrentContext current(context);
    renderer->OnContextReleased(browser, frame.get(), context.get());
  }
  context->Invalidate();
}

bool NavigationDone(int navigation) {
  return Unfinished().count(navigation) == 0;
}

}  // namespace standin
