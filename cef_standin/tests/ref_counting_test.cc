// CefBase reference counting, CefRefPtr, base::RefCountedThreadSafe, and the
// compile-time shape of the API that launcher code relies on.

#include <atomic>
#include <thread>
#include <type_traits>
#include <vector>

#include "gtest/gtest.h"
#include "include/cef_app.h"
#include "include/cef_client.h"
#include "include/wrapper/cef_message_router.h"

namespace {

class Tracked : public virtual CefBase {
 public:
  explicit Tracked(std::atomic<int>* destroyed) : destroyed_(destroyed) {}
  ~Tracked() override { ++*destroyed_; }

 private:
  std::atomic<int>* destroyed_;

  IMPLEMENT_REFCOUNTING(Tracked);

 public:
  int after_macro = 0;
};

// Declared after the macro without an access specifier of its own.
class LeftPrivate : public virtual CefBase {
  IMPLEMENT_REFCOUNTING(LeftPrivate);
  int after_macro = 0;
};

template <class T, class = void>
struct PublicAfterMacro : std::false_type {};
template <class T>
struct PublicAfterMacro<T, std::void_t<decltype(&T::after_macro)> >
    : std::true_type {};

static_assert(PublicAfterMacro<Tracked>::value, "control case is visible");
static_assert(!PublicAfterMacro<LeftPrivate>::value,
              "IMPLEMENT_REFCOUNTING leaves the class at private access");

static_assert(!std::is_convertible<const CefWindowInfo&, CefWindowInfo>::value,
              "CefWindowInfo w = other; must not compile");
static_assert(std::is_constructible<CefWindowInfo, const CefWindowInfo&>::value,
              "CefWindowInfo w(other); compiles");
static_assert(!std::is_convertible<const CefMainArgs&, CefMainArgs>::value,
              "CefMainArgs has an explicit copy constructor");
static_assert(std::is_convertible<const CefSettings&, CefSettings>::value,
              "plain structure wrappers copy implicitly");

static_assert(std::is_convertible<CefRefPtr<CefClient>, CefClient*>::value,
              "CefRefPtr converts to the raw pointer");
static_assert(
    std::is_convertible<CefRefPtr<CefLoadHandler>, CefRefPtr<CefBase> >::value,
    "a reference to a derived interface converts to one to its base");
static_assert(!std::is_destructible<CefBase>::value,
              "CefBase objects are deleted only through Release()");

static_assert(std::is_base_of<CefBase,
                              CefMessageRouterBrowserSide::Callback>::value,
              "router callbacks are reference counted");
static_assert(!std::is_base_of<CefBase,
                               CefMessageRouterBrowserSide::Handler>::value,
              "router handlers are not reference counted");
static_assert(!std::is_destructible<CefMessageRouterBrowserSide>::value &&
                  !std::is_destructible<CefMessageRouterRendererSide>::value,
              "routers are deleted only through Release()");

// Functions the launcher calls (overridden methods are checked by the
// launcher's own `override`).
static_assert(std::is_same<decltype(&CefExecuteProcess),
                           int (*)(const CefMainArgs&, CefRefPtr<CefApp>,
                                   void*)>::value,
              "CefExecuteProcess");
static_assert(std::is_same<decltype(&CefInitialize),
                           bool (*)(const CefMainArgs&, const CefSettings&,
                                    CefRefPtr<CefApp>, void*)>::value,
              "CefInitialize");
static_assert(
    std::is_same<decltype(&CefBrowserHost::CreateBrowser),
                 bool (*)(const CefWindowInfo&, CefRefPtr<CefClient>,
                          const CefString&, const CefBrowserSettings&,
                          CefRefPtr<CefRequestContext>)>::value,
    "CefBrowserHost::CreateBrowser");
static_assert(
    std::is_same<decltype(&CefFrame::ExecuteJavaScript),
                 void (CefFrame::*)(const CefString&, const CefString&,
                                    int)>::value,
    "CefFrame::ExecuteJavaScript");

TEST(RefCounting, LastReleaseDeletes) {
  std::atomic<int> destroyed(0);
  Tracked* object = new Tracked(&destroyed);
  object->AddRef();
  EXPECT_TRUE(object->HasOneRef());
  object->AddRef();
  EXPECT_FALSE(object->HasOneRef());
  EXPECT_FALSE(object->Release());
  EXPECT_EQ(0, destroyed);
  EXPECT_TRUE(object->Release());
  EXPECT_EQ(1, destroyed);
}

// Like an application object: several interfaces over one virtual CefBase.
class MultiInterface : public CefApp,
                       public CefBrowserProcessHandler,
                       public CefRenderProcessHandler {
 public:
  explicit MultiInterface(std::atomic<int>* destroyed)
      : destroyed_(destroyed) {}
  ~MultiInterface() override { ++*destroyed_; }

  CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() override {
    return this;
  }
  CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() override {
    return this;
  }

 private:
  std::atomic<int>* destroyed_;

  IMPLEMENT_REFCOUNTING(MultiInterface);
};

TEST(RefCounting, InterfacesOfOneObjectShareOneCount) {
  std::atomic<int> destroyed(0);
  {
    CefRefPtr<CefApp> app = new MultiInterface(&destroyed);
    EXPECT_TRUE(app->HasOneRef());
    CefRefPtr<CefBrowserProcessHandler> browser =
        app->GetBrowserProcessHandler();
    CefRefPtr<CefRenderProcessHandler> renderer =
        app->GetRenderProcessHandler();
    EXPECT_FALSE(app->HasOneRef());
    app = nullptr;
    browser = nullptr;
    EXPECT_TRUE(renderer->HasOneRef());
    EXPECT_EQ(0, destroyed);
  }
  EXPECT_EQ(1, destroyed);
}

CefRefPtr<CefBase> NoObject() { return NULL; }

TEST(RefPtr, PointerLikeUse) {
  std::atomic<int> destroyed(0);
  CefRefPtr<Tracked> first = new Tracked(&destroyed);
  CefRefPtr<Tracked> second = first;
  EXPECT_FALSE(first->HasOneRef());
  EXPECT_TRUE(first == second);

  first = first;
  EXPECT_FALSE(first->HasOneRef());

  CefRefPtr<CefBase> base = first;
  EXPECT_EQ(static_cast<CefBase*>(first.get()), base.get());
  EXPECT_FALSE(NoObject());
  EXPECT_TRUE(NoObject() == NULL);

  CefRefPtr<Tracked> empty;
  empty.swap(second);
  EXPECT_FALSE(second);
  EXPECT_TRUE(empty);

  first = nullptr;
  empty = nullptr;
  EXPECT_EQ(0, destroyed);
  base = nullptr;
  EXPECT_EQ(1, destroyed);
}

class Router : public base::RefCountedThreadSafe<Router> {
 public:
  explicit Router(std::atomic<int>* destroyed) : destroyed_(destroyed) {}

 private:
  friend class base::RefCountedThreadSafe<Router>;
  ~Router() { ++*destroyed_; }

  std::atomic<int>* destroyed_;
};

TEST(RefCounting, ThreadSafeBaseFitsCefRefPtr) {
  std::atomic<int> destroyed(0);
  CefRefPtr<Router> router = new Router(&destroyed);
  EXPECT_TRUE(router->HasOneRef());
  scoped_refptr<Router> other = router;
  EXPECT_FALSE(router->HasOneRef());
  router = nullptr;
  EXPECT_EQ(0, destroyed);
  other = nullptr;
  EXPECT_EQ(1, destroyed);
}

TEST(RefCounting, ConcurrentReferencesDeleteExactlyOnce) {
  std::atomic<int> destroyed(0);
  std::atomic<int> router_destroyed(0);
  {
    CefRefPtr<Tracked> shared = new Tracked(&destroyed);
    CefRefPtr<Router> router = new Router(&router_destroyed);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([shared, router] {
        for (int i = 0; i < 20000; ++i) {
          CefRefPtr<Tracked> copy = shared;
          CefRefPtr<Router> router_copy = router;
        }
      });
    }
    for (std::thread& thread : threads)
      thread.join();
    EXPECT_TRUE(shared->HasOneRef());
    EXPECT_TRUE(router->HasOneRef());
  }
  EXPECT_EQ(1, destroyed);
  EXPECT_EQ(1, router_destroyed);
}

}  // namespace
