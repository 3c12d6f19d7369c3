#include "process_message_impl.h"

CefProcessMessageImpl::CefProcessMessageImpl(const CefString& name)
    : name_(name), arguments_(new CefListValueImpl()), read_only_(false) {
  arguments_->SetOwned(true);
}

// static
CefRefPtr<CefProcessMessage> CefProcessMessageImpl::CopyAsReceived(
    CefRefPtr<CefProcessMessage> message) {
  auto* impl = static_cast<CefProcessMessageImpl*>(message.get());
  if (!impl || !impl->IsValid())
    return nullptr;
  return impl->CopyWithArguments(true).get();
}

CefRefPtr<CefProcessMessageImpl> CefProcessMessageImpl::CopyWithArguments(
    bool read_only) {
  CefRefPtr<CefProcessMessageImpl> copy = new CefProcessMessageImpl(name_);
  copy->arguments_ = arguments_->DeepCopy();
  copy->arguments_->SetOwned(true);
  copy->arguments_->SetReadOnly(read_only);
  copy->read_only_ = read_only;
  return copy;
}

void CefProcessMessageImpl::Detach() {
  valid_ = false;
  arguments_->Invalidate();
}

bool CefProcessMessageImpl::IsValid() { return valid_; }

bool CefProcessMessageImpl::IsReadOnly() { return read_only_; }

CefRefPtr<CefProcessMessage> CefProcessMessageImpl::Copy() {
  return valid_ ? CopyWithArguments(false).get() : nullptr;
}

CefString CefProcessMessageImpl::GetName() { return valid_ ? name_ : CefString(); }

CefRefPtr<CefListValue> CefProcessMessageImpl::GetArgumentList() {
  return valid_ ? arguments_.get() : nullptr;
}

// static
CefRefPtr<CefProcessMessage> CefProcessMessage::Create(const CefString& name) {
  return new CefProcessMessageImpl(name);
}
