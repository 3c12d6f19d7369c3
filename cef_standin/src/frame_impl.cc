#include "frame_impl.h"

#include "browser_impl.h"
#include "include/cef_string_visitor.h"
#include "navigation.h"
#include "ui_thread.h"

namespace standin {

FrameImpl::FrameImpl(BrowserImpl* browser, int64 id,
                     CefRefPtr<FrameImpl> parent, const std::string& name)
    : browser_(browser), id_(id), parent_(parent), name_(name) {}

std::string FrameImpl::url() const {
  std::lock_guard<std::mutex> guard(url_lock_);
  return url_;
}

void FrameImpl::set_url(const std::string& url) {
  std::lock_guard<std::mutex> guard(url_lock_);
  url_ = url;
}

CefRefPtr<V8ContextImpl> FrameImpl::SwapContext(
    CefRefPtr<V8ContextImpl> context) {
  CefRefPtr<V8ContextImpl> old = context_;
  context_ = context;
  return old;
}

void FrameImpl::Detach() {
  browser_ = nullptr;
  navigation_ = 0;
}

bool FrameImpl::IsValid() {
  return browser_ != nullptr;
}

// Editing commands act on a document; there is none to act on.
void FrameImpl::Undo() {}
void FrameImpl::Redo() {}
void FrameImpl::Cut() {}
void FrameImpl::Copy() {}
void FrameImpl::Paste() {}
void FrameImpl::Delete() {}
void FrameImpl::SelectAll() {}
void FrameImpl::ViewSource() {}

void FrameImpl::GetSource(CefRefPtr<CefStringVisitor> visitor) {
  if (visitor)
    PostUiTask([visitor] { visitor->Visit(CefString()); });
}

void FrameImpl::GetText(CefRefPtr<CefStringVisitor> visitor) {
  GetSource(visitor);
}

// The stand-in's requests carry no URL, so there is nothing to load.
void FrameImpl::LoadRequest(CefRefPtr<CefRequest> /*request*/) {}

void FrameImpl::LoadURL(const CefString& url) {
  CefRefPtr<FrameImpl> self(this);
  std::string target = url.ToString();
  if (OnUiThread())
    StartNavigation(self, target);
  else
    PostUiTask([self, target] { StartNavigation(self, target); });
}

void FrameImpl::LoadString(const CefString& string_val,
                           const CefString& url) {
  CefRefPtr<FrameImpl> self(this);
  std::string html = string_val.ToString();
  std::string target = url.ToString();
  if (OnUiThread())
    StartStringLoad(self, html, target);
  else
    PostUiTask([self, html, target] { StartStringLoad(self, html, target); });
}

void FrameImpl::ExecuteJavaScript(const CefString& code,
                                  const CefString& script_url,
                                  int start_line) {
  CefRefPtr<FrameImpl> self(this);
  ScriptRecord record;
  record.code = code.ToString();
  record.script_url = script_url.ToString();
  record.start_line = start_line;
  auto run = [self, record]() mutable {
    // 2623 holds messages to a crashed renderer back until a navigation starts
    // a new one, which has not made the page's document yet: the script runs
    // in no page.
    BrowserImpl* browser = self->browser();
    if (browser && !browser->renderer_alive())
      return;
    record.context = self->context_ ? self->context_->id() : 0;
    record.after_load = self->load_ended_;
    self->scripts_.push_back(record);
  };
  if (OnUiThread())
    run();
  else
    PostUiTask(run);
}

bool FrameImpl::IsMain() {
  return !parent_;
}

bool FrameImpl::IsFocused() {
  return IsMain();
}

CefString FrameImpl::GetName() {
  return name_;
}

int64 FrameImpl::GetIdentifier() {
  return id_;
}

CefRefPtr<CefFrame> FrameImpl::GetParent() {
  return parent_.get();
}

CefString FrameImpl::GetURL() {
  return url();
}

CefRefPtr<CefBrowser> FrameImpl::GetBrowser() {
  return browser_.load();
}

CefRefPtr<CefV8Context> FrameImpl::GetV8Context() {
  return context_.get();
}

void FrameImpl::VisitDOM(CefRefPtr<CefDOMVisitor> /*visitor*/) {}

}  // namespace standin
