#include "renderer_frame.h"

#include "ui_thread.h"

namespace standin {

namespace {

class RendererFrameImpl : public CefFrame {
 public:
  explicit RendererFrameImpl(CefRefPtr<FrameImpl> frame) : frame_(frame) {}

  bool IsValid() override { return OnUiThread() && frame_->IsValid(); }
  void Undo() override { if (OnUiThread()) frame_->Undo(); }
  void Redo() override { if (OnUiThread()) frame_->Redo(); }
  void Cut() override { if (OnUiThread()) frame_->Cut(); }
  void Copy() override { if (OnUiThread()) frame_->Copy(); }
  void Paste() override { if (OnUiThread()) frame_->Paste(); }
  void Delete() override { if (OnUiThread()) frame_->Delete(); }
  void SelectAll() override { if (OnUiThread()) frame_->SelectAll(); }
  void ViewSource() override { if (OnUiThread()) frame_->ViewSource(); }
  void GetSource(CefRefPtr<CefStringVisitor> visitor) override {
    if (OnUiThread())
      frame_->GetSource(visitor);
  }
  void GetText(CefRefPtr<CefStringVisitor> visitor) override {
    if (OnUiThread())
      frame_->GetText(visitor);
  }
  void LoadRequest(CefRefPtr<CefRequest> request) override {
    if (OnUiThread())
      frame_->LoadRequest(request);
  }
  void LoadURL(const CefString& url) override {
    if (OnUiThread())
      frame_->LoadURL(url);
  }
  void LoadString(const CefString& string_val, const CefString& url) override {
    if (OnUiThread())
      frame_->LoadString(string_val, url);
  }
  void ExecuteJavaScript(const CefString& code, const CefString& script_url,
                         int start_line) override {
    if (OnUiThread())
      frame_->ExecuteJavaScript(code, script_url, start_line);
  }
  bool IsMain() override { return OnUiThread() && frame_->IsMain(); }
  bool IsFocused() override { return OnUiThread() && frame_->IsFocused(); }
  CefString GetName() override { return OnUiThread() ? frame_->GetName() : CefString(); }
  int64 GetIdentifier() override { return OnUiThread() ? frame_->GetIdentifier() : 0; }
  CefRefPtr<CefFrame> GetParent() override {
    if (!OnUiThread() || !frame_->parent())
      return NULL;
    return RendererFrame(frame_->parent());
  }
  CefString GetURL() override { return OnUiThread() ? frame_->GetURL() : CefString(); }
  CefRefPtr<CefBrowser> GetBrowser() override {
    return OnUiThread() ? frame_->GetBrowser() : NULL;
  }
  CefRefPtr<CefV8Context> GetV8Context() override {
    return OnUiThread() ? frame_->GetV8Context() : NULL;
  }
  void VisitDOM(CefRefPtr<CefDOMVisitor> visitor) override {
    if (OnUiThread())
      frame_->VisitDOM(visitor);
  }

 private:
  const CefRefPtr<FrameImpl> frame_;

  IMPLEMENT_REFCOUNTING(RendererFrameImpl);
};

}  // namespace

CefRefPtr<CefFrame> RendererFrame(CefRefPtr<FrameImpl> frame) {
  return frame ? new RendererFrameImpl(frame) : NULL;
}

}  // namespace standin
