#include "v8_value_impl.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "ui_thread.h"
#include "v8_context_impl.h"

namespace standin {

namespace {

// Far more than any page nests, and well inside the thread's stack.
constexpr std::size_t kMaxCallDepth = 256;
const wchar_t kStackOverflow[] = L"Uncaught RangeError: Maximum call stack size exceeded";
// V8 reports an Error thrown by a native function under this prefix.
const wchar_t kUncaughtError[] = L"Uncaught Error: ";
constexpr int kKnownAttributes = V8_PROPERTY_ATTRIBUTE_READONLY |
                                 V8_PROPERTY_ATTRIBUTE_DONTENUM |
                                 V8_PROPERTY_ATTRIBUTE_DONTDELETE;

// A function call in progress. A nested call that caught an exception and
// rethrows it leaves it here; it is thrown from this call when its handler
// returns, as V8 throws a rethrown exception out of the native callback.
struct CallFrame {
  bool rethrown = false;
  std::wstring message;
};

std::vector<CallFrame*>& Calls() {
  static std::vector<CallFrame*> calls;
  return calls;
}

class V8ExceptionImpl : public CefV8Exception {
 public:
  explicit V8ExceptionImpl(std::wstring message) : message_(std::move(message)) {}

  // Native code has no script position: 2623 reports none either.
  CefString GetMessage() override { return message_; }
  CefString GetSourceLine() override { return CefString(); }
  CefString GetScriptResourceName() override { return CefString(); }
  int GetLineNumber() override { return 0; }
  int GetStartPosition() override { return 0; }
  int GetEndPosition() override { return 0; }
  int GetStartColumn() override { return 0; }
  int GetEndColumn() override { return 0; }

 private:
  std::wstring message_;

  IMPLEMENT_REFCOUNTING(V8ExceptionImpl);
};

V8ValueImpl* Impl(const CefRefPtr<CefV8Value>& value) {
  // Every CefV8Value on this side of the library is ours.
  return static_cast<V8ValueImpl*>(value.get());
}

// A value as it comes back out of V8 after being handed in (stored, passed as
// an argument or returned): numbers take the narrowest of int, uint and double
// that holds them, and dates keep whole milliseconds.
ScriptValue ThroughScript(const ScriptValue& in) {
  ScriptValue out = in;
  switch (in.type) {
    case V8Type::kUInt:
      if (in.bits <= static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()))
        out.type = V8Type::kInt;
      break;
    case V8Type::kDouble: {
      const double d = in.double_value;
      if (!std::isfinite(d) || d != std::trunc(d) || (d == 0 && std::signbit(d)))
        break;
      if (d >= std::numeric_limits<std::int32_t>::min() &&
          d <= std::numeric_limits<std::int32_t>::max()) {
        out.type = V8Type::kInt;
        out.bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(d));
      } else if (d >= 0 && d <= std::numeric_limits<std::uint32_t>::max()) {
        out.type = V8Type::kUInt;
        out.bits = static_cast<std::uint32_t>(d);
      }
      break;
    }
    case V8Type::kDate: {
      double seconds = 0;
      if (cef_time_to_doublet(&in.date_value, &seconds))
        out.date_value = CefTime(std::trunc(seconds * 1000) / 1000);
      break;
    }
    default:
      break;
  }
  return out;
}

bool SameValue(const ScriptValue& a, const ScriptValue& b) {
  if (a.type != b.type)
    return false;
  switch (a.type) {
    case V8Type::kUndefined:
    case V8Type::kNull:
      return true;
    case V8Type::kBool:
      return a.bool_value == b.bool_value;
    case V8Type::kInt:
    case V8Type::kUInt:
      return a.bits == b.bits;
    case V8Type::kDouble:
      if (std::isnan(a.double_value))
        return std::isnan(b.double_value);
      return a.double_value == b.double_value &&
             std::signbit(a.double_value) == std::signbit(b.double_value);
    case V8Type::kDate:
      return a.date_value.GetTimeT() == b.date_value.GetTimeT();
    case V8Type::kString:
      return a.string_value == b.string_value;
    case V8Type::kObject:
      return a.object == b.object;
  }
  return false;
}

// A key that names an element ("0" .. "4294967294", without leading zeros),
// as V8 treats obj["3"] and obj[3] alike.
bool ArrayIndex(const std::wstring& key, std::uint32_t* index) {
  if (key.empty() || key.size() > 10 || (key[0] == L'0' && key.size() > 1))
    return false;
  std::uint64_t value = 0;
  for (wchar_t c : key) {
    if (c < L'0' || c > L'9')
      return false;
    value = value * 10 + static_cast<std::uint64_t>(c - L'0');
  }
  if (value > 4294967294u)
    return false;
  *index = static_cast<std::uint32_t>(value);
  return true;
}

ObjectData::Property* FindProperty(ObjectData* object, const std::wstring& name) {
  for (ObjectData::Property& property : object->properties) {
    if (property.name == name)
      return &property;
  }
  return nullptr;
}

void StoreElement(ObjectData* object, std::uint32_t index, ScriptValue value) {
  ScriptValue old = std::move(object->elements[index]);
  object->elements[index] = std::move(value);
  if (object->kind == ObjectData::Kind::kArray && index >= object->length)
    object->length = index + 1;
  // |old| goes last: what it held may run client code.
}

// Elements are always deletable; the length stays, leaving a hole.
void DeleteElement(ObjectData* object, std::uint32_t index) {
  auto it = object->elements.find(index);
  if (it == object->elements.end())
    return;
  ScriptValue old = std::move(it->second);
  object->elements.erase(it);
}

ScriptValue Undefined() {
  return ScriptValue();
}

// A new object in the current context; null outside a valid one.
std::shared_ptr<ObjectData> NewObject(ObjectData::Kind kind, bool user_created) {
  CefRefPtr<CefV8Context> current = CefV8Context::GetCurrentContext();
  if (!current || !current->IsValid())
    return nullptr;
  return ObjectData::Create(kind, user_created,
                            static_cast<V8ContextImpl*>(current.get())->state());
}

CefRefPtr<CefV8Value> ObjectValue(std::shared_ptr<ObjectData> object) {
  if (!object)
    return NULL;
  ScriptValue value;
  value.type = V8Type::kObject;
  value.object = std::move(object);
  return MakeValue(value);
}

CefRefPtr<CefV8Value> NewFunction(const CefString& name, CefRefPtr<CefV8Handler> handler,
                                  bool user_created) {
  if (!handler)
    return NULL;
  std::shared_ptr<ObjectData> function = NewObject(ObjectData::Kind::kFunction, user_created);
  if (!function)
    return NULL;
  function->function_name = name;
  function->handler = handler;
  return ObjectValue(std::move(function));
}

CefRefPtr<CefV8Value> Primitive(const ScriptValue& value) {
  return OnUiThread() ? MakeValue(value) : NULL;
}

}  // namespace

void ContextState::Track(const std::shared_ptr<ObjectData>& object) {
  std::lock_guard<std::mutex> guard(lock_);
  objects_[object.get()] = object;
}

void ContextState::Untrack(ObjectData* object) {
  std::lock_guard<std::mutex> guard(lock_);
  objects_.erase(object);
}

void ContextState::Release() {
  valid_ = false;
  std::vector<std::shared_ptr<ObjectData>> alive;
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto& entry : objects_) {
      if (std::shared_ptr<ObjectData> object = entry.second.lock())
        alive.push_back(std::move(object));
    }
    objects_.clear();
  }
  for (const std::shared_ptr<ObjectData>& object : alive)
    object->DropReferences();
}

std::shared_ptr<ObjectData> ObjectData::Create(Kind kind, bool user_created,
                                               const std::shared_ptr<ContextState>& state) {
  std::shared_ptr<ObjectData> object(new ObjectData(kind, user_created, state));
  if (state->valid())
    state->Track(object);
  return object;
}

ObjectData::~ObjectData() {
  state->Untrack(this);
}

void ObjectData::DropReferences() {
  // Moved out first, so client code run by their release sees an empty object.
  std::vector<Property> old_properties = std::move(properties);
  std::map<std::uint32_t, ScriptValue> old_elements = std::move(elements);
  CefRefPtr<CefV8Handler> old_handler = std::move(handler);
  CefRefPtr<CefV8Accessor> old_accessor = std::move(accessor);
  CefRefPtr<CefBase> old_user_data = std::move(user_data);
  properties.clear();
  elements.clear();
  handler = NULL;
  accessor = NULL;
  user_data = NULL;
}

std::shared_ptr<ObjectData> CreateGlobalObject(const std::shared_ptr<ContextState>& state) {
  return ObjectData::Create(ObjectData::Kind::kObject, false, state);
}

CefRefPtr<CefV8Value> MakeValue(const ScriptValue& value) {
  return new V8ValueImpl(value);
}

CefRefPtr<CefV8Value> CreatePageObject() {
  if (!OnUiThread())
    return NULL;
  return ObjectValue(NewObject(ObjectData::Kind::kObject, false));
}

CefRefPtr<CefV8Value> CreatePageFunction(const CefString& name,
                                         CefRefPtr<CefV8Handler> behaviour) {
  if (!OnUiThread())
    return NULL;
  return NewFunction(name, behaviour, false);
}

// V8ValueImpl

ObjectData* V8ValueImpl::Object() {
  if (!OnUiThread() || value_.type != V8Type::kObject || !value_.object->state->valid())
    return nullptr;
  return value_.object.get();
}

ObjectData* V8ValueImpl::ObjectInContext() {
  ObjectData* object = Object();
  return object && CefV8Context::InContext() ? object : nullptr;
}

void V8ValueImpl::Caught(const std::wstring& message) {
  last_exception_ = new V8ExceptionImpl(message);
  if (rethrow_exceptions_ && !Calls().empty()) {
    Calls().back()->rethrown = true;
    Calls().back()->message = message;
  }
}

bool V8ValueImpl::IsValid() {
  if (!OnUiThread())
    return false;
  return value_.type != V8Type::kObject || value_.object->state->valid();
}

bool V8ValueImpl::IsUndefined() {
  return OnUiThread() && value_.type == V8Type::kUndefined;
}

bool V8ValueImpl::IsNull() {
  return OnUiThread() && value_.type == V8Type::kNull;
}

bool V8ValueImpl::IsBool() {
  return OnUiThread() && value_.type == V8Type::kBool;
}

// 2623 answers true to both IsInt and IsUInt for either kind, and IsDouble
// for every number.
bool V8ValueImpl::IsInt() {
  return OnUiThread() && (value_.type == V8Type::kInt || value_.type == V8Type::kUInt);
}

bool V8ValueImpl::IsUInt() {
  return IsInt();
}

bool V8ValueImpl::IsDouble() {
  return OnUiThread() && (value_.type == V8Type::kInt || value_.type == V8Type::kUInt ||
                          value_.type == V8Type::kDouble);
}

bool V8ValueImpl::IsDate() {
  return OnUiThread() && value_.type == V8Type::kDate;
}

bool V8ValueImpl::IsString() {
  return OnUiThread() && value_.type == V8Type::kString;
}

// The kind stays readable after the context went, as in 2623.
bool V8ValueImpl::IsObject() {
  return OnUiThread() && value_.type == V8Type::kObject;
}

bool V8ValueImpl::IsArray() {
  return IsObject() && value_.object->kind == ObjectData::Kind::kArray;
}

bool V8ValueImpl::IsFunction() {
  return IsObject() && value_.object->kind == ObjectData::Kind::kFunction;
}

bool V8ValueImpl::IsSame(CefRefPtr<CefV8Value> that) {
  if (!OnUiThread() || !that || !that->IsValid())
    return false;
  const ScriptValue& other = Impl(that)->value_;
  if (value_.type != other.type)
    return false;
  switch (value_.type) {
    case V8Type::kDouble:
      return value_.double_value == other.double_value;
    case V8Type::kObject:
      return value_.object == other.object;
    default:
      return SameValue(value_, other);
  }
}

bool V8ValueImpl::GetBoolValue() {
  return OnUiThread() && value_.type == V8Type::kBool && value_.bool_value;
}

int32 V8ValueImpl::GetIntValue() {
  return IsInt() ? static_cast<int32>(value_.bits) : 0;
}

uint32 V8ValueImpl::GetUIntValue() {
  return IsInt() ? value_.bits : 0;
}

double V8ValueImpl::GetDoubleValue() {
  if (!OnUiThread())
    return 0;
  switch (value_.type) {
    case V8Type::kDouble:
      return value_.double_value;
    case V8Type::kInt:
      return static_cast<int32>(value_.bits);
    case V8Type::kUInt:
      return value_.bits;
    default:
      return 0;
  }
}

CefTime V8ValueImpl::GetDateValue() {
  return IsDate() ? value_.date_value : CefTime(0.);
}

CefString V8ValueImpl::GetStringValue() {
  return IsString() ? value_.string_value : CefString();
}

bool V8ValueImpl::IsUserCreated() {
  ObjectData* object = ObjectInContext();
  return object && object->user_created;
}

bool V8ValueImpl::HasException() {
  return Object() && last_exception_;
}

CefRefPtr<CefV8Exception> V8ValueImpl::GetException() {
  return Object() ? last_exception_ : NULL;
}

bool V8ValueImpl::ClearException() {
  if (!Object())
    return false;
  last_exception_ = NULL;
  return true;
}

bool V8ValueImpl::WillRethrowExceptions() {
  return Object() && rethrow_exceptions_;
}

bool V8ValueImpl::SetRethrowExceptions(bool rethrow) {
  if (!Object())
    return false;
  rethrow_exceptions_ = rethrow;
  return true;
}

bool V8ValueImpl::HasValue(const CefString& key) {
  ObjectData* object = ObjectInContext();
  if (!object)
    return false;
  const std::wstring name = key.ToWString();
  std::uint32_t index = 0;
  if (ArrayIndex(name, &index))
    return object->elements.count(index) != 0;
  return FindProperty(object, name) != nullptr;
}

bool V8ValueImpl::HasValue(int index) {
  ObjectData* object = ObjectInContext();
  return object && index >= 0 &&
         object->elements.count(static_cast<std::uint32_t>(index)) != 0;
}

bool V8ValueImpl::DeleteValue(const CefString& key) {
  ObjectData* object = ObjectInContext();
  if (!object)
    return false;
  NothingCaught();
  const std::wstring name = key.ToWString();
  std::uint32_t index = 0;
  if (ArrayIndex(name, &index)) {
    DeleteElement(object, index);
    return true;
  }
  for (auto it = object->properties.begin(); it != object->properties.end(); ++it) {
    if (it->name != name)
      continue;
    if (it->attributes & V8_PROPERTY_ATTRIBUTE_DONTDELETE)
      return false;
    ObjectData::Property old = std::move(*it);
    object->properties.erase(it);
    return true;
  }
  // Deleting what is not there succeeds, as the delete operator does.
  return true;
}

bool V8ValueImpl::DeleteValue(int index) {
  ObjectData* object = ObjectInContext();
  if (!object || index < 0)
    return false;
  NothingCaught();
  DeleteElement(object, static_cast<std::uint32_t>(index));
  return true;
}

CefRefPtr<CefV8Value> V8ValueImpl::ReadProperty(ObjectData* object, const ScriptValue& holder,
                                                ObjectData::Property* property) {
  if (!property->accessor)
    return MakeValue(property->value);
  CefRefPtr<CefV8Accessor> accessor = object->accessor;
  const CefString name(property->name);
  CefRefPtr<CefV8Value> retval;
  CefString exception;
  // The accessor may change the object: |property| is not used past this call.
  if (accessor && accessor->Get(name, MakeValue(holder), retval, exception)) {
    if (!exception.empty()) {
      Caught(kUncaughtError + exception.ToWString());
      return NULL;
    }
    if (retval && retval->IsValid())
      return MakeValue(ThroughScript(Impl(retval)->value_));
  }
  return MakeValue(Undefined());
}

CefRefPtr<CefV8Value> V8ValueImpl::GetValue(const CefString& key) {
  ObjectData* object = ObjectInContext();
  if (!object)
    return NULL;
  NothingCaught();
  const std::wstring name = key.ToWString();
  std::uint32_t index = 0;
  if (ArrayIndex(name, &index)) {
    auto it = object->elements.find(index);
    return MakeValue(it == object->elements.end() ? Undefined() : it->second);
  }
  ObjectData::Property* property = FindProperty(object, name);
  if (!property)
    return MakeValue(Undefined());
  const ScriptValue holder = value_;  // keeps the object while an accessor runs
  return ReadProperty(object, holder, property);
}

CefRefPtr<CefV8Value> V8ValueImpl::GetValue(int index) {
  ObjectData* object = ObjectInContext();
  if (!object || index < 0)
    return NULL;
  NothingCaught();
  auto it = object->elements.find(static_cast<std::uint32_t>(index));
  return MakeValue(it == object->elements.end() ? Undefined() : it->second);
}

bool V8ValueImpl::SetValue(const CefString& key, CefRefPtr<CefV8Value> value,
                           PropertyAttribute attribute) {
  ObjectData* object = ObjectInContext();
  if (!object || !value || !value->IsValid())
    return false;
  NothingCaught();
  ScriptValue stored = ThroughScript(Impl(value)->value_);
  const int attributes = attribute & kKnownAttributes;
  const std::wstring name = key.ToWString();
  std::uint32_t index = 0;
  if (ArrayIndex(name, &index)) {
    StoreElement(object, index, std::move(stored));
    return true;
  }
  ObjectData::Property* property = FindProperty(object, name);
  if (!property) {
    ObjectData::Property added;
    added.name = name;
    added.value = std::move(stored);
    added.attributes = attributes;
    object->properties.push_back(std::move(added));
    return true;
  }

  if (attributes == V8_PROPERTY_ATTRIBUTE_NONE) {
    // An assignment: a read-only member keeps its value without complaint,
    // as in a sloppy-mode script.
    if (property->attributes & V8_PROPERTY_ATTRIBUTE_READONLY)
      return true;
    if (property->accessor) {
      CefRefPtr<CefV8Accessor> accessor = object->accessor;
      if (!accessor)
        return true;
      const ScriptValue holder = value_;
      CefString exception;
      accessor->Set(CefString(name), MakeValue(holder), MakeValue(stored), exception);
      if (!exception.empty()) {
        Caught(kUncaughtError + exception.ToWString());
        return false;
      }
      return true;
    }
    std::swap(property->value, stored);  // the old value goes last, with |stored|
    return true;
  }

  // A definition with attributes. A configurable member is replaced; one
  // that is not (DONTDELETE) may only become read-only or take a new value
  // while writable, as Object.defineProperty allows.
  if (property->attributes & V8_PROPERTY_ATTRIBUTE_DONTDELETE) {
    if (!(attributes & V8_PROPERTY_ATTRIBUTE_DONTDELETE) ||
        (attributes & V8_PROPERTY_ATTRIBUTE_DONTENUM) !=
            (property->attributes & V8_PROPERTY_ATTRIBUTE_DONTENUM) ||
        property->accessor) {
      return false;
    }
    if (property->attributes & V8_PROPERTY_ATTRIBUTE_READONLY) {
      return (attributes & V8_PROPERTY_ATTRIBUTE_READONLY) &&
             SameValue(property->value, stored);
    }
  }
  std::swap(property->value, stored);
  property->attributes = attributes;
  property->accessor = false;
  return true;
}

bool V8ValueImpl::SetValue(int index, CefRefPtr<CefV8Value> value) {
  ObjectData* object = ObjectInContext();
  if (!object || index < 0 || !value || !value->IsValid())
    return false;
  NothingCaught();
  StoreElement(object, static_cast<std::uint32_t>(index), ThroughScript(Impl(value)->value_));
  return true;
}

bool V8ValueImpl::SetValue(const CefString& key, AccessControl /*settings*/,
                           PropertyAttribute attribute) {
  ObjectData* object = ObjectInContext();
  // Only an object made with an accessor can route a member through it.
  if (!object || !object->user_created || !object->accessor)
    return false;
  NothingCaught();
  const std::wstring name = key.ToWString();
  std::uint32_t index = 0;
  if (ArrayIndex(name, &index))
    return false;  // elements have no accessors here
  ObjectData::Property* property = FindProperty(object, name);
  if (!property) {
    object->properties.push_back(ObjectData::Property());
    property = &object->properties.back();
    property->name = name;
  } else if (property->attributes & V8_PROPERTY_ATTRIBUTE_DONTDELETE) {
    return false;
  }
  ScriptValue old = std::move(property->value);
  property->value = Undefined();
  property->attributes = attribute & kKnownAttributes;
  property->accessor = true;
  return true;
}

bool V8ValueImpl::GetKeys(std::vector<CefString>& keys) {
  ObjectData* object = Object();
  if (!object)
    return false;
  // Elements first, in index order, then named members in the order they
  // were added; DONTENUM members are not listed.
  for (const auto& element : object->elements)
    keys.push_back(CefString(std::to_wstring(element.first)));
  for (const ObjectData::Property& property : object->properties) {
    if (!(property.attributes & V8_PROPERTY_ATTRIBUTE_DONTENUM))
      keys.push_back(CefString(property.name));
  }
  return true;
}

bool V8ValueImpl::SetUserData(CefRefPtr<CefBase> user_data) {
  ObjectData* object = ObjectInContext();
  if (!object || !object->user_created)
    return false;
  CefRefPtr<CefBase> old = object->user_data;
  object->user_data = user_data;
  return true;
}

CefRefPtr<CefBase> V8ValueImpl::GetUserData() {
  ObjectData* object = ObjectInContext();
  return object && object->user_created ? object->user_data : NULL;
}

int V8ValueImpl::GetExternallyAllocatedMemory() {
  ObjectData* object = ObjectInContext();
  return object && object->user_created ? object->external_memory : 0;
}

int V8ValueImpl::AdjustExternallyAllocatedMemory(int change_in_bytes) {
  ObjectData* object = ObjectInContext();
  if (!object || !object->user_created)
    return 0;
  // Never below zero; kept within int.
  std::int64_t total = static_cast<std::int64_t>(object->external_memory) + change_in_bytes;
  if (total < 0)
    total = 0;
  if (total > std::numeric_limits<int>::max())
    total = std::numeric_limits<int>::max();
  object->external_memory = static_cast<int>(total);
  return object->external_memory;
}

int V8ValueImpl::GetArrayLength() {
  ObjectData* object = Object();
  if (!object || object->kind != ObjectData::Kind::kArray)
    return 0;
  return static_cast<int>(object->length);
}

CefString V8ValueImpl::GetFunctionName() {
  ObjectData* object = Object();
  if (!object || object->kind != ObjectData::Kind::kFunction)
    return CefString();
  return object->function_name;
}

CefRefPtr<CefV8Handler> V8ValueImpl::GetFunctionHandler() {
  ObjectData* object = ObjectInContext();
  if (!object || object->kind != ObjectData::Kind::kFunction || !object->user_created)
    return NULL;
  return object->handler;
}

CefRefPtr<CefV8Value> V8ValueImpl::ExecuteFunction(CefRefPtr<CefV8Value> object,
                                                   const CefV8ValueList& arguments) {
  // No context: the current one.
  return ExecuteFunctionWithContext(NULL, object, arguments);
}

CefRefPtr<CefV8Value> V8ValueImpl::ExecuteFunctionWithContext(
    CefRefPtr<CefV8Context> context, CefRefPtr<CefV8Value> object,
    const CefV8ValueList& arguments) {
  ObjectData* function = Object();
  if (!function || function->kind != ObjectData::Kind::kFunction)
    return NULL;
  if (!context)
    context = CefV8Context::GetCurrentContext();
  if (!context || !context->IsValid())
    return NULL;
  if (object && (!object->IsValid() || !object->IsObject()))
    return NULL;
  for (const CefRefPtr<CefV8Value>& argument : arguments) {
    if (!argument || !argument->IsValid())
      return NULL;
  }
  CefRefPtr<V8ContextImpl> call_context(static_cast<V8ContextImpl*>(context.get()));
  // Without an object the receiver is the context's window, as for a plain
  // call in sloppy mode; handlers never see a NULL object.
  CefRefPtr<CefV8Value> receiver = object ? object : call_context->GetGlobal();
  if (!receiver)
    return NULL;
  if (Calls().size() >= kMaxCallDepth) {
    Caught(kStackOverflow);
    return NULL;
  }

  // The handler may drop every other reference to itself, and a context
  // released during the call empties the function: nothing below reads it.
  CefRefPtr<CefV8Handler> handler = function->handler;
  const CefString name = function->function_name;
  CefRefPtr<V8ContextImpl> own_context(function->state->context());

  bool threw = false;
  std::wstring thrown;
  ScriptValue result;
  CallFrame frame;
  {
    ScopedContextEntry entered(call_context, true);
    ScopedContextEntry running(own_context, false);
    Calls().push_back(&frame);
    if (handler) {
      // A handler gets values fresh from the script, as 2623 makes new ones.
      CefV8ValueList params;
      params.reserve(arguments.size());
      for (const CefRefPtr<CefV8Value>& argument : arguments)
        params.push_back(MakeValue(ThroughScript(Impl(argument)->value_)));
      CefRefPtr<CefV8Value> retval;
      CefString exception;
      if (handler->Execute(name, MakeValue(Impl(receiver)->value_), params, retval,
                           exception)) {
        if (!exception.empty()) {
          threw = true;
          thrown = kUncaughtError + exception.ToWString();
        } else if (retval && retval->IsValid()) {
          result = ThroughScript(Impl(retval)->value_);
        }
      }
    }
    Calls().pop_back();
  }
  if (!threw && frame.rethrown) {
    threw = true;
    thrown = frame.message;
  }
  if (threw) {
    Caught(thrown);
    return NULL;
  }
  NothingCaught();
  return MakeValue(result);
}

}  // namespace standin

CefRefPtr<CefV8Value> CefV8Value::CreateUndefined() {
  return standin::Primitive(standin::ScriptValue());
}

CefRefPtr<CefV8Value> CefV8Value::CreateNull() {
  standin::ScriptValue value;
  value.type = standin::V8Type::kNull;
  return standin::Primitive(value);
}

CefRefPtr<CefV8Value> CefV8Value::CreateBool(bool value) {
  standin::ScriptValue v;
  v.type = standin::V8Type::kBool;
  v.bool_value = value;
  return standin::Primitive(v);
}

CefRefPtr<CefV8Value> CefV8Value::CreateInt(int32 value) {
  standin::ScriptValue v;
  v.type = standin::V8Type::kInt;
  v.bits = static_cast<std::uint32_t>(value);
  return standin::Primitive(v);
}

CefRefPtr<CefV8Value> CefV8Value::CreateUInt(uint32 value) {
  standin::ScriptValue v;
  v.type = standin::V8Type::kUInt;
  v.bits = value;
  return standin::Primitive(v);
}

CefRefPtr<CefV8Value> CefV8Value::CreateDouble(double value) {
  standin::ScriptValue v;
  v.type = standin::V8Type::kDouble;
  v.double_value = value;
  return standin::Primitive(v);
}

CefRefPtr<CefV8Value> CefV8Value::CreateDate(const CefTime& date) {
  standin::ScriptValue v;
  v.type = standin::V8Type::kDate;
  v.date_value = date;
  return standin::Primitive(v);
}

CefRefPtr<CefV8Value> CefV8Value::CreateString(const CefString& value) {
  standin::ScriptValue v;
  v.type = standin::V8Type::kString;
  v.string_value = value;
  return standin::Primitive(v);
}

// Objects, arrays and functions need a context to live in: outside one, 2623
// makes none.
CefRefPtr<CefV8Value> CefV8Value::CreateObject(CefRefPtr<CefV8Accessor> accessor) {
  if (!standin::OnUiThread())
    return NULL;
  std::shared_ptr<standin::ObjectData> object =
      standin::NewObject(standin::ObjectData::Kind::kObject, true);
  if (!object)
    return NULL;
  object->accessor = accessor;
  return standin::ObjectValue(std::move(object));
}

CefRefPtr<CefV8Value> CefV8Value::CreateArray(int length) {
  if (!standin::OnUiThread())
    return NULL;
  std::shared_ptr<standin::ObjectData> array =
      standin::NewObject(standin::ObjectData::Kind::kArray, true);
  if (!array)
    return NULL;
  // V8 makes a negative length 0.
  array->length = length > 0 ? static_cast<std::uint32_t>(length) : 0;
  return standin::ObjectValue(std::move(array));
}

CefRefPtr<CefV8Value> CefV8Value::CreateFunction(const CefString& name,
                                                 CefRefPtr<CefV8Handler> handler) {
  if (!standin::OnUiThread())
    return NULL;
  return standin::NewFunction(name, handler, true);
}
