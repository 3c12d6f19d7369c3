// The engine's CefProcessMessage: a name and an owned argument list.

#ifndef CEF_STANDIN_SRC_PROCESS_MESSAGE_IMPL_H_
#define CEF_STANDIN_SRC_PROCESS_MESSAGE_IMPL_H_

#include "include/cef_process_message.h"
#include "list_value_impl.h"

class CefProcessMessageImpl : public CefProcessMessage {
 public:
  explicit CefProcessMessageImpl(const CefString& name);

  // A read-only deep copy of |message|: the form in which the receiving
  // side gets a sent message, so that neither side sees the other's later
  // changes. NULL for a NULL or invalid message.
  static CefRefPtr<CefProcessMessage> CopyAsReceived(
      CefRefPtr<CefProcessMessage> message);

  // After the receiver's handler returned, as 2623 detaches a received
  // message: it and its arguments are invalid from then on.
  void Detach();

  // CefProcessMessage methods:
  bool IsValid() override;
  bool IsReadOnly() override;
  CefRefPtr<CefProcessMessage> Copy() override;
  CefString GetName() override;
  CefRefPtr<CefListValue> GetArgumentList() override;

 private:
  CefRefPtr<CefProcessMessageImpl> CopyWithArguments(bool read_only);

  const CefString name_;
  CefRefPtr<CefListValueImpl> arguments_;
  bool read_only_;
  bool valid_ = true;

  IMPLEMENT_REFCOUNTING(CefProcessMessageImpl);
  DISALLOW_COPY_AND_ASSIGN(CefProcessMessageImpl);
};

#endif  // CEF_STANDIN_SRC_PROCESS_MESSAGE_IMPL_H_
