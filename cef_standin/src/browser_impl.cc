#include "browser_impl.h"

#include <algorithm>
#include <memory>

#include "browser_host_impl.h"
#include "browser_window.h"
#include "engine.h"
#include "key_event.h"
#include "process_message_impl.h"
#include "include/cef_keyboard_handler.h"
#include "include/cef_life_span_handler.h"
#include "include/cef_load_handler.h"
#include "include/cef_render_process_handler.h"
#include "include/cef_request_handler.h"
#include "navigation.h"
#include "page_window.h"
#include "task_threads.h"
#include "ui_thread.h"

namespace standin {

namespace {

// The browser id in the high half keeps frame ids unique across browsers, and
// makes every id need all 64 bits on its way through the router's messages.
int64 MakeFrameId(int browser_id, int serial) {
  return (static_cast<int64>(browser_id) << 32) | static_cast<uint32>(serial);
}

bool IsDescendant(const FrameImpl* frame, const FrameImpl* ancestor) {
  for (const FrameImpl* f = frame->parent(); f; f = f->parent()) {
    if (f == ancestor)
      return true;
  }
  return false;
}

}  // namespace

BrowserImpl::BrowserImpl(int id, CefRefPtr<CefClient> client,
                         const CefBrowserSettings& settings, bool is_popup)
    : id_(id),
      client_(client),
      settings_(settings),
      is_popup_(is_popup),
      main_frame_(new FrameImpl(this, MakeFrameId(id, 1), NULL, "")),
      next_frame_(2) {
  frames_.push_back(main_frame_);
}

BrowserImpl::~BrowserImpl() {
  for (const CefRefPtr<FrameImpl>& frame : frames_)
    frame->Detach();
  DestroyWindows();
}

bool BrowserImpl::CreateWindows(const CefWindowInfo& info) {
  window_ = CreateBrowserWindow(info, this);
  if (!window_)
    return false;
  page_window_ = CreatePageWindow(window_, this);
  if (!page_window_) {
    closed_ = true;  // no callbacks for a browser that never was
    DestroyWindows();
    return false;
  }
  return true;
}

void BrowserImpl::Start(const std::string& url) {
  // The engine's one renderer starts with its first browser.
  if (!RendererProcessStarted())
    StartRendererProcess();
  CefRefPtr<CefRenderProcessHandler> renderer = RenderProcessHandler();
  if (renderer)
    renderer->OnBrowserCreated(this);
  CefRefPtr<CefLifeSpanHandler> life_span = client_ ? client_->GetLifeSpanHandler() : NULL;
  if (life_span)
    life_span->OnAfterCreated(this);
  if (!closed_ && !closing_)
    StartNavigation(main_frame(), url.empty() ? "about:blank" : url);
}

std::vector<CefRefPtr<FrameImpl>> BrowserImpl::frames() const {
  std::lock_guard<std::mutex> guard(frames_lock_);
  return frames_;
}

CefRefPtr<FrameImpl> BrowserImpl::FindFrame(int64 id) const {
  for (const CefRefPtr<FrameImpl>& frame : frames()) {
    if (frame->GetIdentifier() == id)
      return frame;
  }
  return NULL;
}

CefRefPtr<FrameImpl> BrowserImpl::AddSubFrame(CefRefPtr<FrameImpl> parent,
                                              const std::string& name) {
  CefRefPtr<FrameImpl> frame =
      new FrameImpl(this, MakeFrameId(id_, next_frame_++), parent, name);
  std::lock_guard<std::mutex> guard(frames_lock_);
  frames_.push_back(frame);
  return frame;
}

void BrowserImpl::DropSubFrames(FrameImpl* parent, bool notify_renderer) {
  // Creation order puts children after their parents; going backwards releases
  // the innermost documents first.
  std::vector<CefRefPtr<FrameImpl>> all = frames();
  std::vector<CefRefPtr<FrameImpl>> dropped;
  for (auto it = all.rbegin(); it != all.rend(); ++it) {
    if (IsDescendant(it->get(), parent))
      dropped.push_back(*it);
  }
  for (const CefRefPtr<FrameImpl>& frame : dropped) {
    if (notify_renderer) {
      ReleaseFrameContext(frame);
    } else if (CefRefPtr<V8ContextImpl> context = frame->SwapContext(NULL)) {
      context->Invalidate();
    }
    if (frame->navigation() != 0) {
      ChangeLoading(-1);
      CefRefPtr<BrowserImpl> self(this);
      PostUiTask([self] { self->NotifyLoadingState(); });
    }
    frame->Detach();
    std::lock_guard<std::mutex> guard(frames_lock_);
    frames_.erase(std::find(frames_.begin(), frames_.end(), frame));
  }
}

void BrowserImpl::CrashRenderer() {
  if (closed_ || closing_ || !renderer_alive_)
    return;
  renderer_alive_ = false;
  ++renderer_generation_;
  DropSubFrames(main_frame_.get(), false);
  if (CefRefPtr<V8ContextImpl> context = main_frame_->SwapContext(NULL))
    context->Invalidate();
  // A load under way ends with its renderer: its remaining events never come.
  if (main_frame_->navigation() != 0) {
    main_frame_->set_navigation(0);
    ChangeLoading(-1);
  }
  NotifyLoadingState();
  MainUrlChanged();
  CefRefPtr<BrowserImpl> self(this);
  PostUiTask([self] {
    CefRefPtr<CefRequestHandler> handler =
        self->client_ && !self->closed_ ? self->client_->GetRequestHandler() : NULL;
    if (handler)
      handler->OnRenderProcessTerminated(self.get(), TS_PROCESS_CRASHED);
  });
}

// A plug-in runs in a process of its own: its crash leaves the page and its
// renderer alive, and the browser hears of it as 2623's PluginCrashed tells.
void BrowserImpl::CrashPlugin(const std::string& plugin_path) {
  if (closed_ || closing_)
    return;
  CefRefPtr<BrowserImpl> self(this);
  PostUiTask([self, plugin_path] {
    CefRefPtr<CefRequestHandler> handler =
        self->client_ && !self->closed_ ? self->client_->GetRequestHandler() : NULL;
    if (handler)
      handler->OnPluginCrashed(self.get(), plugin_path);
  });
}

void BrowserImpl::StartRendererIfGone() {
  if (renderer_alive_)
    return;
  renderer_alive_ = true;
  // A new renderer process starts as the first did, then learns of the browser.
  StartRendererProcess();
  CefRefPtr<CefRenderProcessHandler> renderer = RenderProcessHandler();
  if (renderer)
    renderer->OnBrowserCreated(this);
  MainUrlChanged();
}

void BrowserImpl::MainUrlChanged() {
  if (page_window_)
    InvalidateRect(page_window_, nullptr, TRUE);
}

void BrowserImpl::ChangeLoading(int delta) {
  loading_count_ = std::max(0, loading_count_.load() + delta);
}

void BrowserImpl::NotifyLoadingState() {
  const bool loading = loading_count_ > 0;
  if (closed_ || loading == loading_notified_)
    return;
  loading_notified_ = loading;
  CefRefPtr<CefLoadHandler> handler = client_ ? client_->GetLoadHandler() : NULL;
  if (handler)
    handler->OnLoadingStateChange(this, loading, CanGoBack(), CanGoForward());
}

bool BrowserImpl::OnPageKey(UINT message, WPARAM wparam, LPARAM lparam) {
  CefKeyEvent event;
  if (closing_ || closed_ || !KeyEventFromMessage(message, wparam, lparam, &event))
    return false;
  MSG os_event = {};
  os_event.hwnd = page_window_;
  os_event.message = message;
  os_event.wParam = wparam;
  os_event.lParam = lparam;
  os_event.time = static_cast<DWORD>(GetMessageTime());
  CefRefPtr<CefKeyboardHandler> handler = client_ ? client_->GetKeyboardHandler() : NULL;
  bool is_keyboard_shortcut = false;
  if (handler &&
      handler->OnPreKeyEvent(this, event, &os_event, &is_keyboard_shortcut))
    return true;
  if (event.type == KEYEVENT_RAWKEYDOWN) {
    KeyRecord record;
    record.key_code = event.windows_key_code;
    record.modifiers = event.modifiers;
    record.system = event.is_system_key != 0;
    page_keys_.push_back(record);
  }
  if (handler && !closed_ && handler->OnKeyEvent(this, event, &os_event))
    return true;
  // The page takes every key but the system's own close key, which goes on to
  // the system, so Alt+F4 closes the window as in a real browser.
  return !(event.is_system_key && event.type == KEYEVENT_RAWKEYDOWN &&
           wparam == VK_F4);
}

int BrowserImpl::RequestPopup(CefRefPtr<FrameImpl> frame,
                              const PopupRequest& request) {
  PopupRecord record;
  record.frame = frame ? frame->GetIdentifier() : 0;
  record.request = request;
  const int index = static_cast<int>(popups_.size());
  popups_.push_back(record);
  CefRefPtr<BrowserImpl> self(this);
  // What the client may change for the pop-up, as OnBeforePopup leaves it.
  struct Answer {
    CefWindowInfo window_info;
    CefRefPtr<CefClient> client;
    CefBrowserSettings settings;
  };
  auto answer = std::make_shared<Answer>();
  answer->settings = settings_;
  answer->client = client_;
  // Chromium's default for a pop-up, before the client sees it.
  answer->window_info.SetAsPopup(NULL, CefString());
  const bool posted = PostWorkerTask(TID_IO, [self, frame, request, index, answer] {
    CefRefPtr<CefClient> client = self->client_;
    CefRefPtr<CefLifeSpanHandler> handler = client ? client->GetLifeSpanHandler() : NULL;
    bool canceled = false;
    if (handler) {
      CefPopupFeatures features;
      bool no_javascript_access = false;
      canceled = handler->OnBeforePopup(
          self.get(), frame.get(), request.url, request.target,
          static_cast<cef_window_open_disposition_t>(request.disposition),
          request.user_gesture, features, answer->window_info, answer->client,
          answer->settings, &no_javascript_access);
    }
    PostUiTask([self, index, canceled, answer] {
      self->FinishPopup(index, canceled, answer->window_info, answer->client,
                        answer->settings);
    });
  }, 0);
  if (!posted)
    popups_[index].done = true;  // the engine is stopping: nothing was asked
  return index;
}

void BrowserImpl::FinishPopup(int index, bool canceled, const CefWindowInfo& window_info,
                              CefRefPtr<CefClient> client, const CefBrowserSettings& settings) {
  PopupRecord& record = popups_[index];
  record.done = true;
  record.canceled = canceled;
  if (canceled || closed_ || !EngineInitialized())
    return;
  // Not canceled: the engine opens a pop-up browser of its own, with the
  // client and window the client left, and loads the target there.
  CefRefPtr<BrowserImpl> popup = MakeBrowser(window_info, client, settings, true);
  if (!popup)
    return;
  record.opened = true;
  record.browser = popup->GetIdentifier();
  popup->Start(record.request.url);
}

void BrowserImpl::CloseBrowser(bool force_close) {
  if (closing_ || closed_ || !window_)
    return;
  if (force_close) {
    closing_ = true;
    DestroyWindow(window_);
  } else {
    PostMessageW(window_, WM_CLOSE, 0, 0);
  }
}

bool BrowserImpl::OnWindowClose() {
  if (closing_ || closed_)
    return true;
  if (!close_asked_) {
    CefRefPtr<CefLifeSpanHandler> handler = client_ ? client_->GetLifeSpanHandler() : NULL;
    // A client that keeps the window closes it later; the next WM_CLOSE is final.
    if (handler && handler->DoClose(this)) {
      close_asked_ = true;
      return false;
    }
  }
  closing_ = true;
  return true;
}

void BrowserImpl::OnWindowDestroyed() {
  window_ = nullptr;
  page_window_ = nullptr;
  closing_ = true;
  if (closed_)
    return;
  CefRefPtr<BrowserImpl> self(this);
  PostUiTask([self] { self->FinishClose(); });
}

void BrowserImpl::FinishClose() {
  if (closed_)
    return;
  closed_ = true;
  CefRefPtr<CefLifeSpanHandler> life_span = client_ ? client_->GetLifeSpanHandler() : NULL;
  if (life_span)
    life_span->OnBeforeClose(this);
  // The renderer side goes after the browser side learned of the close, so
  // pending queries are cancelled by the browser-side router without any page
  // callback running. It learns of the close as of any message, after the
  // messages sent before it, and tears down in a task of its own: an answer
  // that was on its way when the window closed still reaches the page, as
  // with the real renderer.
  CefRefPtr<BrowserImpl> self(this);
  PostUiTask([self] { PostUiTask([self] { self->ReleaseRendererSide(); }); });
}

void BrowserImpl::ReleaseRendererSide() {
  renderer_released_ = true;
  const std::vector<CefRefPtr<FrameImpl>> all = frames();
  if (renderer_alive_) {
    for (auto it = all.rbegin(); it != all.rend(); ++it)
      ReleaseFrameContext(*it);
    CefRefPtr<CefRenderProcessHandler> renderer = RenderProcessHandler();
    if (renderer)
      renderer->OnBrowserDestroyed(this);
  }
  for (const CefRefPtr<FrameImpl>& frame : all)
    frame->Detach();
  RemoveBrowser(this);
}

void BrowserImpl::Abandon() {
  closed_ = true;
  closing_ = true;
  for (const CefRefPtr<FrameImpl>& frame : frames()) {
    CefRefPtr<V8ContextImpl> context = frame->SwapContext(NULL);
    if (context)
      context->Invalidate();
    frame->Detach();
  }
  DestroyWindows();
}

void BrowserImpl::DestroyWindows() {
  HWND window = window_;
  window_ = nullptr;
  page_window_ = nullptr;
  if (window && IsWindow(window))
    DestroyWindow(window);
}

CefRefPtr<CefBrowserHost> BrowserImpl::GetHost() {
  return new BrowserHostImpl(this);
}

// There is no history: every navigation replaces the current entry.
bool BrowserImpl::CanGoBack() {
  return false;
}

void BrowserImpl::GoBack() {}

bool BrowserImpl::CanGoForward() {
  return false;
}

void BrowserImpl::GoForward() {}

bool BrowserImpl::IsLoading() {
  return loading();
}

void BrowserImpl::Reload() {
  // A closed browser starts nothing (StartNavigation checks, on this thread).
  CefRefPtr<FrameImpl> frame = main_frame();
  auto reload = [frame] { StartNavigation(frame, frame->url(), TT_RELOAD); };
  if (OnUiThread())
    reload();
  else
    PostUiTask(reload);
}

void BrowserImpl::ReloadIgnoreCache() {
  Reload();
}

void BrowserImpl::StopLoad() {}

int BrowserImpl::GetIdentifier() {
  return id_;
}

bool BrowserImpl::IsSame(CefRefPtr<CefBrowser> that) {
  return that.get() == this;
}

bool BrowserImpl::IsPopup() {
  return is_popup_;
}

bool BrowserImpl::HasDocument() {
  return renderer_alive_ && !main_frame()->url().empty();
}

CefRefPtr<CefFrame> BrowserImpl::GetMainFrame() {
  return main_frame().get();
}

CefRefPtr<CefFrame> BrowserImpl::GetFocusedFrame() {
  return main_frame().get();
}

CefRefPtr<CefFrame> BrowserImpl::GetFrame(int64 identifier) {
  return FindFrame(identifier).get();
}

CefRefPtr<CefFrame> BrowserImpl::GetFrame(const CefString& name) {
  const std::string wanted = name.ToString();
  for (const CefRefPtr<FrameImpl>& frame : frames()) {
    if (frame->name() == wanted)
      return frame.get();
  }
  return NULL;
}

size_t BrowserImpl::GetFrameCount() {
  return frames().size();
}

void BrowserImpl::GetFrameIdentifiers(std::vector<int64>& identifiers) {
  identifiers.clear();
  for (const CefRefPtr<FrameImpl>& frame : frames())
    identifiers.push_back(frame->GetIdentifier());
}

void BrowserImpl::GetFrameNames(std::vector<CefString>& names) {
  names.clear();
  for (const CefRefPtr<FrameImpl>& frame : frames())
    names.push_back(frame->name());
}

bool BrowserImpl::SendProcessMessage(CefProcessId target_process,
                                     CefRefPtr<CefProcessMessage> message) {
  if (!message || !message->IsValid())
    return false;
  // The receiver gets its own read-only copy, as across a process boundary,
  // detached once its handler returned.
  CefRefPtr<CefProcessMessage> copy = CefProcessMessageImpl::CopyAsReceived(message);
  if (!copy)
    return false;
  // Across the process boundary: what one renderer sent, or was sent, never
  // reaches its successor after a crash.
  CefRefPtr<BrowserImpl> self(this);
  const int generation = renderer_generation_;
  return PostUiTask([self, target_process, copy, generation] {
    if (!self->renderer_alive_ || self->renderer_generation_ != generation)
      return;
    // Each side hears what was sent to it until it is gone itself: the
    // browser side at its close, the renderer side at its own teardown, which
    // comes after whatever was on its way to it.
    if (target_process == PID_BROWSER) {
      if (self->client_ && !self->closed_)
        self->client_->OnProcessMessageReceived(self.get(), PID_RENDERER, copy);
    } else if (!self->renderer_released_) {
      CefRefPtr<CefRenderProcessHandler> renderer = RenderProcessHandler();
      if (renderer)
        renderer->OnProcessMessageReceived(self.get(), PID_BROWSER, copy);
    }
    static_cast<CefProcessMessageImpl*>(copy.get())->Detach();
  });
}

}  // namespace standin
