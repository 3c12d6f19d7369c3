#include "v8_context_impl.h"

#include <vector>

#include "frame_impl.h"

namespace standin {

namespace {

int next_context_id = 1;

// Entered contexts, innermost last. UI thread only, like every page-side call.
std::vector<CefRefPtr<CefV8Context>>& ContextStack() {
  static std::vector<CefRefPtr<CefV8Context>> stack;
  return stack;
}

}  // namespace

V8ContextImpl::V8ContextImpl(FrameImpl* frame)
    : id_(next_context_id++), frame_(frame) {}

void V8ContextImpl::Invalidate() {
  frame_ = nullptr;
  query_functions_.clear();
  cancel_functions_.clear();
}

void V8ContextImpl::SetQueryFunction(const std::string& name,
                                     QueryFunction function) {
  query_functions_[name] = std::move(function);
}

void V8ContextImpl::SetCancelFunction(const std::string& name,
                                      CancelFunction function) {
  cancel_functions_[name] = std::move(function);
}

const QueryFunction* V8ContextImpl::FindQueryFunction(
    const std::string& name) const {
  auto it = query_functions_.find(name);
  return it == query_functions_.end() ? nullptr : &it->second;
}

const CancelFunction* V8ContextImpl::FindCancelFunction(
    const std::string& name) const {
  auto it = cancel_functions_.find(name);
  return it == cancel_functions_.end() ? nullptr : &it->second;
}

CefRefPtr<CefTaskRunner> V8ContextImpl::GetTaskRunner() {
  return NULL;
}

bool V8ContextImpl::IsValid() {
  return frame_ != nullptr;
}

CefRefPtr<CefBrowser> V8ContextImpl::GetBrowser() {
  return frame_ ? frame_->GetBrowser() : NULL;
}

CefRefPtr<CefFrame> V8ContextImpl::GetFrame() {
  return frame_;
}

CefRefPtr<CefV8Value> V8ContextImpl::GetGlobal() {
  return NULL;
}

bool V8ContextImpl::Enter() {
  if (!IsValid())
    return false;
  ContextStack().push_back(this);
  return true;
}

bool V8ContextImpl::Exit() {
  std::vector<CefRefPtr<CefV8Context>>& stack = ContextStack();
  if (stack.empty() || stack.back().get() != this)
    return false;
  stack.pop_back();
  return true;
}

bool V8ContextImpl::IsSame(CefRefPtr<CefV8Context> that) {
  return that.get() == this;
}

bool V8ContextImpl::Eval(const CefString& /*code*/,
                         CefRefPtr<CefV8Value>& retval,
                         CefRefPtr<CefV8Exception>& exception) {
  // There is no script engine to evaluate with.
  retval = NULL;
  exception = NULL;
  return false;
}

ScopedCurrentContext::ScopedCurrentContext(CefRefPtr<V8ContextImpl> context)
    : entered_(context && context->Enter()), context_(context) {}

ScopedCurrentContext::~ScopedCurrentContext() {
  if (entered_)
    context_->Exit();
}

}  // namespace standin

CefRefPtr<CefV8Context> CefV8Context::GetCurrentContext() {
  std::vector<CefRefPtr<CefV8Context>>& stack = standin::ContextStack();
  return stack.empty() ? NULL : stack.back();
}

CefRefPtr<CefV8Context> CefV8Context::GetEnteredContext() {
  return GetCurrentContext();
}

bool CefV8Context::InContext() {
  return !standin::ContextStack().empty();
}
