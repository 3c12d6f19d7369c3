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
#include "standin/page.h"
#include "ui_thread.h"

namespace standin {

namespace {

using Step = std::function<void(BrowserImpl*, FrameImpl*)>;
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
  (*steps)[index](browser, frame.get());
  if (index + 1 >= steps->size() || frame->navigation() != ticket) {
    Unfinished().erase(ticket);
    return;
  }
  PostUiTask([frame, ticket, steps, index] { RunStep(frame, ticket, steps, index + 1); });
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
  });
  Unfinished().insert(ticket);
  Steps shared = std::make_shared<const std::vector<Step>>(std::move(steps));
  PostUiTask([frame, ticket, shared] { RunStep(frame, ticket, shared, 0); });
  return ticket;
}

void NotifyLoading(BrowserImpl* browser, FrameImpl*) {
  browser->NotifyLoadingState();
}

void CreateContext(BrowserImpl* browser, FrameImpl* frame) {
  CefRefPtr<V8ContextImpl> context = new V8ContextImpl(frame);
  frame->SwapContext(context);
  CefRefPtr<CefRenderProcessHandler> renderer = RenderProcessHandler();
  if (!renderer)
    return;
  ScopedCurrentContext current(context);
  renderer->OnContextCreated(browser, frame, context.get());
}

}  // namespace

int StartNavigation(CefRefPtr<FrameImpl> frame, const std::string& url) {
  std::vector<Step> steps;
  steps.push_back(NotifyLoading);
  steps.push_back([url](BrowserImpl* browser, FrameImpl* frame) {
    if (frame->IsMain())
      browser->DropSubFrames(frame);
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
  });
  steps.push_back([](BrowserImpl*, FrameImpl* frame) { ReleaseFrameContext(frame); });
  steps.push_back(CreateContext);
  steps.push_back([](BrowserImpl* browser, FrameImpl* frame) {
    CefRefPtr<CefLoadHandler> handler = LoadHandler(browser);
    if (handler)
      handler->OnLoadEnd(browser, frame, 200);
  });
  return Begin(frame, std::move(steps));
}

int StartFailedLoad(CefRefPtr<FrameImpl> frame, const std::string& url,
                    int error_code, const std::string& error_text) {
  std::vector<Step> steps;
  steps.push_back(NotifyLoading);
  steps.push_back([url, error_code, error_text](BrowserImpl* browser, FrameImpl* frame) {
    CefRefPtr<CefLoadHandler> handler = LoadHandler(browser);
    if (handler) {
      handler->OnLoadError(browser, frame, static_cast<cef_errorcode_t>(error_code),
                           error_text, url);
    }
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
