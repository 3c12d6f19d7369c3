// A frame of a stand-in browser: identity, place in the tree, URL, the current
// script context and the record of every script run in it. UI thread, except
// the CefFrame calls that 2623 allows from any thread (identity, GetURL,
// GetBrowser, IsValid, LoadURL, ExecuteJavaScript), which are safe anywhere.
#ifndef CEF_STANDIN_SRC_FRAME_IMPL_H_
#define CEF_STANDIN_SRC_FRAME_IMPL_H_

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "include/cef_frame.h"
#include "standin/page.h"
#include "v8_context_impl.h"

namespace standin {

class BrowserImpl;

class FrameImpl : public CefFrame {
 public:
  FrameImpl(BrowserImpl* browser, int64 id, CefRefPtr<FrameImpl> parent,
            const std::string& name);

  BrowserImpl* browser() const { return browser_; }
  FrameImpl* parent() const { return parent_.get(); }
  const std::string& name() const { return name_; }
  std::string url() const;
  void set_url(const std::string& url);
  CefRefPtr<V8ContextImpl> context() const { return context_; }
  // The markup of a document that came without the network (LoadString, an
  // error document: empty); nothing for a document of the network.
  const std::optional<std::string>& document() const { return document_; }
  void set_document(std::optional<std::string> document) { document_ = std::move(document); }
  // The current document's load has ended (its OnLoadEnd began).
  bool load_ended() const { return load_ended_; }
  void set_load_ended(bool ended) { load_ended_ = ended; }
  const std::vector<ScriptRecord>& scripts() const { return scripts_; }

  // Replaces the script context; returns the one it had (maybe null).
  CefRefPtr<V8ContextImpl> SwapContext(CefRefPtr<V8ContextImpl> context);
  // The frame left its browser (its document went away or the browser closed).
  void Detach();

  // The URL of the navigation under way while it has neither committed nor
  // failed; empty otherwise. A newer navigation aborts it.
  const std::string& provisional_url() const { return provisional_url_; }
  void set_provisional_url(std::string url) { provisional_url_ = std::move(url); }
  // The navigation whose events are under way for this frame, 0 when none.
  int navigation() const { return navigation_; }
  void set_navigation(int navigation) { navigation_ = navigation; }

  // CefFrame methods:
  bool IsValid() override;
  void Undo() override;
  void Redo() override;
  void Cut() override;
  void Copy() override;
  void Paste() override;
  void Delete() override;
  void SelectAll() override;
  void ViewSource() override;
  void GetSource(CefRefPtr<CefStringVisitor> visitor) override;
  void GetText(CefRefPtr<CefStringVisitor> visitor) override;
  void LoadRequest(CefRefPtr<CefRequest> request) override;
  void LoadURL(const CefString& url) override;
  void LoadString(const CefString& string_val, const CefString& url) override;
  void ExecuteJavaScript(const CefString& code, const CefString& script_url,
                         int start_line) override;
  bool IsMain() override;
  bool IsFocused() override;
  CefString GetName() override;
  int64 GetIdentifier() override;
  CefRefPtr<CefFrame> GetParent() override;
  CefString GetURL() override;
  CefRefPtr<CefBrowser> GetBrowser() override;
  CefRefPtr<CefV8Context> GetV8Context() override;
  void VisitDOM(CefRefPtr<CefDOMVisitor> visitor) override;

 private:
  std::atomic<BrowserImpl*> browser_;  // not owned: the browser owns its frames
  const int64 id_;
  const CefRefPtr<FrameImpl> parent_;
  const std::string name_;
  mutable std::mutex url_lock_;  // the URL is read from other threads
  std::string url_;
  CefRefPtr<V8ContextImpl> context_;
  std::vector<ScriptRecord> scripts_;
  std::optional<std::string> document_;
  bool load_ended_ = false;
  int navigation_ = 0;
  std::string provisional_url_;

  IMPLEMENT_REFCOUNTING(FrameImpl);
};

}  // namespace standin

#endif  // CEF_STANDIN_SRC_FRAME_IMPL_H_
