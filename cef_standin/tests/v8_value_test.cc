// Script values: the kinds and their getters, members and their attributes,
// function calls, exceptions, and the life of values with their context; and
// the page's queries, which go through window.cefQuery as a script's would.

#include <cmath>
#include <functional>
#include <thread>

#include "engine_fixture.h"
#include "include/cef_v8.h"

namespace standin_test {
namespace {

// A function body that remembers how it was called.
class Recorder : public CefV8Handler {
 public:
  using Body = std::function<bool(const CefV8ValueList& arguments,
                                  CefRefPtr<CefV8Value>& retval, CefString& exception)>;

  explicit Recorder(Body body = nullptr, bool* destroyed = nullptr)
      : body_(std::move(body)), destroyed_(destroyed) {}
  ~Recorder() override {
    if (destroyed_)
      *destroyed_ = true;
  }

  bool Execute(const CefString& name, CefRefPtr<CefV8Value> object,
               const CefV8ValueList& arguments, CefRefPtr<CefV8Value>& retval,
               CefString& exception) override {
    ++calls;
    this->name = name.ToString();
    this->object = object;
    this->arguments = arguments;
    current = CefV8Context::GetCurrentContext();
    entered = CefV8Context::GetEnteredContext();
    return body_ ? body_(arguments, retval, exception) : true;
  }

  int calls = 0;
  std::string name;
  CefRefPtr<CefV8Value> object;
  CefV8ValueList arguments;
  CefRefPtr<CefV8Context> current;
  CefRefPtr<CefV8Context> entered;

 private:
  Body body_;
  bool* destroyed_;

  IMPLEMENT_REFCOUNTING(Recorder);
};

// Enter()/Exit() for a scope.
class Entered {
 public:
  explicit Entered(CefRefPtr<CefV8Context> context) : context_(context) {
    EXPECT_TRUE(context_->Enter());
  }
  ~Entered() { EXPECT_TRUE(context_->Exit()); }

 private:
  CefRefPtr<CefV8Context> context_;
};

const auto kRouterAttributes = static_cast<CefV8Value::PropertyAttribute>(
    V8_PROPERTY_ATTRIBUTE_READONLY | V8_PROPERTY_ATTRIBUTE_DONTENUM |
    V8_PROPERTY_ATTRIBUTE_DONTDELETE);

class V8ValueTest : public EngineTest {
 protected:
  CefRefPtr<CefV8Context> MainContext() {
    return client_->browser->GetMainFrame()->GetV8Context();
  }

  void NavigateMain(const std::string& url) {
    int navigation = 0;
    ASSERT_TRUE(standin::Navigate(BrowserId(), 0, url, &navigation).ok());
    Pump([&] { return standin::NavigationDone(navigation); });
  }

  std::vector<std::string> Keys(CefRefPtr<CefV8Value> object) {
    std::vector<CefString> keys;
    EXPECT_TRUE(object->GetKeys(keys));
    std::vector<std::string> out;
    for (const CefString& key : keys)
      out.push_back(key.ToString());
    return out;
  }
};

TEST_F(V8ValueTest, PrimitivesReportTheirKindAndValueWithoutAContext) {
  enum : unsigned {
    kUndefined = 1, kNull = 2, kBool = 4, kInt = 8, kUInt = 16, kDouble = 32, kString = 64,
  };
  struct Case {
    const char* name;
    std::function<CefRefPtr<CefV8Value>()> make;
    unsigned kinds;
    bool bool_value;
    int32 int_value;
    uint32 uint_value;
    double double_value;
    std::string string_value;
  };
  const unsigned kNumber = kInt | kUInt | kDouble;  // 2623 answers all three for ints
  const Case cases[] = {
      {"undefined", [] { return CefV8Value::CreateUndefined(); }, kUndefined, false, 0, 0, 0, ""},
      {"null", [] { return CefV8Value::CreateNull(); }, kNull, false, 0, 0, 0, ""},
      {"true", [] { return CefV8Value::CreateBool(true); }, kBool, true, 0, 0, 0, ""},
      {"false", [] { return CefV8Value::CreateBool(false); }, kBool, false, 0, 0, 0, ""},
      {"negative int", [] { return CefV8Value::CreateInt(-7); }, kNumber, false, -7,
       4294967289u, -7, ""},
      {"uint beyond int", [] { return CefV8Value::CreateUInt(3000000000u); }, kNumber, false,
       -1294967296, 3000000000u, 3e9, ""},
      {"double", [] { return CefV8Value::CreateDouble(2.5); }, kDouble, false, 0, 0, 2.5, ""},
      {"string", [] { return CefV8Value::CreateString("h\xC3\xA9llo"); }, kString, false, 0, 0,
       0, "h\xC3\xA9llo"},
      {"empty string", [] { return CefV8Value::CreateString(CefString()); }, kString, false, 0,
       0, 0, ""},
  };
  ASSERT_FALSE(CefV8Context::InContext());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CefRefPtr<CefV8Value> value = c.make();
    ASSERT_TRUE(value);
    EXPECT_TRUE(value->IsValid());
    EXPECT_EQ(value->IsUndefined(), (c.kinds & kUndefined) != 0);
    EXPECT_EQ(value->IsNull(), (c.kinds & kNull) != 0);
    EXPECT_EQ(value->IsBool(), (c.kinds & kBool) != 0);
    EXPECT_EQ(value->IsInt(), (c.kinds & kInt) != 0);
    EXPECT_EQ(value->IsUInt(), (c.kinds & kUInt) != 0);
    EXPECT_EQ(value->IsDouble(), (c.kinds & kDouble) != 0);
    EXPECT_EQ(value->IsString(), (c.kinds & kString) != 0);
    EXPECT_FALSE(value->IsDate());
    EXPECT_FALSE(value->IsObject());
    EXPECT_FALSE(value->IsArray());
    EXPECT_FALSE(value->IsFunction());
    EXPECT_EQ(value->GetBoolValue(), c.bool_value);
    EXPECT_EQ(value->GetIntValue(), c.int_value);
    EXPECT_EQ(value->GetUIntValue(), c.uint_value);
    EXPECT_EQ(value->GetDoubleValue(), c.double_value);
    EXPECT_EQ(value->GetStringValue().ToString(), c.string_value);
    // Object-only calls answer nothing for a primitive.
    EXPECT_FALSE(value->HasValue("x"));
    EXPECT_FALSE(value->GetValue("x"));
    EXPECT_FALSE(value->SetRethrowExceptions(true));
    EXPECT_EQ(value->GetArrayLength(), 0);
    EXPECT_TRUE(value->IsSame(c.make()));
  }

  CefTime date;
  date.year = 2016;
  date.month = 4;
  date.day_of_month = 11;
  date.hour = 20;
  date.minute = 15;
  date.second = 42;
  date.millisecond = 250;
  CefRefPtr<CefV8Value> value = CefV8Value::CreateDate(date);
  ASSERT_TRUE(value);
  EXPECT_TRUE(value->IsDate());
  EXPECT_FALSE(value->IsDouble());
  EXPECT_EQ(value->GetDateValue().GetDoubleT(), date.GetDoubleT());
  // Kinds never compare the same, even for equal numbers.
  EXPECT_FALSE(CefV8Value::CreateInt(5)->IsSame(CefV8Value::CreateUInt(5)));
  EXPECT_FALSE(CefV8Value::CreateDouble(NAN)->IsSame(CefV8Value::CreateDouble(NAN)));
  EXPECT_FALSE(CefV8Value::CreateInt(1)->IsSame(NULL));
}

TEST_F(V8ValueTest, ObjectsArraysAndFunctionsExistOnlyInsideAContext) {
  Open();
  CefRefPtr<CefV8Handler> handler = new Recorder();
  ASSERT_FALSE(CefV8Context::InContext());
  EXPECT_FALSE(CefV8Value::CreateObject(NULL));
  EXPECT_FALSE(CefV8Value::CreateArray(1));
  EXPECT_FALSE(CefV8Value::CreateFunction("f", handler));

  CefRefPtr<CefV8Context> context = MainContext();
  Entered scope(context);
  EXPECT_TRUE(CefV8Context::GetCurrentContext()->IsSame(context));
  EXPECT_FALSE(CefV8Value::CreateFunction("f", NULL));

  CefRefPtr<CefV8Value> object = CefV8Value::CreateObject(NULL);
  CefRefPtr<CefV8Value> array = CefV8Value::CreateArray(2);
  CefRefPtr<CefV8Value> function = CefV8Value::CreateFunction("f", handler);
  ASSERT_TRUE(object && array && function);
  struct Kind {
    const char* name;
    CefRefPtr<CefV8Value> value;
    bool array;
    bool function;
  };
  for (const Kind& k : {Kind{"object", object, false, false}, Kind{"array", array, true, false},
                        Kind{"function", function, false, true}}) {
    SCOPED_TRACE(k.name);
    EXPECT_TRUE(k.value->IsValid());
    EXPECT_TRUE(k.value->IsObject());
    EXPECT_EQ(k.value->IsArray(), k.array);
    EXPECT_EQ(k.value->IsFunction(), k.function);
    EXPECT_FALSE(k.value->IsUndefined() || k.value->IsInt() || k.value->IsString());
    EXPECT_TRUE(k.value->IsUserCreated());
    EXPECT_FALSE(k.value->HasException());
  }
  EXPECT_EQ(function->GetFunctionName().ToString(), "f");
  EXPECT_EQ(function->GetFunctionHandler().get(), handler.get());
  EXPECT_EQ(array->GetArrayLength(), 2);

  // One window per context, handed out as new values that are the same.
  CefRefPtr<CefV8Value> global = context->GetGlobal();
  ASSERT_TRUE(global);
  EXPECT_TRUE(global->IsSame(context->GetGlobal()));
  EXPECT_FALSE(global->IsSame(object));
  EXPECT_FALSE(global->IsUserCreated());

  // User data lives on what the client made, not on the window.
  CefRefPtr<CefBase> data = new Recorder();
  EXPECT_TRUE(object->SetUserData(data));
  EXPECT_EQ(object->GetUserData().get(), data.get());
  EXPECT_FALSE(global->SetUserData(data));
  EXPECT_FALSE(global->GetUserData());
  EXPECT_EQ(object->AdjustExternallyAllocatedMemory(100), 100);
  EXPECT_EQ(object->AdjustExternallyAllocatedMemory(-500), 0);
}

TEST_F(V8ValueTest, StoredValuesComeBackAsTheScriptHoldsThem) {
  // What goes into V8 comes out as V8 sees it: a number takes the narrowest
  // of int, uint and double that holds it.
  struct Case {
    const char* name;
    std::function<CefRefPtr<CefV8Value>()> stored;
    std::function<CefRefPtr<CefV8Value>()> read;
  };
  const Case cases[] = {
      {"whole double", [] { return CefV8Value::CreateDouble(2.0); },
       [] { return CefV8Value::CreateInt(2); }},
      {"small uint", [] { return CefV8Value::CreateUInt(5); },
       [] { return CefV8Value::CreateInt(5); }},
      {"large whole double", [] { return CefV8Value::CreateDouble(4294967295.0); },
       [] { return CefV8Value::CreateUInt(4294967295u); }},
      {"fraction", [] { return CefV8Value::CreateDouble(0.5); },
       [] { return CefV8Value::CreateDouble(0.5); }},
      {"negative zero", [] { return CefV8Value::CreateDouble(-0.0); },
       [] { return CefV8Value::CreateDouble(-0.0); }},
      {"string", [] { return CefV8Value::CreateString("s"); },
       [] { return CefV8Value::CreateString("s"); }},
  };
  Open();
  Entered scope(MainContext());
  CefRefPtr<CefV8Value> object = CefV8Value::CreateObject(NULL);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(object->SetValue("v", c.stored(), V8_PROPERTY_ATTRIBUTE_NONE));
    CefRefPtr<CefV8Value> read = object->GetValue("v");
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->IsSame(c.read()));
  }
  EXPECT_FALSE(object->GetValue("v")->IsInt()) << "-0 stays a double";
  // Objects are shared, not copied.
  CefRefPtr<CefV8Value> inner = CefV8Value::CreateObject(NULL);
  ASSERT_TRUE(object->SetValue("inner", inner, V8_PROPERTY_ATTRIBUTE_NONE));
  ASSERT_TRUE(inner->SetValue("n", CefV8Value::CreateInt(1), V8_PROPERTY_ATTRIBUTE_NONE));
  EXPECT_TRUE(object->GetValue("inner")->IsSame(inner));
  EXPECT_EQ(object->GetValue("inner")->GetValue("n")->GetIntValue(), 1);
  // What is not there reads as undefined; NULL is no value to store.
  EXPECT_TRUE(object->GetValue("missing")->IsUndefined());
  EXPECT_FALSE(object->SetValue("v", NULL, V8_PROPERTY_ATTRIBUTE_NONE));
}

TEST_F(V8ValueTest, MemberAttributesRuleAssignmentDeletionAndListing) {
  struct Case {
    const char* name;
    int attributes;
    bool assignable;
    bool deletable;
    bool listed;
  };
  const Case cases[] = {
      {"none", V8_PROPERTY_ATTRIBUTE_NONE, true, true, true},
      {"read-only", V8_PROPERTY_ATTRIBUTE_READONLY, false, true, true},
      {"not enumerable", V8_PROPERTY_ATTRIBUTE_DONTENUM, true, true, false},
      {"not deletable", V8_PROPERTY_ATTRIBUTE_DONTDELETE, true, false, true},
      {"as the router puts its functions", kRouterAttributes, false, false, false},
  };
  Open();
  Entered scope(MainContext());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CefRefPtr<CefV8Value> object = CefV8Value::CreateObject(NULL);
    ASSERT_TRUE(object->SetValue("m", CefV8Value::CreateInt(1),
                                 static_cast<CefV8Value::PropertyAttribute>(c.attributes)));
    ASSERT_TRUE(object->SetValue("other", CefV8Value::CreateInt(0),
                                 V8_PROPERTY_ATTRIBUTE_NONE));
    const std::vector<std::string> listed =
        c.listed ? std::vector<std::string>{"m", "other"} : std::vector<std::string>{"other"};
    EXPECT_EQ(Keys(object), listed);
    EXPECT_TRUE(object->HasValue("m"));
    // An assignment to a read-only member is ignored without an error, as in
    // a sloppy-mode script.
    EXPECT_TRUE(object->SetValue("m", CefV8Value::CreateInt(2), V8_PROPERTY_ATTRIBUTE_NONE));
    EXPECT_EQ(object->GetValue("m")->GetIntValue(), c.assignable ? 2 : 1);
    EXPECT_FALSE(object->HasException());
    EXPECT_EQ(object->DeleteValue("m"), c.deletable);
    EXPECT_EQ(object->HasValue("m"), !c.deletable);
  }

  // A member that can be neither deleted nor written cannot be redefined
  // either: a second router cannot replace cefQuery.
  CefRefPtr<CefV8Value> window = MainContext()->GetGlobal();
  CefRefPtr<CefV8Value> first = CefV8Value::CreateFunction("q", new Recorder());
  CefRefPtr<CefV8Value> second = CefV8Value::CreateFunction("q", new Recorder());
  ASSERT_TRUE(window->SetValue("q", first, kRouterAttributes));
  EXPECT_FALSE(window->SetValue("q", second, kRouterAttributes));
  EXPECT_TRUE(window->SetValue("q", first, kRouterAttributes)) << "the same value";
  EXPECT_FALSE(window->SetValue("q", first, V8_PROPERTY_ATTRIBUTE_DONTDELETE))
      << "nor made enumerable or writable";
  EXPECT_TRUE(window->GetValue("q")->IsSame(first));
  // A configurable member takes a new definition.
  ASSERT_TRUE(window->SetValue("c", first, V8_PROPERTY_ATTRIBUTE_READONLY));
  EXPECT_TRUE(window->SetValue("c", second, V8_PROPERTY_ATTRIBUTE_DONTENUM));
  EXPECT_TRUE(window->GetValue("c")->IsSame(second));
  // Deleting what is not there succeeds.
  EXPECT_TRUE(window->DeleteValue("never-there"));
}

TEST_F(V8ValueTest, ArraysHoldElementsByIndex) {
  Open();
  Entered scope(MainContext());
  CefRefPtr<CefV8Value> array = CefV8Value::CreateArray(2);
  EXPECT_EQ(array->GetArrayLength(), 2);
  EXPECT_FALSE(array->HasValue(0));
  EXPECT_TRUE(array->GetValue(0)->IsUndefined());

  ASSERT_TRUE(array->SetValue(3, CefV8Value::CreateString("d")));
  EXPECT_EQ(array->GetArrayLength(), 4);
  EXPECT_TRUE(array->HasValue(3));
  // A key that spells an index names the same element.
  EXPECT_EQ(array->GetValue("3")->GetStringValue().ToString(), "d");
  ASSERT_TRUE(array->SetValue("1", CefV8Value::CreateInt(9), V8_PROPERTY_ATTRIBUTE_NONE));
  EXPECT_EQ(array->GetValue(1)->GetIntValue(), 9);
  ASSERT_TRUE(array->SetValue("01", CefV8Value::CreateInt(8), V8_PROPERTY_ATTRIBUTE_NONE));
  EXPECT_EQ(Keys(array), (std::vector<std::string>{"1", "3", "01"}));

  // Deleting leaves a hole and the length.
  EXPECT_TRUE(array->DeleteValue(3));
  EXPECT_FALSE(array->HasValue(3));
  EXPECT_EQ(array->GetArrayLength(), 4);

  // Bad indices and lengths get a defined answer.
  EXPECT_FALSE(array->HasValue(-1));
  EXPECT_FALSE(array->GetValue(-1));
  EXPECT_FALSE(array->SetValue(-1, CefV8Value::CreateInt(1)));
  EXPECT_FALSE(array->DeleteValue(-1));
  EXPECT_EQ(CefV8Value::CreateArray(-5)->GetArrayLength(), 0);
  // A far index costs nothing.
  ASSERT_TRUE(array->SetValue(0x7fffffff, CefV8Value::CreateInt(1)));
  EXPECT_EQ(static_cast<uint32>(array->GetArrayLength()), 0x80000000u);
  EXPECT_EQ(CefV8Value::CreateObject(NULL)->GetArrayLength(), 0) << "not an array";
}

TEST_F(V8ValueTest, CallsPassNameReceiverAndFreshArguments) {
  Open();
  CefRefPtr<CefV8Context> context = MainContext();
  CefRefPtr<Recorder> handler = new Recorder(
      [](const CefV8ValueList& arguments, CefRefPtr<CefV8Value>& retval, CefString&) {
        retval = arguments.empty() ? NULL : arguments[0];
        return true;
      });
  CefRefPtr<CefV8Value> function;
  CefRefPtr<CefV8Value> receiver;
  {
    Entered scope(context);
    function = CefV8Value::CreateFunction("myfunc", handler.get());
    receiver = CefV8Value::CreateObject(NULL);
  }

  struct Case {
    const char* name;
    bool with_context;     // ExecuteFunctionWithContext, else ExecuteFunction inside
    bool with_receiver;    // else NULL: the window is `this`
  };
  for (const Case& c : {Case{"in the current context", false, true},
                        Case{"no object: the window", false, false},
                        Case{"given context, not entered", true, false}}) {
    SCOPED_TRACE(c.name);
    handler->calls = 0;
    CefV8ValueList arguments = {CefV8Value::CreateDouble(3.0), CefV8Value::CreateString("x")};
    CefRefPtr<CefV8Value> result;
    if (c.with_context) {
      ASSERT_FALSE(CefV8Context::InContext());
      result = function->ExecuteFunctionWithContext(context, NULL, arguments);
      EXPECT_FALSE(CefV8Context::InContext()) << "the call left its context";
    } else {
      Entered scope(context);
      result = function->ExecuteFunction(c.with_receiver ? receiver : NULL, arguments);
    }
    ASSERT_EQ(handler->calls, 1);
    EXPECT_EQ(handler->name, "myfunc");
    ASSERT_TRUE(handler->object);
    Entered scope(context);
    EXPECT_TRUE(handler->object->IsSame(c.with_receiver ? receiver : context->GetGlobal()));
    EXPECT_TRUE(handler->current->IsSame(context));
    ASSERT_EQ(handler->arguments.size(), 2u);
    EXPECT_NE(handler->arguments[0].get(), arguments[0].get()) << "new values, as from the script";
    EXPECT_TRUE(handler->arguments[0]->IsInt()) << "3.0 arrives as the int V8 holds";
    EXPECT_EQ(handler->arguments[1]->GetStringValue().ToString(), "x");
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->IsSame(CefV8Value::CreateInt(3)));
    EXPECT_FALSE(function->HasException());
  }

  // A function runs in the context it was made in; the caller's stays the
  // entered one, and its window is `this` for a call without an object.
  int64 sub_frame = 0;
  int navigation = 0;
  ASSERT_TRUE(standin::AddFrame(BrowserId(), 0, "sub", "https://site.example/sub", &sub_frame,
                                &navigation)
                  .ok());
  Pump([&] { return standin::NavigationDone(navigation); });
  CefRefPtr<CefV8Context> sub = client_->browser->GetFrame(sub_frame)->GetV8Context();
  ASSERT_TRUE(sub);
  CefRefPtr<CefV8Value> result = function->ExecuteFunctionWithContext(sub, NULL, {});
  ASSERT_TRUE(result);
  EXPECT_TRUE(result->IsUndefined()) << "no return value";
  Entered scope(sub);
  EXPECT_TRUE(handler->current->IsSame(context));
  EXPECT_TRUE(handler->entered->IsSame(sub));
  EXPECT_TRUE(handler->object->IsSame(sub->GetGlobal()));
}

TEST_F(V8ValueTest, BadCallsAreRefusedWithoutRunningTheHandler) {
  Open();
  CefRefPtr<CefV8Context> context = MainContext();
  CefRefPtr<Recorder> handler = new Recorder();
  CefRefPtr<CefV8Value> function;
  CefRefPtr<CefV8Value> object;
  {
    Entered scope(context);
    function = CefV8Value::CreateFunction("f", handler.get());
    object = CefV8Value::CreateObject(NULL);
  }
  struct Case {
    const char* name;
    std::function<CefRefPtr<CefV8Value>()> call;
  };
  const Case cases[] = {
      {"no context", [&] { return function->ExecuteFunction(NULL, {}); }},
      {"not a function",
       [&] { return object->ExecuteFunctionWithContext(context, NULL, {}); }},
      {"a primitive as this",
       [&] {
         return function->ExecuteFunctionWithContext(context, CefV8Value::CreateInt(1), {});
       }},
      {"a NULL argument",
       [&] {
         return function->ExecuteFunctionWithContext(context, NULL,
                                                     {CefV8Value::CreateInt(1), NULL});
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(c.call());
  }
  EXPECT_EQ(handler->calls, 0);
}

TEST_F(V8ValueTest, ExceptionsFromHandlersAndAccessors) {
  Open();
  Entered scope(MainContext());
  std::string throw_text = "boom";
  bool handled = true;
  CefRefPtr<CefV8Value> thrower = CefV8Value::CreateFunction(
      "thrower", new Recorder([&](const CefV8ValueList&, CefRefPtr<CefV8Value>& retval,
                                  CefString& exception) {
        exception = throw_text;
        retval = CefV8Value::CreateInt(1);
        return handled;
      }));
  EXPECT_FALSE(thrower->ExecuteFunction(NULL, {}));
  ASSERT_TRUE(thrower->HasException());
  EXPECT_EQ(thrower->GetException()->GetMessage().ToString(), "Uncaught Error: boom");
  // A call that does not throw clears the last exception.
  throw_text.clear();
  CefRefPtr<CefV8Value> result = thrower->ExecuteFunction(NULL, {});
  ASSERT_TRUE(result);
  EXPECT_EQ(result->GetIntValue(), 1);
  EXPECT_FALSE(thrower->HasException());
  // A handler that did not handle the call throws nothing and returns undefined.
  throw_text = "ignored";
  handled = false;
  result = thrower->ExecuteFunction(NULL, {});
  ASSERT_TRUE(result);
  EXPECT_TRUE(result->IsUndefined());
  EXPECT_FALSE(thrower->HasException());
  handled = true;

  // A nested call that rethrows makes its caller throw; one that does not
  // keeps the exception to itself.
  for (bool rethrow : {true, false}) {
    SCOPED_TRACE(rethrow ? "rethrow" : "keep");
    throw_text = "inner";
    CefRefPtr<CefV8Value> outer = CefV8Value::CreateFunction(
        "outer", new Recorder([&](const CefV8ValueList&, CefRefPtr<CefV8Value>& retval,
                                  CefString&) {
          EXPECT_TRUE(thrower->SetRethrowExceptions(rethrow));
          EXPECT_FALSE(thrower->ExecuteFunction(NULL, {}));
          retval = CefV8Value::CreateInt(2);
          return true;
        }));
    result = outer->ExecuteFunction(NULL, {});
    EXPECT_EQ(outer->HasException(), rethrow);
    if (rethrow)
      EXPECT_EQ(outer->GetException()->GetMessage().ToString(), "Uncaught Error: inner");
    else
      EXPECT_EQ(result->GetIntValue(), 2);
    EXPECT_TRUE(thrower->WillRethrowExceptions() == rethrow);
  }

  // A function that calls itself without end ends in a RangeError.
  CefRefPtr<CefV8Value> endless;
  endless = CefV8Value::CreateFunction(
      "endless", new Recorder([&](const CefV8ValueList&, CefRefPtr<CefV8Value>&, CefString&) {
        endless->SetRethrowExceptions(true);
        endless->ExecuteFunction(NULL, {});
        return true;
      }));
  EXPECT_FALSE(endless->ExecuteFunction(NULL, {}));
  ASSERT_TRUE(endless->HasException());
  EXPECT_EQ(endless->GetException()->GetMessage().ToString(),
            "Uncaught RangeError: Maximum call stack size exceeded");

  // Members routed through an accessor; its exceptions land on the object.
  class Accessor : public CefV8Accessor {
   public:
    bool Get(const CefString& name, const CefRefPtr<CefV8Value>, CefRefPtr<CefV8Value>& retval,
             CefString& exception) override {
      if (fail)
        exception = "no get " + name.ToString();
      else
        retval = CefV8Value::CreateInt(value);
      return true;
    }
    bool Set(const CefString&, const CefRefPtr<CefV8Value>, const CefRefPtr<CefV8Value> v,
             CefString& exception) override {
      if (fail)
        exception = "no set";
      else
        value = v->GetIntValue();
      return true;
    }
    bool fail = false;
    int value = 0;
    IMPLEMENT_REFCOUNTING(Accessor);
  };
  CefRefPtr<Accessor> accessor = new Accessor();
  CefRefPtr<CefV8Value> object = CefV8Value::CreateObject(accessor.get());
  EXPECT_FALSE(CefV8Value::CreateObject(NULL)->SetValue("a", V8_ACCESS_CONTROL_DEFAULT,
                                                       V8_PROPERTY_ATTRIBUTE_NONE))
      << "no accessor to route through";
  ASSERT_TRUE(object->SetValue("a", V8_ACCESS_CONTROL_DEFAULT, V8_PROPERTY_ATTRIBUTE_NONE));
  EXPECT_TRUE(object->SetValue("a", CefV8Value::CreateInt(5), V8_PROPERTY_ATTRIBUTE_NONE));
  EXPECT_EQ(accessor->value, 5);
  EXPECT_EQ(object->GetValue("a")->GetIntValue(), 5);
  accessor->fail = true;
  EXPECT_FALSE(object->GetValue("a"));
  ASSERT_TRUE(object->HasException());
  EXPECT_EQ(object->GetException()->GetMessage().ToString(), "Uncaught Error: no get a");
  EXPECT_TRUE(object->ClearException());
  EXPECT_FALSE(object->SetValue("a", CefV8Value::CreateInt(6), V8_PROPERTY_ATTRIBUTE_NONE));
  EXPECT_TRUE(object->HasException());
}

TEST_F(V8ValueTest, AReleasedContextTakesItsValuesAndTheirHandlersWithIt) {
  Open();
  CefRefPtr<CefV8Context> context = MainContext();
  bool handler_gone = false;
  CefRefPtr<Recorder> handler_probe;
  CefRefPtr<CefV8Value> function, object, array, global, number;
  {
    Entered scope(context);
    handler_probe = new Recorder(nullptr, &handler_gone);
    function = CefV8Value::CreateFunction("f", handler_probe.get());
    handler_probe = NULL;
    object = CefV8Value::CreateObject(NULL);
    array = CefV8Value::CreateArray(1);
    global = context->GetGlobal();
    // A cycle through the window: released with the context all the same.
    ASSERT_TRUE(global->SetValue("f", function, V8_PROPERTY_ATTRIBUTE_NONE));
    ASSERT_TRUE(object->SetValue("self", object, V8_PROPERTY_ATTRIBUTE_NONE));
    number = CefV8Value::CreateInt(4);
  }
  ASSERT_FALSE(handler_gone);

  NavigateMain("https://site.example/next");
  EXPECT_FALSE(context->IsValid());
  EXPECT_FALSE(context->GetGlobal());
  EXPECT_TRUE(handler_gone) << "the released context let go of the function's handler";
  for (const CefRefPtr<CefV8Value>& value : {function, object, array, global}) {
    EXPECT_FALSE(value->IsValid());
    EXPECT_TRUE(value->IsObject()) << "the kind stays readable, as in 2623";
  }
  EXPECT_TRUE(number->IsValid()) << "primitives belong to no context";

  // The new document's context refuses what the old one left behind.
  CefRefPtr<CefV8Context> next = MainContext();
  ASSERT_TRUE(next && next->IsValid());
  EXPECT_FALSE(next->IsSame(context));
  EXPECT_FALSE(context->IsSame(context)) << "a released context is the same as nothing";
  Entered scope(next);
  EXPECT_FALSE(function->ExecuteFunctionWithContext(next, NULL, {}));
  EXPECT_FALSE(next->GetGlobal()->SetValue("old", object, V8_PROPERTY_ATTRIBUTE_NONE));
  EXPECT_FALSE(next->GetGlobal()->HasValue("f"));
  EXPECT_FALSE(object->SetValue("x", number, V8_PROPERTY_ATTRIBUTE_NONE));
  EXPECT_FALSE(object->GetValue("self"));
  EXPECT_EQ(array->GetArrayLength(), 0);
  EXPECT_FALSE(function->GetFunctionHandler());
  EXPECT_FALSE(global->IsSame(global));
}

TEST_F(V8ValueTest, OtherThreadsGetNothing) {
  Open();
  CefRefPtr<CefV8Context> context = MainContext();
  CefRefPtr<CefV8Value> object, number;
  {
    Entered scope(context);
    object = CefV8Value::CreateObject(NULL);
    ASSERT_TRUE(object->SetValue("n", CefV8Value::CreateInt(1), V8_PROPERTY_ATTRIBUTE_NONE));
    number = CefV8Value::CreateInt(1);
  }
  ASSERT_TRUE(context->Enter());
  std::vector<std::string> answered;
  std::thread other([&] {
    auto note = [&](const char* what, bool got) {
      if (got)
        answered.push_back(what);
    };
    note("CreateInt", CefV8Value::CreateInt(1) != nullptr);
    note("CreateString", CefV8Value::CreateString("s") != nullptr);
    note("InContext", CefV8Context::InContext());
    note("GetCurrentContext", CefV8Context::GetCurrentContext() != nullptr);
    note("context IsValid", context->IsValid());
    note("GetGlobal", context->GetGlobal() != nullptr);
    note("Enter", context->Enter());
    note("IsValid", object->IsValid() || number->IsValid());
    note("IsInt", number->IsInt());
    note("GetIntValue", number->GetIntValue() != 0);
    note("GetValue", object->GetValue("n") != nullptr);
    note("SetValue", object->SetValue("n", number, V8_PROPERTY_ATTRIBUTE_NONE));
  });
  other.join();
  EXPECT_TRUE(context->Exit());
  EXPECT_EQ(answered, std::vector<std::string>());
}

// A page whose window has our own cefQuery and cefQueryCancel (no router),
// to see what the page side hands them and makes of their answers.
class V8PageQueryTest : public V8ValueTest {
 protected:
  void SetUp() override {
    V8ValueTest::SetUp();
    app_->with_router = false;
  }

  void Install(const char* name, CefRefPtr<Recorder> body) {
    Entered scope(MainContext());
    ASSERT_TRUE(MainContext()->GetGlobal()->SetValue(
        name, CefV8Value::CreateFunction(name, body.get()), kRouterAttributes));
  }

  bool HasQuery() {
    std::vector<standin::FrameInfo> frames;
    EXPECT_TRUE(standin::ListFrames(BrowserId(), &frames).ok());
    return !frames.empty() && frames[0].has_query;
  }
};

TEST_F(V8PageQueryTest, QueriesGoThroughTheWindowsCefQuery) {
  Open();
  int id = 0;
  EXPECT_FALSE(HasQuery());
  EXPECT_EQ(standin::SendQuery(BrowserId(), 0, "ping", false, &id).error, "no cefQuery");

  CefRefPtr<CefV8Value> answer;  // what our cefQuery returns
  std::string thrown;
  CefRefPtr<CefV8Value> on_success, on_failure;
  CefRefPtr<Recorder> query = new Recorder(
      [&](const CefV8ValueList& arguments, CefRefPtr<CefV8Value>& retval, CefString& exception) {
        CefRefPtr<CefV8Value> argument = arguments[0];
        on_success = argument->GetValue("onSuccess");
        on_failure = argument->GetValue("onFailure");
        retval = answer;
        exception = thrown;
        return true;
      });
  Install("cefQuery", query);
  EXPECT_TRUE(HasQuery());

  // Not an id: nothing was sent.
  struct Refused {
    const char* name;
    std::function<CefRefPtr<CefV8Value>()> answer;
    std::string thrown;
  };
  const Refused refused[] = {
      {"a string", [] { return CefV8Value::CreateString("7"); }, ""},
      {"zero", [] { return CefV8Value::CreateInt(0); }, ""},
      {"negative", [] { return CefV8Value::CreateInt(-3); }, ""},
      {"nothing", [] { return CefV8Value::CreateUndefined(); }, ""},
      {"an exception", [] { return CefV8Value::CreateInt(4); }, "Invalid arguments"},
  };
  for (const Refused& r : refused) {
    SCOPED_TRACE(r.name);
    answer = r.answer();
    thrown = r.thrown;
    EXPECT_EQ(standin::SendQuery(BrowserId(), 0, "ping", false, &id).error, "no cefQuery");
  }
  thrown.clear();
  on_success = on_failure = NULL;

  // What the page hands over: one object, with the window as `this`, called
  // in the frame's context.
  answer = CefV8Value::CreateInt(7);
  ASSERT_TRUE(standin::SendQuery(BrowserId(), 0, "ping", true, &id).ok());
  EXPECT_EQ(id, 7);
  {
    Entered scope(MainContext());
    EXPECT_EQ(query->name, "cefQuery");
    EXPECT_TRUE(query->object->IsSame(MainContext()->GetGlobal()));
    EXPECT_TRUE(query->current->IsSame(MainContext()));
    ASSERT_EQ(query->arguments.size(), 1u);
    CefRefPtr<CefV8Value> argument = query->arguments[0];
    EXPECT_TRUE(argument->IsObject());
    EXPECT_FALSE(argument->IsUserCreated()) << "the page's own object";
    EXPECT_EQ(argument->GetValue("request")->GetStringValue().ToString(), "ping");
    EXPECT_TRUE(argument->GetValue("persistent")->IsBool());
    EXPECT_TRUE(argument->GetValue("persistent")->GetBoolValue());
    ASSERT_TRUE(on_success && on_success->IsFunction() && on_failure &&
                on_failure->IsFunction());
    EXPECT_FALSE(on_success->GetFunctionHandler()) << "script functions have no CEF handler";
    // The router answers as it does: through the context, without an object.
    EXPECT_TRUE(on_success->ExecuteFunctionWithContext(MainContext(), NULL,
                                                       {CefV8Value::CreateString("1")}));
    EXPECT_TRUE(on_success->ExecuteFunctionWithContext(MainContext(), NULL,
                                                       {CefV8Value::CreateString("2")}));
  }
  standin::QueryRecord record;
  ASSERT_TRUE(standin::GetQuery(7, &record).ok());
  EXPECT_EQ(record.state, standin::QueryState::kPending);
  EXPECT_EQ(record.responses, (std::vector<std::string>{"1", "2"}));
  // The router letting go of the callbacks without a last answer ends the query.
  query->arguments.clear();
  on_failure = NULL;
  ASSERT_TRUE(standin::GetQuery(7, &record).ok());
  EXPECT_EQ(record.state, standin::QueryState::kPending) << "onSuccess is still held";
  on_success = NULL;
  ASSERT_TRUE(standin::GetQuery(7, &record).ok());
  EXPECT_EQ(record.state, standin::QueryState::kCanceled);

  // A failure answer.
  answer = CefV8Value::CreateInt(8);
  ASSERT_TRUE(standin::SendQuery(BrowserId(), 0, "fail", false, &id).ok());
  {
    Entered scope(MainContext());
    on_failure->ExecuteFunctionWithContext(
        MainContext(), NULL, {CefV8Value::CreateInt(42), CefV8Value::CreateString("nope")});
  }
  on_success = on_failure = NULL;
  query->arguments.clear();
  ASSERT_TRUE(standin::GetQuery(8, &record).ok());
  EXPECT_EQ(record.state, standin::QueryState::kFailure);
  EXPECT_TRUE(record.has_error);
  EXPECT_EQ(record.error_code, 42);
  EXPECT_EQ(record.error_message, "nope");
  EXPECT_EQ(record.request, "fail");
  EXPECT_EQ(record.frame, MainFrameId());

  // Cancel reports what cefQueryCancel returned, a bool or nothing.
  bool canceled = true;
  EXPECT_EQ(standin::CancelQuery(BrowserId(), 0, 8, &canceled).error, "no cefQuery");
  CefRefPtr<CefV8Value> cancel_answer;
  CefRefPtr<Recorder> cancel = new Recorder(
      [&](const CefV8ValueList&, CefRefPtr<CefV8Value>& retval, CefString&) {
        retval = cancel_answer;
        return true;
      });
  Install("cefQueryCancel", cancel);
  struct Cancel {
    const char* name;
    std::function<CefRefPtr<CefV8Value>()> answer;
    bool canceled;
  };
  const Cancel cancels[] = {
      {"true", [] { return CefV8Value::CreateBool(true); }, true},
      {"false", [] { return CefV8Value::CreateBool(false); }, false},
      {"not a bool", [] { return CefV8Value::CreateInt(1); }, false},
  };
  for (const Cancel& c : cancels) {
    SCOPED_TRACE(c.name);
    cancel_answer = c.answer();
    ASSERT_TRUE(standin::CancelQuery(BrowserId(), 0, 8, &canceled).ok());
    EXPECT_EQ(canceled, c.canceled);
    Entered scope(MainContext());
    ASSERT_EQ(cancel->arguments.size(), 1u);
    EXPECT_TRUE(cancel->arguments[0]->IsSame(CefV8Value::CreateInt(8)));
  }

  // Records outlive their browser.
  client_->browser->GetHost()->CloseBrowser(true);
  Pump([&] { return client_->closed; });
  ASSERT_TRUE(standin::GetQuery(8, &record).ok());
  EXPECT_EQ(record.error_message, "nope");
  EXPECT_EQ(standin::SendQuery(0, 0, "late", false, &id).error, "no browser");
}

}  // namespace
}  // namespace standin_test
