// The engine's CefListValue. Holds null, bool, int, double, string and list
// values; binary, dictionary and generic values are refused. Nested lists
// belong to their parent: GetList() returns the parent's own list, and a
// list that is replaced or removed becomes invalid.

#ifndef CEF_STANDIN_SRC_LIST_VALUE_IMPL_H_
#define CEF_STANDIN_SRC_LIST_VALUE_IMPL_H_

#include <variant>
#include <vector>

#include "include/cef_values.h"

class CefListValueImpl : public CefListValue {
 public:
  CefListValueImpl();

  // A deep copy, writable and not owned.
  CefRefPtr<CefListValueImpl> DeepCopy() const;

  // Applies to nested lists too. Received process messages are read-only.
  void SetReadOnly(bool read_only);

  // An owned list belongs to a parent list or a process message.
  void SetOwned(bool owned) { owned_ = owned; }

  // The list, and any nested list, no longer refers to anything: what the
  // list's owner gave away or let go.
  void Invalidate();

  // CefListValue methods:
  bool IsValid() override;
  bool IsOwned() override;
  bool IsReadOnly() override;
  bool IsSame(CefRefPtr<CefListValue> that) override;
  bool IsEqual(CefRefPtr<CefListValue> that) override;
  CefRefPtr<CefListValue> Copy() override;
  bool SetSize(size_t size) override;
  size_t GetSize() override;
  bool Clear() override;
  bool Remove(int index) override;
  CefValueType GetType(int index) override;
  CefRefPtr<CefValue> GetValue(int index) override;
  bool GetBool(int index) override;
  int GetInt(int index) override;
  double GetDouble(int index) override;
  CefString GetString(int index) override;
  CefRefPtr<CefBinaryValue> GetBinary(int index) override;
  CefRefPtr<CefDictionaryValue> GetDictionary(int index) override;
  CefRefPtr<CefListValue> GetList(int index) override;
  bool SetValue(int index, CefRefPtr<CefValue> value) override;
  bool SetNull(int index) override;
  bool SetBool(int index, bool value) override;
  bool SetInt(int index, int value) override;
  bool SetDouble(int index, double value) override;
  bool SetString(int index, const CefString& value) override;
  bool SetBinary(int index, CefRefPtr<CefBinaryValue> value) override;
  bool SetDictionary(int index,
                     CefRefPtr<CefDictionaryValue> value) override;
  bool SetList(int index, CefRefPtr<CefListValue> value) override;

 private:
  // The alternatives follow CefValueType from VTYPE_NULL on, lists last.
  typedef std::variant<std::monostate, bool, int, double, CefString,
                       CefRefPtr<CefListValueImpl> >
      Element;

  const Element* Find(int index) const;
  bool Store(int index, Element element);
  bool Resize(size_t size);
  static void Release(Element& element);

  std::vector<Element> items_;
  bool valid_;
  bool owned_;
  bool read_only_;

  IMPLEMENT_REFCOUNTING(CefListValueImpl);
  DISALLOW_COPY_AND_ASSIGN(CefListValueImpl);
};

#endif  // CEF_STANDIN_SRC_LIST_VALUE_IMPL_H_
