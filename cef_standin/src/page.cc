// The page and user operations of standin/page.h.

#include "standin/page.h"

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>

#include "browser_impl.h"
#include "include/cef_command_line.h"
#include "demo_page.h"
#include "engine.h"
#include "key_event.h"
#include "navigation.h"
#include "page_window.h"
#include "page_records.h"
#include "ui_thread.h"
#include "v8_context_impl.h"
#include "v8_value_impl.h"

namespace standin {

namespace {

// The page calls the router's functions by their default names.
const char kQueryFunction[] = "cefQuery";
const char kCancelFunction[] = "cefQueryCancel";

constexpr int kMaxKeyRepeat = 100;

// The records are written on the UI thread and read from any: the channel
// reads them without a trip through the UI thread, so a query answered just
// before its browser (and then the message loop) ended can still be read back.
std::mutex& RecordsLock() {
  static std::mutex lock;
  return lock;
}

std::map<int, std::shared_ptr<QueryRecord>>& Queries() {
  static std::map<int, std::shared_ptr<QueryRecord>> queries;
  return queries;
}

// What the page's onSuccess/onFailure pair records into. Both functions hold
// it: when the last reference to both has gone (the router let go of them, or
// their context was released) while the query is open, it ended without an
// answer.
class RecordingCallbacks : public CefBase {
 public:
  explicit RecordingCallbacks(std::shared_ptr<QueryRecord> record)
      : record_(std::move(record)) {}
  ~RecordingCallbacks() override {
    {
      std::lock_guard<std::mutex> guard(RecordsLock());
      if (record_->state == QueryState::kPending)
        record_->state = QueryState::kCanceled;
    }
    NotifyPageChanged();
  }

  void OnSuccess(const std::string& response) {
    {
      std::lock_guard<std::mutex> guard(RecordsLock());
      record_->responses.push_back(response);
      if (!record_->persistent)
        record_->state = QueryState::kSuccess;
    }
    NotifyPageChanged();
  }

  void OnFailure(int error_code, const std::string& error_message) {
    {
      std::lock_guard<std::mutex> guard(RecordsLock());
      record_->state = QueryState::kFailure;
      record_->has_error = true;
      record_->error_code = error_code;
      record_->error_message = error_message;
    }
    NotifyPageChanged();
  }

 private:
  std::shared_ptr<QueryRecord> record_;

  IMPLEMENT_REFCOUNTING(RecordingCallbacks);
};

// The body of the page's onSuccess(response) or onFailure(code, message).
// Arguments of another type read as "" and 0, as the page would record them
// had the router sent something else.
class PageCallback : public CefV8Handler {
 public:
  PageCallback(CefRefPtr<RecordingCallbacks> callbacks, bool success)
      : callbacks_(callbacks), success_(success) {}

  bool Execute(const CefString& /*name*/, CefRefPtr<CefV8Value> /*object*/,
               const CefV8ValueList& arguments, CefRefPtr<CefV8Value>& /*retval*/,
               CefString& /*exception*/) override {
    if (success_) {
      callbacks_->OnSuccess(StringArgument(arguments, 0));
    } else {
      const bool has_code = arguments.size() > 0 && arguments[0]->IsInt();
      callbacks_->OnFailure(has_code ? arguments[0]->GetIntValue() : 0,
                            StringArgument(arguments, 1));
    }
    return true;
  }

 private:
  static std::string StringArgument(const CefV8ValueList& arguments, std::size_t i) {
    return i < arguments.size() && arguments[i]->IsString()
               ? arguments[i]->GetStringValue().ToString()
               : std::string();
  }

  CefRefPtr<RecordingCallbacks> callbacks_;
  const bool success_;

  IMPLEMENT_REFCOUNTING(PageCallback);
};

// window[name] in the context, when it is a function; the context must be
// entered.
CefRefPtr<CefV8Value> WindowFunction(CefRefPtr<V8ContextImpl> context, const char* name) {
  CefRefPtr<CefV8Value> window = context->GetGlobal();
  CefRefPtr<CefV8Value> function = window ? window->GetValue(name) : NULL;
  return function && function->IsFunction() ? function : NULL;
}

bool HasWindowFunction(CefRefPtr<V8ContextImpl> context, const char* name) {
  if (!context || !context->IsValid())
    return false;
  ScopedCurrentContext current(context);
  return WindowFunction(context, name) != nullptr;
}

Status Error(const char* text) {
  return Status{text};
}

Status FindTarget(int browser_id, std::int64_t frame_id,
                  CefRefPtr<BrowserImpl>* browser, CefRefPtr<FrameImpl>* frame) {
  *browser = FindBrowser(browser_id);
  if (!*browser || (*browser)->closed())
    return Error("no browser");
  if (frame) {
    *frame = frame_id == 0 ? (*browser)->main_frame() : (*browser)->FindFrame(frame_id);
    if (!*frame)
      return Error("no such frame");
  }
  return Status();
}

}  // namespace

void ClearPageRecords() {
  std::lock_guard<std::mutex> guard(RecordsLock());
  Queries().clear();
}

const char* QueryStateName(QueryState state) {
  switch (state) {
    case QueryState::kPending:
      return "pending";
    case QueryState::kSuccess:
      return "success";
    case QueryState::kFailure:
      return "failure";
    case QueryState::kCanceled:
      return "canceled";
  }
  return "pending";
}

std::vector<BrowserInfo> ListBrowsers() {
  std::vector<BrowserInfo> list;
  for (const CefRefPtr<BrowserImpl>& browser : OpenBrowsers()) {
    if (browser->closed())
      continue;
    BrowserInfo info;
    info.id = browser->GetIdentifier();
    info.hwnd = reinterpret_cast<std::uintptr_t>(browser->window());
    info.page_hwnd = reinterpret_cast<std::uintptr_t>(browser->page_window());
    info.url = browser->main_frame()->url();
    info.popup = browser->IsPopup();
    info.loading = browser->loading();
    list.push_back(info);
  }
  return list;
}

Status ListFrames(int browser_id, std::vector<FrameInfo>* frames) {
  CefRefPtr<BrowserImpl> browser;
  Status status = FindTarget(browser_id, 0, &browser, nullptr);
  frames->clear();
  if (!status.ok())
    return status;
  for (const CefRefPtr<FrameImpl>& frame : browser->frames()) {
    FrameInfo info;
    info.id = frame->GetIdentifier();
    info.parent = frame->parent() ? frame->parent()->GetIdentifier() : 0;
    info.name = frame->name();
    info.url = frame->url();
    info.main = frame->IsMain();
    CefRefPtr<V8ContextImpl> context = frame->context();
    info.has_query = HasWindowFunction(context, kQueryFunction);
    info.context = context ? context->id() : 0;
    info.document = frame->document();
    frames->push_back(info);
  }
  return status;
}

Status SendQuery(int browser_id, std::int64_t frame_id, const std::string& request,
                 bool persistent, int* query_id) {
  CefRefPtr<BrowserImpl> browser;
  CefRefPtr<FrameImpl> frame;
  Status status = FindTarget(browser_id, frame_id, &browser, &frame);
  if (!status.ok())
    return status;
  CefRefPtr<V8ContextImpl> context = frame->context();
  if (!context || !context->IsValid())
    return Error("no cefQuery");
  auto record = std::make_shared<QueryRecord>();
  record->frame = frame->GetIdentifier();
  record->request = request;
  record->persistent = persistent;
  int id = 0;
  {
    // As the page's script: var id = window.cefQuery({...});
    ScopedCurrentContext current(context);
    CefRefPtr<CefV8Value> query_function = WindowFunction(context, kQueryFunction);
    if (!query_function)
      return Error("no cefQuery");
    CefRefPtr<RecordingCallbacks> callbacks = new RecordingCallbacks(record);
    CefRefPtr<CefV8Value> argument = CreatePageObject();
    if (!argument)
      return Error("no cefQuery");
    argument->SetValue("request", CefV8Value::CreateString(request),
                       V8_PROPERTY_ATTRIBUTE_NONE);
    argument->SetValue("persistent", CefV8Value::CreateBool(persistent),
                       V8_PROPERTY_ATTRIBUTE_NONE);
    argument->SetValue("onSuccess",
                       CreatePageFunction("onSuccess", new PageCallback(callbacks, true)),
                       V8_PROPERTY_ATTRIBUTE_NONE);
    argument->SetValue("onFailure",
                       CreatePageFunction("onFailure", new PageCallback(callbacks, false)),
                       V8_PROPERTY_ATTRIBUTE_NONE);
    CefV8ValueList arguments;
    arguments.push_back(argument);
    CefRefPtr<CefV8Value> result =
        query_function->ExecuteFunctionWithContext(context, context->GetGlobal(), arguments);
    if (result && result->IsInt())
      id = result->GetIntValue();
  }
  if (id <= 0)
    return Error("no cefQuery");
  std::lock_guard<std::mutex> guard(RecordsLock());
  record->id = id;
  Queries()[id] = record;
  *query_id = id;
  return status;
}

Status GetQuery(int query_id, QueryRecord* record) {
  std::lock_guard<std::mutex> guard(RecordsLock());
  auto it = Queries().find(query_id);
  if (it == Queries().end())
    return Error("no such query");
  *record = *it->second;
  return Status();
}

Status CancelQuery(int browser_id, std::int64_t frame_id, int query_id,
                   bool* canceled) {
  CefRefPtr<BrowserImpl> browser;
  CefRefPtr<FrameImpl> frame;
  Status status = FindTarget(browser_id, frame_id, &browser, &frame);
  if (!status.ok())
    return status;
  CefRefPtr<V8ContextImpl> context = frame->context();
  if (!context || !context->IsValid())
    return Error("no cefQuery");
  // As the page's script: window.cefQueryCancel(id).
  ScopedCurrentContext current(context);
  CefRefPtr<CefV8Value> cancel_function = WindowFunction(context, kCancelFunction);
  if (!cancel_function)
    return Error("no cefQuery");
  CefV8ValueList arguments;
  arguments.push_back(CefV8Value::CreateInt(query_id));
  CefRefPtr<CefV8Value> result =
      cancel_function->ExecuteFunctionWithContext(context, context->GetGlobal(), arguments);
  *canceled = result && result->IsBool() && result->GetBoolValue();
  return status;
}

Status AddFrame(int browser_id, std::int64_t parent_id, const std::string& name,
                const std::string& url, std::int64_t* frame_id, int* navigation) {
  CefRefPtr<BrowserImpl> browser;
  CefRefPtr<FrameImpl> parent;
  Status status = FindTarget(browser_id, parent_id, &browser, &parent);
  if (!status.ok())
    return status;
  // Documents make sub-frames; a dead renderer has none.
  if (!browser->renderer_alive())
    return Error("no renderer");
  CefRefPtr<FrameImpl> frame = browser->AddSubFrame(parent, name);
  *frame_id = frame->GetIdentifier();
  *navigation = StartNavigation(frame, url, TT_AUTO_SUBFRAME);
  return status;
}

Status Navigate(int browser_id, std::int64_t frame_id, const std::string& url,
                int* navigation, int http_status) {
  if (http_status < 100 || http_status > 599)
    return Error("bad field: http_status");
  CefRefPtr<BrowserImpl> browser;
  CefRefPtr<FrameImpl> frame;
  Status status = FindTarget(browser_id, frame_id, &browser, &frame);
  if (status.ok())
    *navigation = StartNavigation(frame, url, TT_LINK, http_status);
  return status;
}

Status Reload(int browser_id, int* navigation) {
  CefRefPtr<BrowserImpl> browser;
  Status status = FindTarget(browser_id, 0, &browser, nullptr);
  if (status.ok()) {
    CefRefPtr<FrameImpl> main = browser->main_frame();
    *navigation = StartNavigation(main, main->url(), TT_RELOAD);
  }
  return status;
}

Status FailLoad(int browser_id, std::int64_t frame_id, const std::string& url,
                int error_code, const std::string& error_text, int* navigation,
                bool after_commit) {
  // Codes the error enumeration can hold; others would not be valid values.
  if (error_code < -512 || error_code > 0)
    return Error("bad field: error_code");
  CefRefPtr<BrowserImpl> browser;
  CefRefPtr<FrameImpl> frame;
  Status status = FindTarget(browser_id, frame_id, &browser, &frame);
  if (status.ok())
    *navigation = StartFailedLoad(frame, url, error_code, error_text, after_commit);
  return status;
}

Status SetNetwork(bool offline, int error_code, const std::string& error_text) {
  if (!offline) {
    SetNetworkFailure(std::nullopt);
    return Status();
  }
  // A request that fails has a code below 0 that the enumeration can hold.
  if (error_code < -512 || error_code > -1)
    return Error("bad field: error_code");
  SetNetworkFailure(NetworkFailure{error_code, error_text});
  return Status();
}

Status RequestPopup(int browser_id, std::int64_t frame_id,
                    const PopupRequest& request, int* index) {
  if (request.disposition < WOD_UNKNOWN || request.disposition > WOD_IGNORE_ACTION)
    return Error("bad field: disposition");
  CefRefPtr<BrowserImpl> browser;
  CefRefPtr<FrameImpl> frame;
  Status status = FindTarget(browser_id, frame_id, &browser, &frame);
  if (status.ok())
    *index = browser->RequestPopup(request.no_frame ? NULL : frame, request);
  return status;
}

Status ListPopups(int browser_id, std::vector<PopupRecord>* popups) {
  CefRefPtr<BrowserImpl> browser;
  Status status = FindTarget(browser_id, 0, &browser, nullptr);
  if (status.ok())
    *popups = browser->popups();
  return status;
}

Status PressKey(int browser_id, int key_code, unsigned modifiers, int repeat,
                bool* reached_page) {
  if (key_code < 1 || key_code > 254)
    return Error("bad field: key_code");
  if (repeat < 1 || repeat > kMaxKeyRepeat)
    return Error("bad field: repeat");
  CefRefPtr<BrowserImpl> browser;
  Status status = FindTarget(browser_id, 0, &browser, nullptr);
  if (!status.ok())
    return status;
  HWND page = browser->page_window();
  if (!page)
    return Error("no browser");
  const bool alt = (modifiers & EVENTFLAG_ALT_DOWN) != 0;
  const UINT down = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
  const UINT up = alt ? WM_SYSKEYUP : WM_KEYUP;
  const UINT scan = MapVirtualKeyW(static_cast<UINT>(key_code), MAPVK_VK_TO_VSC);
  // Key data: repeat count 1, scan code, context bit for alt; later downs are
  // auto-repeats (previous state down), the up has both transition bits.
  const LPARAM data = 1 | static_cast<LPARAM>(scan << 16) | (alt ? (1 << 29) : 0);
  ScopedModifiers held(modifiers);
  *reached_page = false;
  for (int i = 0; i < repeat && IsWindow(page); ++i) {
    const std::size_t before = browser->page_keys().size();
    SendMessageW(page, down, static_cast<WPARAM>(key_code), data | (i > 0 ? (1 << 30) : 0));
    *reached_page = browser->page_keys().size() > before;
  }
  if (IsWindow(page)) {
    SendMessageW(page, up, static_cast<WPARAM>(key_code),
                 data | (1 << 30) | static_cast<LPARAM>(1u << 31));
  }
  return status;
}

Status PageKeys(int browser_id, std::vector<KeyRecord>* keys) {
  CefRefPtr<BrowserImpl> browser;
  Status status = FindTarget(browser_id, 0, &browser, nullptr);
  if (status.ok())
    *keys = browser->page_keys();
  return status;
}

Status ListScripts(int browser_id, std::int64_t frame_id,
                   std::vector<ScriptRecord>* scripts) {
  CefRefPtr<BrowserImpl> browser;
  CefRefPtr<FrameImpl> frame;
  Status status = FindTarget(browser_id, frame_id, &browser, &frame);
  if (status.ok())
    *scripts = frame->scripts();
  return status;
}

Status CrashRenderer(int browser_id) {
  CefRefPtr<BrowserImpl> browser;
  Status status = FindTarget(browser_id, 0, &browser, nullptr);
  if (status.ok())
    browser->CrashRenderer();
  return status;
}

Status CrashPlugin(int browser_id, const std::string& plugin_path, std::string* used) {
  CefRefPtr<BrowserImpl> browser;
  Status status = FindTarget(browser_id, 0, &browser, nullptr);
  if (!status.ok())
    return status;
  std::string path = plugin_path;
  if (path.empty()) {
    if (CefRefPtr<CefCommandLine> global = CefCommandLine::GetGlobalCommandLine())
      path = global->GetSwitchValue("ppapi-flash-path").ToString();
  }
  if (path.empty())
    return Error("no plugin_path and no --ppapi-flash-path on the command line");
  browser->CrashPlugin(path);
  *used = path;
  return status;
}

Status ZoomLevel(int browser_id, double* level) {
  CefRefPtr<BrowserImpl> browser;
  Status status = FindTarget(browser_id, 0, &browser, nullptr);
  if (status.ok())
    *level = HostZoomLevel(browser->main_frame()->url());
  return status;
}

Status GetDemoPage(int browser_id, std::vector<DemoButtonInfo>* buttons,
                   std::vector<std::string>* log) {
  buttons->clear();
  log->clear();
  CefRefPtr<BrowserImpl> browser;
  Status status = FindTarget(browser_id, 0, &browser, nullptr);
  if (!status.ok())
    return status;
  const DemoPage* page = DemoPageOf(browser->page_window());
  if (!page)
    return Error("no page window");
  for (const DemoButton& b : page->buttons()) {
    buttons->push_back({b.label, b.request, static_cast<int>(b.rect.left),
                        static_cast<int>(b.rect.top), static_cast<int>(b.rect.right - b.rect.left),
                        static_cast<int>(b.rect.bottom - b.rect.top)});
  }
  for (const DemoLogEntry& entry : page->log())
    log->push_back(DemoPage::Describe(entry));
  return status;
}

Status CloseBrowserWindow(int browser_id) {
  CefRefPtr<BrowserImpl> browser;
  Status status = FindTarget(browser_id, 0, &browser, nullptr);
  if (!status.ok())
    return status;
  if (!browser->window())
    return Error("no browser");
  PostMessageW(browser->window(), WM_CLOSE, 0, 0);
  return status;
}

bool PumpUntil(const std::function<bool()>& done, int timeout_ms) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!done()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - Clock::now()).count();
    if (left <= 0)
      return false;
    if (RunOneUiMessage(static_cast<int>(left < 50 ? left : 50)) == PumpResult::kQuit)
      return done();
  }
  return true;
}

}  // namespace standin
