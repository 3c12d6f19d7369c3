// A script context without a script engine: a frame's document, with its window
// object (see v8_value_impl.h). The renderer-side router puts cefQuery and
// cefQueryCancel on the window, and the page (the page channel) calls them
// from there, as a script would.
#ifndef CEF_STANDIN_SRC_V8_CONTEXT_IMPL_H_
#define CEF_STANDIN_SRC_V8_CONTEXT_IMPL_H_

#include <cstddef>
#include <memory>

#include "include/cef_v8.h"
#include "v8_value_impl.h"

namespace standin {

class FrameImpl;

class V8ContextImpl : public CefV8Context {
 public:
  explicit V8ContextImpl(FrameImpl* frame);
  ~V8ContextImpl() override;

  int id() const { return id_; }
  FrameImpl* frame() const { return frame_; }
  const std::shared_ptr<ContextState>& state() const { return state_; }
  // The frame dropped this context (navigation, crash or close): the window
  // and every object made in it become invalid.
  void Invalidate();

  // CefV8Context methods:
  CefRefPtr<CefTaskRunner> GetTaskRunner() override;
  bool IsValid() override;
  CefRefPtr<CefBrowser> GetBrowser() override;
  CefRefPtr<CefFrame> GetFrame() override;
  CefRefPtr<CefV8Value> GetGlobal() override;
  bool Enter() override;
  bool Exit() override;
  bool IsSame(CefRefPtr<CefV8Context> that) override;
  bool Eval(const CefString& code, CefRefPtr<CefV8Value>& retval,
            CefRefPtr<CefV8Exception>& exception) override;

 private:
  int id_;
  FrameImpl* frame_;  // not owned; null once released
  std::shared_ptr<ContextState> state_;
  std::shared_ptr<ObjectData> global_;

  IMPLEMENT_REFCOUNTING(V8ContextImpl);
};

// Puts a context on the stack of contexts in use for a scope (renderer thread).
// Entered: what CefV8Context::Enter or a call's context scope does, so the
// context is both current and entered. Not entered: the context of a running
// function, which V8 makes current while the entered context stays the
// caller's. Nothing happens for a null or released context.
class ScopedContextEntry {
 public:
  ScopedContextEntry(CefRefPtr<V8ContextImpl> context, bool entered);
  ~ScopedContextEntry();
  ScopedContextEntry(const ScopedContextEntry&) = delete;
  ScopedContextEntry& operator=(const ScopedContextEntry&) = delete;

 private:
  bool pushed_ = false;
  std::size_t depth_ = 0;
};

// The engine calling into page-side code (renderer callbacks, the page's own
// calls): the context is entered for the duration.
class ScopedCurrentContext : public ScopedContextEntry {
 public:
  explicit ScopedCurrentContext(CefRefPtr<V8ContextImpl> context)
      : ScopedContextEntry(context, true) {}
};

}  // namespace standin

#endif  // CEF_STANDIN_SRC_V8_CONTEXT_IMPL_H_
