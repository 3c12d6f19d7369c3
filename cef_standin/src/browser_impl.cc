#include "browser_impl.h"

#include <algorithm>

#include "browser_host_impl.h"
#include "browser_window.h"
#include "engine.h"
#include "key_event.h"
#include "include/cef_keyboard_handler.h"
#include "include/cef_life_span_handler.h"
#include "include/cef_load_handler.h"
#include "include/cef_render_process_handler.h"
#include "navigation.h"
#include "page_window.h"
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
    : id_(id), client_(client), settings_(settings), is_popup_(is_popup) {
  frames_.push_back(new FrameImpl(this, MakeFrameId(id_, next_frame_++), NULL, ""));
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
  CefRefPtr<CefRenderProcessHandler> renderer = RenderProcessHandler();
  if (renderer)
    renderer->OnBrowserCreated(this);
  CefRefPtr<CefLifeSpanHandler> life_span = client_ ? client_->GetLifeSpanHandler() : NULL;
  if (life_span)
    life_span->OnAfterCreated(this);
  if (!closed_ && !closing_)
    StartNavigation(main_frame(), url.empty() ? "about:blank" : url);
}

CefRefPtr<FrameImpl> BrowserImpl::FindFrame(int64 id) const {
  for (const CefRefPtr<FrameImpl>& frame : frames_) {
    if (frame->GetIdentifier() == id)
      return frame;
  }
  return NULL;
}

CefRefPtr<FrameImpl> BrowserImpl::AddSubFrame(CefRefPtr<FrameImpl> parent,
                                              const std::string& name) {
  CefRefPtr<FrameImpl> frame =
      new FrameImpl(this, MakeFrameId(id_, next_frame_++), parent, name);
  frames_.push_back(frame);
  return frame;
}

void BrowserImpl::DropSubFrames(FrameImpl* parent) {
  // Creation order puts children after their parents; going backwards releases
  // the innermost documents first.
  std::vector<CefRefPtr<FrameImpl>> dropped;
  for (auto it = frames_.rbegin(); it != frames_.rend(); ++it) {
    if (IsDescendant(it->get(), parent))
      dropped.push_back(*it);
  }
  for (const CefRefPtr<FrameImpl>& frame : dropped) {
    ReleaseFrameContext(frame);
    if (frame->navigation() != 0) {
      ChangeLoading(-1);
      CefRefPtr<BrowserImpl> self(this);
      PostUiTask([self] { self->NotifyLoadingState(); });
    }
    frame->Detach();
    frames_.erase(std::find(frames_.begin(), frames_.end(), frame));
  }
}

void BrowserImpl::MainUrlChanged() {
  if (page_window_)
    InvalidateRect(page_window_, nullptr, TRUE);
}

void BrowserImpl::ChangeLoading(int delta) {
  loading_count_ = std::max(0, loading_count_ + delta);
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

PopupRecord BrowserImpl::RequestPopup(CefRefPtr<FrameImpl> frame,
                                      const PopupRequest& request) {
  PopupRecord record;
  record.frame = frame ? frame->GetIdentifier() : 0;
  record.request = request;
  CefRefPtr<CefLifeSpanHandler> handler = client_ ? client_->GetLifeSpanHandler() : NULL;
  if (handler) {
    CefPopupFeatures features;
    CefWindowInfo window_info;
    window_info.SetAsPopup(NULL, CefString());
    CefRefPtr<CefClient> client = client_;
    CefBrowserSettings settings(settings_);
    bool no_javascript_access = false;
    record.canceled = handler->OnBeforePopup(
        this, frame.get(), request.url, request.target,
        static_cast<cef_window_open_disposition_t>(request.disposition),
        request.user_gesture, features, window_info, client, settings,
        &no_javascript_access);
  }
  // No pop-up window is made; the record says that one would have been.
  record.opened = !record.canceled;
  popups_.push_back(record);
  return record;
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
  // callback running.
  for (auto it = frames_.rbegin(); it != frames_.rend(); ++it)
    ReleaseFrameContext(*it);
  CefRefPtr<CefRenderProcessHandler> renderer = RenderProcessHandler();
  if (renderer)
    renderer->OnBrowserDestroyed(this);
  for (const CefRefPtr<FrameImpl>& frame : frames_)
    frame->Detach();
  RemoveBrowser(this);
}

void BrowserImpl::Abandon() {
  closed_ = true;
  closing_ = true;
  for (const CefRefPtr<FrameImpl>& frame : frames_) {
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
  if (closed_)
    return;
  CefRefPtr<FrameImpl> frame = main_frame();
  if (OnUiThread())
    StartNavigation(frame, frame->url());
  else
    frame->LoadURL(frame->url());
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
  return !main_frame()->url().empty();
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
  for (const CefRefPtr<FrameImpl>& frame : frames_) {
    if (frame->name() == wanted)
      return frame.get();
  }
  return NULL;
}

size_t BrowserImpl::GetFrameCount() {
  return frames_.size();
}

void BrowserImpl::GetFrameIdentifiers(std::vector<int64>& identifiers) {
  identifiers.clear();
  for (const CefRefPtr<FrameImpl>& frame : frames_)
    identifiers.push_back(frame->GetIdentifier());
}

void BrowserImpl::GetFrameNames(std::vector<CefString>& names) {
  names.clear();
  for (const CefRefPtr<FrameImpl>& frame : frames_)
    names.push_back(frame->name());
}

bool BrowserImpl::SendProcessMessage(CefProcessId target_process,
                                     CefRefPtr<CefProcessMessage> message) {
  if (!message || !message->IsValid())
    return false;
  // The receiver gets its own copy, as across a process boundary.
  CefRefPtr<CefProcessMessage> copy = message->Copy();
  if (!copy)
    return false;
  CefRefPtr<BrowserImpl> self(this);
  return PostUiTask([self, target_process, copy] {
    if (self->closed_)
      return;
    if (target_process == PID_BROWSER) {
      if (self->client_)
        self->client_->OnProcessMessageReceived(self.get(), PID_RENDERER, copy);
    } else {
      CefRefPtr<CefRenderProcessHandler> renderer = RenderProcessHandler();
      if (renderer)
        renderer->OnProcessMessageReceived(self.get(), PID_BROWSER, copy);
    }
  });
}

}  // namespace standin
