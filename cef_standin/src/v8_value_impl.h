// Script values without a script engine: what V8 would hold for a page, as
// CefV8Value sees it. Primitives are plain data; objects, arrays and functions
// are shared records that belong to the context they were made in. A
// CefV8Value is a handle onto such a value, and 2623 hands out a new handle
// each time one is read (GetValue, GetGlobal, handler arguments), so identity
// is IsSame, never pointer equality.
//
// Like V8, everything runs on the renderer thread (the UI thread here); from
// any other thread every call answers NULL, false or 0.
#ifndef CEF_STANDIN_SRC_V8_VALUE_IMPL_H_
#define CEF_STANDIN_SRC_V8_VALUE_IMPL_H_

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "include/cef_v8.h"

namespace standin {

class ObjectData;
class V8ContextImpl;

// What one context's values share: whether the context is still alive, and
// the objects made in it. Releasing the context drops what those objects hold
// (members, handlers, accessors, user data), as 2623 deletes its tracked
// objects then; that also breaks reference cycles through the window object.
class ContextState {
 public:
  explicit ContextState(V8ContextImpl* context) : context_(context) {}
  ContextState(const ContextState&) = delete;
  ContextState& operator=(const ContextState&) = delete;

  bool valid() const { return valid_; }
  // The context, while it lives and is valid; null afterwards.
  V8ContextImpl* context() const { return valid_ ? context_ : nullptr; }

  void Track(const std::shared_ptr<ObjectData>& object);
  void Untrack(ObjectData* object);
  // Idempotent. Handlers and accessors released here may run client code.
  void Release();

 private:
  std::atomic<bool> valid_{true};  // the last holder may go on any thread
  V8ContextImpl* context_;
  std::mutex lock_;  // a value may be destroyed on any thread
  std::map<ObjectData*, std::weak_ptr<ObjectData>> objects_;
};

enum class V8Type { kUndefined, kNull, kBool, kInt, kUInt, kDouble, kDate, kString, kObject };

// A value as the engine holds it (what a V8 handle points to).
struct ScriptValue {
  V8Type type = V8Type::kUndefined;
  bool bool_value = false;
  std::uint32_t bits = 0;  // kInt and kUInt share it, as 2623's union does
  double double_value = 0;
  CefTime date_value;
  CefString string_value;
  std::shared_ptr<ObjectData> object;
};

// An object, array or function.
class ObjectData {
 public:
  enum class Kind { kObject, kArray, kFunction };

  struct Property {
    std::wstring name;
    ScriptValue value;
    int attributes = V8_PROPERTY_ATTRIBUTE_NONE;
    bool accessor = false;  // read and written through the object's CefV8Accessor
  };

  // Made in the context of |state|. |user_created|: made through a
  // CefV8Value::Create* call, so it carries a tracker (user data, handler,
  // accessor) as in 2623; a page's own objects and the window have none.
  static std::shared_ptr<ObjectData> Create(Kind kind, bool user_created,
                                            const std::shared_ptr<ContextState>& state);
  ~ObjectData();

  Kind kind;
  bool user_created;
  std::shared_ptr<ContextState> state;
  std::vector<Property> properties;  // in the order they were added
  std::map<std::uint32_t, ScriptValue> elements;  // sparse: holes are absent
  std::uint32_t length = 0;  // arrays
  CefString function_name;
  CefRefPtr<CefV8Handler> handler;  // functions: what runs when called
  CefRefPtr<CefV8Accessor> accessor;
  CefRefPtr<CefBase> user_data;
  int external_memory = 0;

  // The context went: drop every reference this object holds.
  void DropReferences();

 private:
  ObjectData(Kind k, bool created, std::shared_ptr<ContextState> s)
      : kind(k), user_created(created), state(std::move(s)) {}
};

class V8ValueImpl : public CefV8Value {
 public:
  explicit V8ValueImpl(ScriptValue value) : value_(std::move(value)) {}

  const ScriptValue& value() const { return value_; }

  // CefV8Value methods:
  bool IsValid() override;
  bool IsUndefined() override;
  bool IsNull() override;
  bool IsBool() override;
  bool IsInt() override;
  bool IsUInt() override;
  bool IsDouble() override;
  bool IsDate() override;
  bool IsString() override;
  bool IsObject() override;
  bool IsArray() override;
  bool IsFunction() override;
  bool IsSame(CefRefPtr<CefV8Value> that) override;
  bool GetBoolValue() override;
  int32 GetIntValue() override;
  uint32 GetUIntValue() override;
  double GetDoubleValue() override;
  CefTime GetDateValue() override;
  CefString GetStringValue() override;
  bool IsUserCreated() override;
  bool HasException() override;
  CefRefPtr<CefV8Exception> GetException() override;
  bool ClearException() override;
  bool WillRethrowExceptions() override;
  bool SetRethrowExceptions(bool rethrow) override;
  bool HasValue(const CefString& key) override;
  bool HasValue(int index) override;
  bool DeleteValue(const CefString& key) override;
  bool DeleteValue(int index) override;
  CefRefPtr<CefV8Value> GetValue(const CefString& key) override;
  CefRefPtr<CefV8Value> GetValue(int index) override;
  bool SetValue(const CefString& key, CefRefPtr<CefV8Value> value,
                PropertyAttribute attribute) override;
  bool SetValue(int index, CefRefPtr<CefV8Value> value) override;
  bool SetValue(const CefString& key, AccessControl settings,
                PropertyAttribute attribute) override;
  bool GetKeys(std::vector<CefString>& keys) override;
  bool SetUserData(CefRefPtr<CefBase> user_data) override;
  CefRefPtr<CefBase> GetUserData() override;
  int GetExternallyAllocatedMemory() override;
  int AdjustExternallyAllocatedMemory(int change_in_bytes) override;
  int GetArrayLength() override;
  CefString GetFunctionName() override;
  CefRefPtr<CefV8Handler> GetFunctionHandler() override;
  CefRefPtr<CefV8Value> ExecuteFunction(CefRefPtr<CefV8Value> object,
                                        const CefV8ValueList& arguments) override;
  CefRefPtr<CefV8Value> ExecuteFunctionWithContext(
      CefRefPtr<CefV8Context> context, CefRefPtr<CefV8Value> object,
      const CefV8ValueList& arguments) override;

 private:
  // A valid object, on the renderer thread.
  ObjectData* Object();
  // Object() while some context is entered, as 2623 asks of member access.
  ObjectData* ObjectInContext();
  void Caught(const std::wstring& message);
  void NothingCaught() { last_exception_ = NULL; }
  CefRefPtr<CefV8Value> ReadProperty(ObjectData* object, const ScriptValue& holder,
                                     ObjectData::Property* property);

  ScriptValue value_;
  CefRefPtr<CefV8Exception> last_exception_;
  bool rethrow_exceptions_ = false;

  IMPLEMENT_REFCOUNTING(V8ValueImpl);
};

// The window object of a new context. Not user-created, like 2623's global.
std::shared_ptr<ObjectData> CreateGlobalObject(const std::shared_ptr<ContextState>& state);
CefRefPtr<CefV8Value> MakeValue(const ScriptValue& value);

// What a page's own script makes, in the current context: a plain object and a
// function, with no CEF tracker (IsUserCreated false, no user data, and
// GetFunctionHandler answers NULL). |behaviour| stands in for the function's
// script; it is dropped with the function, or when its context is released.
// NULL outside a valid context or off the renderer thread.
CefRefPtr<CefV8Value> CreatePageObject();
CefRefPtr<CefV8Value> CreatePageFunction(const CefString& name,
                                         CefRefPtr<CefV8Handler> behaviour);

}  // namespace standin

#endif  // CEF_STANDIN_SRC_V8_VALUE_IMPL_H_
