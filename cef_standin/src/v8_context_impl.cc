#include "v8_context_impl.h"

#include <cstddef>
#include <vector>

#include "frame_impl.h"
#include "renderer_frame.h"
#include "ui_thread.h"

namespace standin {

namespace {

int next_context_id = 1;

struct StackEntry {
  CefRefPtr<V8ContextImpl> context;
  bool entered;  // Enter() or a context scope; false: a running function's own
};

// Contexts in use, innermost last. Renderer (UI) thread only.
std::vector<StackEntry>& ContextStack() {
  static std::vector<StackEntry> stack;
  return stack;
}

}  // namespace

V8ContextImpl::V8ContextImpl(FrameImpl* frame)
    : id_(next_context_id++),
      frame_(frame),
      state_(std::make_shared<ContextState>(this)),
      global_(CreateGlobalObject(state_)) {}

V8ContextImpl::~V8ContextImpl() {
  // A context dropped without Invalidate must not leave its objects' cycles.
  state_->Release();
}

void V8ContextImpl::Invalidate() {
  frame_ = nullptr;
  state_->Release();
  global_.reset();
}

CefRefPtr<CefTaskRunner> V8ContextImpl::GetTaskRunner() {
  return CefTaskRunner::GetForThread(TID_RENDERER);
}

bool V8ContextImpl::IsValid() {
  return frame_ != nullptr && OnUiThread();
}

CefRefPtr<CefBrowser> V8ContextImpl::GetBrowser() {
  return IsValid() ? frame_->GetBrowser() : NULL;
}

CefRefPtr<CefFrame> V8ContextImpl::GetFrame() {
  return IsValid() ? RendererFrame(frame_) : NULL;
}

CefRefPtr<CefV8Value> V8ContextImpl::GetGlobal() {
  if (!IsValid() || !global_)
    return NULL;
  ScriptValue window;
  window.type = V8Type::kObject;
  window.object = global_;
  return MakeValue(window);
}

bool V8ContextImpl::Enter() {
  if (!IsValid())
    return false;
  ContextStack().push_back({this, true});
  return true;
}

bool V8ContextImpl::Exit() {
  // A context released while entered may still be left, so the stack unwinds.
  if (!OnUiThread())
    return false;
  std::vector<StackEntry>& stack = ContextStack();
  if (stack.empty() || !stack.back().entered || stack.back().context.get() != this)
    return false;
  stack.pop_back();
  return true;
}

bool V8ContextImpl::IsSame(CefRefPtr<CefV8Context> that) {
  // As in 2623, a released context is the same as nothing.
  return IsValid() && that && that.get() == this;
}

bool V8ContextImpl::Eval(const CefString& /*code*/,
                         CefRefPtr<CefV8Value>& retval,
                         CefRefPtr<CefV8Exception>& exception) {
  // There is no script engine to evaluate with.
  retval = NULL;
  exception = NULL;
  return false;
}

ScopedContextEntry::ScopedContextEntry(CefRefPtr<V8ContextImpl> context,
                                       bool entered) {
  if (context && context->IsValid()) {
    pushed_ = true;
    depth_ = ContextStack().size();
    ContextStack().push_back({context, entered});
  }
}

ScopedContextEntry::~ScopedContextEntry() {
  // Also drops what code inside entered and never left, as a script's
  // context scope would end with the call.
  std::vector<StackEntry>& stack = ContextStack();
  if (pushed_ && stack.size() > depth_)
    stack.erase(stack.begin() + static_cast<std::ptrdiff_t>(depth_), stack.end());
}

}  // namespace standin

CefRefPtr<CefV8Context> CefV8Context::GetCurrentContext() {
  if (!standin::OnUiThread())
    return NULL;
  std::vector<standin::StackEntry>& stack = standin::ContextStack();
  return stack.empty() ? NULL : stack.back().context;
}

CefRefPtr<CefV8Context> CefV8Context::GetEnteredContext() {
  if (!standin::OnUiThread())
    return NULL;
  std::vector<standin::StackEntry>& stack = standin::ContextStack();
  for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
    if (it->entered)
      return it->context;
  }
  return NULL;
}

bool CefV8Context::InContext() {
  return standin::OnUiThread() && !standin::ContextStack().empty();
}
