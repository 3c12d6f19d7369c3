#include "channel_commands.h"

#include <chrono>
#include <cstdint>
#include <exception>
#include <iterator>
#include <map>
#include <vector>

#include <process.h>

#include <nlohmann/json.hpp>

#include "engine.h"
#include "include/cef_command_line.h"
#include "page_records.h"
#include "standin/page.h"
#include "ui_thread.h"

namespace standin {

namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

constexpr int kMaxWaitMs = 60000;
constexpr int kPollMs = 10;
constexpr int kMaxRepeat = 100;

const char* const kDispositions[] = {
    "unknown",      "suppress_open",      "current_tab",
    "singleton_tab", "new_foreground_tab", "new_background_tab",
    "new_popup",    "new_window",         "save_to_disk",
    "off_the_record", "ignore_action"};

// A request being handled: its fields, the reply under construction, and the
// first error met.
struct Call {
  const json& request;
  json reply = json::object();
  std::string error;

  explicit Call(const json& r) : request(r) {}

  bool Fail(const std::string& text) {
    if (error.empty())
      error = text;
    return false;
  }
  bool BadField(const char* name) { return Fail(std::string("bad field: ") + name); }
  bool Take(const Status& status) { return status.ok() || Fail(status.error); }

  const json* Field(const char* name) const {
    auto it = request.find(name);
    return it == request.end() || it->is_null() ? nullptr : &*it;
  }

  bool Int64(const char* name, std::int64_t fallback, std::int64_t* out) {
    const json* value = Field(name);
    if (!value) {
      *out = fallback;
      return true;
    }
    if (value->is_number_integer()) {
      *out = value->get<std::int64_t>();
      return true;
    }
    if (value->is_number_unsigned() &&
        value->get<std::uint64_t>() <= static_cast<std::uint64_t>(INT64_MAX)) {
      *out = static_cast<std::int64_t>(value->get<std::uint64_t>());
      return true;
    }
    return BadField(name);
  }

  bool Int(const char* name, int fallback, int low, int high, int* out) {
    std::int64_t wide = 0;
    if (!Int64(name, fallback, &wide))
      return false;
    if (wide < low || wide > high)
      return BadField(name);
    *out = static_cast<int>(wide);
    return true;
  }

  bool Bool(const char* name, bool fallback, bool* out) {
    const json* value = Field(name);
    if (!value) {
      *out = fallback;
      return true;
    }
    if (!value->is_boolean())
      return BadField(name);
    *out = value->get<bool>();
    return true;
  }

  bool String(const char* name, const char* fallback, std::string* out) {
    const json* value = Field(name);
    if (!value) {
      if (!fallback)
        return BadField(name);
      *out = fallback;
      return true;
    }
    if (!value->is_string())
      return BadField(name);
    *out = value->get<std::string>();
    return true;
  }

  // Waits are clamped rather than refused: a caller asking for too long a wait
  // still gets a bounded one.
  bool WaitMs(int fallback, int* out) {
    std::int64_t wide = 0;
    if (!Int64("wait_ms", fallback, &wide))
      return false;
    *out = static_cast<int>(wide < 0 ? 0 : wide > kMaxWaitMs ? kMaxWaitMs : wide);
    return true;
  }

  bool Target(int* browser, std::int64_t* frame) {
    std::int64_t id = 0;
    if (!Int64("browser", 0, &id))
      return false;
    if (id < 0 || id > INT32_MAX)
      return Fail("no browser");
    *browser = static_cast<int>(id);
    return !frame || Int64("frame", 0, frame);
  }
};

// Runs work on the UI thread; a UI thread that never gets to it makes the
// channel answer "busy" instead of hanging.
bool OnUi(ChannelHost& host, Call& call, const std::function<void()>& work) {
  return host.RunOnUi(work) || call.Fail("busy");
}

// Polls check until it holds or wait_ms passed, waking early when the page
// changed; check runs on the UI thread unless it reads only what any thread
// may read. Returns the last result of check.
bool WaitFor(ChannelHost& host, Call& call, int wait_ms,
             const std::function<bool()>& check, bool on_ui = true) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(wait_ms);
  for (;;) {
    bool done = false;
    const std::uint64_t seen = PageChangeCount();
    if (on_ui) {
      if (!OnUi(host, call, [&] { done = check(); }))
        return false;
    } else {
      done = check();
    }
    if (done || Clock::now() >= deadline || !host.WaitForChange(kPollMs, seen))
      return done;
  }
}

json Nullable(std::int64_t value) {
  return value ? json(value) : json(nullptr);
}

json QueryJson(const QueryRecord& record) {
  json out = {{"query", record.id},
              {"frame", record.frame},
              {"request", record.request},
              {"persistent", record.persistent},
              {"state", QueryStateName(record.state)},
              {"responses", record.responses},
              {"error_code", nullptr},
              {"error_message", nullptr}};
  if (record.has_error) {
    out["error_code"] = record.error_code;
    out["error_message"] = record.error_message;
  }
  return out;
}

bool QuerySettled(const QueryRecord& record, std::size_t min_responses) {
  return record.state != QueryState::kPending ||
         record.responses.size() >= min_responses;
}

bool ReplyQuery(ChannelHost& host, Call& call, int query_id, int wait_ms,
                std::size_t min_responses) {
  QueryRecord record;
  Status status;
  // Records are readable from any thread, also once the browser and its
  // message loop are gone.
  WaitFor(host, call, wait_ms, [&] {
    status = GetQuery(query_id, &record);
    return !status.ok() || QuerySettled(record, min_responses);
  }, /*on_ui=*/false);
  if (!call.error.empty() || !call.Take(status))
    return false;
  call.reply.update(QueryJson(record));
  return true;
}

bool WaitNavigation(ChannelHost& host, Call& call, int navigation, int wait_ms) {
  bool done = WaitFor(host, call, wait_ms, [&] { return NavigationDone(navigation); });
  call.reply["done"] = done;
  return call.error.empty();
}

bool ParseModifiers(Call& call, unsigned* modifiers) {
  const json* value = call.Field("modifiers");
  *modifiers = 0;
  if (!value)
    return true;
  if (value->is_number_unsigned() || value->is_number_integer()) {
    std::int64_t bits = value->get<std::int64_t>();
    if (bits < 0 || bits > 0xFFFF)
      return call.BadField("modifiers");
    *modifiers = static_cast<unsigned>(bits);
    return true;
  }
  if (!value->is_array())
    return call.BadField("modifiers");
  static const std::map<std::string, unsigned> kNames = {
      {"shift", 1u << 1}, {"ctrl", 1u << 2}, {"alt", 1u << 3}};
  for (const json& name : *value) {
    auto it = name.is_string() ? kNames.find(name.get<std::string>()) : kNames.end();
    if (it == kNames.end())
      return call.BadField("modifiers");
    *modifiers |= it->second;
  }
  return true;
}

bool ParseDisposition(Call& call, int* disposition) {
  const json* value = call.Field("disposition");
  *disposition = 4;
  if (!value)
    return true;
  if (value->is_string()) {
    for (int i = 0; i < static_cast<int>(std::size(kDispositions)); ++i) {
      if (value->get<std::string>() == kDispositions[i]) {
        *disposition = i;
        return true;
      }
    }
    return call.BadField("disposition");
  }
  return call.Int("disposition", 4, 0, 10, disposition);
}

// --- operations --------------------------------------------------------------

bool OpPing(ChannelHost&, Call& call) {
  call.reply["pid"] = _getpid();
  return true;
}

bool OpBrowsers(ChannelHost& host, Call& call) {
  std::vector<BrowserInfo> browsers;
  if (!OnUi(host, call, [&] { browsers = ListBrowsers(); }))
    return false;
  json list = json::array();
  for (const BrowserInfo& b : browsers) {
    list.push_back({{"id", b.id},
                    {"hwnd", static_cast<std::uint64_t>(b.hwnd)},
                    {"page_hwnd", static_cast<std::uint64_t>(b.page_hwnd)},
                    {"url", b.url},
                    {"popup", b.popup},
                    {"loading", b.loading}});
  }
  call.reply["browsers"] = list;
  return true;
}

bool OpWaitReady(ChannelHost& host, Call& call) {
  int wait_ms = 0;
  if (!call.WaitMs(10000, &wait_ms))
    return false;
  bool ready = WaitFor(host, call, wait_ms, [] {
    std::vector<BrowserInfo> browsers = ListBrowsers();
    std::vector<FrameInfo> frames;
    return !browsers.empty() && !browsers.front().loading &&
           ListFrames(browsers.front().id, &frames).ok() && !frames.empty() &&
           frames.front().has_query;
  });
  call.reply["ready"] = ready;
  return call.error.empty();
}

bool OpFrames(ChannelHost& host, Call& call) {
  int browser = 0;
  if (!call.Target(&browser, nullptr))
    return false;
  std::vector<FrameInfo> frames;
  Status status;
  if (!OnUi(host, call, [&] { status = ListFrames(browser, &frames); }) ||
      !call.Take(status))
    return false;
  json list = json::array();
  for (const FrameInfo& f : frames) {
    list.push_back({{"id", f.id},
                    {"parent", Nullable(f.parent)},
                    {"name", f.name},
                    {"url", f.url},
                    {"main", f.main},
                    {"has_cefQuery", f.has_query},
                    {"context", Nullable(f.context)},
                    {"document", f.document ? json(*f.document) : json(nullptr)}});
  }
  call.reply["frames"] = list;
  return true;
}

bool OpQuery(ChannelHost& host, Call& call) {
  int browser = 0;
  std::int64_t frame = 0;
  std::string request;
  bool persistent = false;
  int wait_ms = 0;
  if (!call.Target(&browser, &frame) || !call.String("request", nullptr, &request) ||
      !call.Bool("persistent", false, &persistent) || !call.WaitMs(5000, &wait_ms))
    return false;
  int query_id = 0;
  Status status;
  if (!OnUi(host, call, [&] {
        status = SendQuery(browser, frame, request, persistent, &query_id);
      }) ||
      !call.Take(status))
    return false;
  return ReplyQuery(host, call, query_id, wait_ms, 1);
}

bool OpQueryStatus(ChannelHost& host, Call& call) {
  int query_id = 0;
  int min_responses = 0;
  int wait_ms = 0;
  if (!call.Int("query", -1, 0, INT32_MAX, &query_id) ||
      !call.Int("min_responses", 1, 0, INT32_MAX, &min_responses) ||
      !call.WaitMs(0, &wait_ms))
    return false;
  return ReplyQuery(host, call, query_id, wait_ms,
                    static_cast<std::size_t>(min_responses));
}

bool OpCancel(ChannelHost& host, Call& call) {
  int browser = 0;
  std::int64_t frame = 0;
  int query_id = 0;
  if (!call.Target(&browser, &frame) || !call.Int("query", -1, 0, INT32_MAX, &query_id))
    return false;
  bool canceled = false;
  Status status;
  if (!OnUi(host, call, [&] {
        status = CancelQuery(browser, frame, query_id, &canceled);
      }) ||
      !call.Take(status))
    return false;
  call.reply["canceled"] = canceled;
  return true;
}

bool OpAddFrame(ChannelHost& host, Call& call) {
  int browser = 0;
  std::int64_t parent = 0;
  std::string name, url;
  int wait_ms = 0;
  if (!call.Target(&browser, nullptr) || !call.Int64("parent", 0, &parent) ||
      !call.String("name", "", &name) || !call.String("url", nullptr, &url) ||
      !call.WaitMs(5000, &wait_ms))
    return false;
  std::int64_t frame = 0;
  int navigation = 0;
  Status status;
  if (!OnUi(host, call, [&] {
        status = AddFrame(browser, parent, name, url, &frame, &navigation);
      }) ||
      !call.Take(status))
    return false;
  call.reply["frame"] = frame;
  return WaitNavigation(host, call, navigation, wait_ms);
}

bool OpNavigate(ChannelHost& host, Call& call) {
  int browser = 0;
  std::int64_t frame = 0;
  std::string url;
  int http_status = 0;
  int wait_ms = 0;
  if (!call.Target(&browser, &frame) || !call.String("url", nullptr, &url) ||
      !call.Int("http_status", 200, 100, 599, &http_status) || !call.WaitMs(5000, &wait_ms))
    return false;
  int navigation = 0;
  Status status;
  if (!OnUi(host, call, [&] {
        status = Navigate(browser, frame, url, &navigation, http_status);
      }) ||
      !call.Take(status))
    return false;
  return WaitNavigation(host, call, navigation, wait_ms);
}

bool OpReload(ChannelHost& host, Call& call) {
  int browser = 0;
  int wait_ms = 0;
  if (!call.Target(&browser, nullptr) || !call.WaitMs(5000, &wait_ms))
    return false;
  int navigation = 0;
  Status status;
  if (!OnUi(host, call, [&] { status = Reload(browser, &navigation); }) || !call.Take(status))
    return false;
  return WaitNavigation(host, call, navigation, wait_ms);
}

bool OpFailLoad(ChannelHost& host, Call& call) {
  int browser = 0;
  std::int64_t frame = 0;
  std::string url, text;
  int code = 0;
  int wait_ms = 0;
  bool after_commit = false;
  if (!call.Target(&browser, &frame) || !call.String("url", nullptr, &url) ||
      !call.Int("error_code", -105, INT32_MIN, INT32_MAX, &code) ||
      !call.String("error_text", "net::ERR_NAME_NOT_RESOLVED", &text) ||
      !call.Bool("after_commit", false, &after_commit) || !call.WaitMs(5000, &wait_ms))
    return false;
  int navigation = 0;
  Status status;
  if (!OnUi(host, call, [&] {
        status = FailLoad(browser, frame, url, code, text, &navigation, after_commit);
      }) ||
      !call.Take(status))
    return false;
  return WaitNavigation(host, call, navigation, wait_ms);
}

bool OpNetwork(ChannelHost& host, Call& call) {
  bool offline = false;
  int code = 0;
  std::string text;
  if (!call.Bool("offline", false, &offline) ||
      !call.Int("error_code", -106, INT32_MIN, INT32_MAX, &code) ||
      !call.String("error_text", "net::ERR_INTERNET_DISCONNECTED", &text))
    return false;
  Status status;
  if (!OnUi(host, call, [&] { status = SetNetwork(offline, code, text); }) || !call.Take(status))
    return false;
  call.reply["offline"] = offline;
  return true;
}

json PopupJson(const PopupRecord& p) {
  return {{"frame", Nullable(p.frame)},
          {"url", p.request.url},
          {"target", p.request.target},
          {"disposition", kDispositions[p.request.disposition]},
          {"user_gesture", p.request.user_gesture},
          {"done", p.done},
          {"canceled", p.canceled},
          {"opened", p.opened},
          {"browser", Nullable(p.browser)}};
}

// OnBeforePopup runs on the engine's IO thread; the reply waits for its answer.
bool OpPopup(ChannelHost& host, Call& call) {
  int browser = 0;
  std::int64_t frame = 0;
  PopupRequest request;
  int wait_ms = 0;
  if (!call.Target(&browser, &frame) || !call.String("url", nullptr, &request.url) ||
      !call.String("target", "", &request.target) ||
      !ParseDisposition(call, &request.disposition) ||
      !call.Bool("user_gesture", true, &request.user_gesture) ||
      !call.Bool("no_frame", false, &request.no_frame) || !call.WaitMs(5000, &wait_ms))
    return false;
  int index = 0;
  Status status;
  if (!OnUi(host, call, [&] { status = RequestPopup(browser, frame, request, &index); }) ||
      !call.Take(status))
    return false;
  PopupRecord record;
  WaitFor(host, call, wait_ms, [&] {
    std::vector<PopupRecord> popups;
    status = ListPopups(browser, &popups);
    if (!status.ok() || index >= static_cast<int>(popups.size()))
      return true;
    record = popups[index];
    return record.done;
  });
  if (!call.error.empty() || !call.Take(status))
    return false;
  call.reply["done"] = record.done;
  call.reply["canceled"] = record.canceled;
  call.reply["opened"] = record.opened;
  return true;
}

bool OpPopups(ChannelHost& host, Call& call) {
  int browser = 0;
  if (!call.Target(&browser, nullptr))
    return false;
  std::vector<PopupRecord> popups;
  Status status;
  if (!OnUi(host, call, [&] { status = ListPopups(browser, &popups); }) ||
      !call.Take(status))
    return false;
  json list = json::array();
  for (const PopupRecord& p : popups)
    list.push_back(PopupJson(p));
  call.reply["popups"] = list;
  return true;
}

bool OpKey(ChannelHost& host, Call& call) {
  int browser = 0;
  int key_code = 0;
  int repeat = 0;
  unsigned modifiers = 0;
  if (!call.Target(&browser, nullptr) ||
      !call.Int("key_code", -1, 1, 254, &key_code) || !ParseModifiers(call, &modifiers) ||
      !call.Int("repeat", 1, 1, kMaxRepeat, &repeat))
    return false;
  bool reached = false;
  Status status;
  if (!OnUi(host, call, [&] {
        status = PressKey(browser, key_code, modifiers, repeat, &reached);
      }) ||
      !call.Take(status))
    return false;
  call.reply["reached_page"] = reached;
  return true;
}

bool OpKeys(ChannelHost& host, Call& call) {
  int browser = 0;
  if (!call.Target(&browser, nullptr))
    return false;
  std::vector<KeyRecord> keys;
  Status status;
  if (!OnUi(host, call, [&] { status = PageKeys(browser, &keys); }) || !call.Take(status))
    return false;
  json list = json::array();
  for (const KeyRecord& k : keys) {
    list.push_back(
        {{"key_code", k.key_code}, {"modifiers", k.modifiers}, {"system", k.system}});
  }
  call.reply["keys"] = list;
  return true;
}

bool OpScripts(ChannelHost& host, Call& call) {
  int browser = 0;
  std::int64_t frame = 0;
  if (!call.Target(&browser, &frame))
    return false;
  std::vector<ScriptRecord> scripts;
  Status status;
  if (!OnUi(host, call, [&] { status = ListScripts(browser, frame, &scripts); }) ||
      !call.Take(status))
    return false;
  json list = json::array();
  for (const ScriptRecord& s : scripts) {
    list.push_back({{"code", s.code},
                    {"script_url", s.script_url},
                    {"start_line", s.start_line},
                    {"context", Nullable(s.context)},
                    {"after_load", s.after_load}});
  }
  call.reply["scripts"] = list;
  return true;
}

bool OpZoom(ChannelHost& host, Call& call) {
  int browser = 0;
  if (!call.Target(&browser, nullptr))
    return false;
  double level = 0;
  Status status;
  if (!OnUi(host, call, [&] { status = ZoomLevel(browser, &level); }) ||
      !call.Take(status))
    return false;
  call.reply["level"] = level;
  return true;
}

std::string Utf8(const cef_string_t& value) {
  return CefString(&value).ToString();
}

bool OpEngine(ChannelHost& host, Call& call) {
  json argv = json::array();
  json settings;
  bool initialized = false;
  bool os_modal_loop = false;
  const bool ran = OnUi(host, call, [&] {
    initialized = EngineInitialized();
    os_modal_loop = OsModalLoop();
    std::vector<CefString> args;
    if (CefRefPtr<CefCommandLine> global = CefCommandLine::GetGlobalCommandLine())
      global->GetArgv(args);
    for (const CefString& arg : args)
      argv.push_back(arg.ToString());
    const CefSettings& s = EngineSettings();
    settings = {{"single_process", s.single_process},
                {"no_sandbox", s.no_sandbox},
                {"browser_subprocess_path", Utf8(s.browser_subprocess_path)},
                {"multi_threaded_message_loop", s.multi_threaded_message_loop},
                {"windowless_rendering_enabled", s.windowless_rendering_enabled},
                {"command_line_args_disabled", s.command_line_args_disabled},
                {"cache_path", Utf8(s.cache_path)},
                {"user_data_path", Utf8(s.user_data_path)},
                {"persist_session_cookies", s.persist_session_cookies},
                {"persist_user_preferences", s.persist_user_preferences},
                {"user_agent", Utf8(s.user_agent)},
                {"locale", Utf8(s.locale)},
                {"log_file", Utf8(s.log_file)},
                {"log_severity", static_cast<int>(s.log_severity)},
                {"remote_debugging_port", s.remote_debugging_port}};
  });
  if (!ran)
    return false;
  call.reply["initialized"] = initialized;
  call.reply["os_modal_loop"] = os_modal_loop;
  call.reply["command_line"] = argv;
  call.reply["settings"] = settings;
  return true;
}

bool OpCrashRenderer(ChannelHost& host, Call& call) {
  int browser = 0;
  if (!call.Target(&browser, nullptr))
    return false;
  Status status;
  return OnUi(host, call, [&] { status = CrashRenderer(browser); }) && call.Take(status);
}

bool OpCrashPlugin(ChannelHost& host, Call& call) {
  int browser = 0;
  std::string path;
  if (!call.Target(&browser, nullptr) || !call.String("plugin_path", "", &path))
    return false;
  Status status;
  std::string used;
  if (!OnUi(host, call, [&] { status = CrashPlugin(browser, path, &used); }) ||
      !call.Take(status))
    return false;
  call.reply["plugin_path"] = used;
  return true;
}

bool OpDemo(ChannelHost& host, Call& call) {
  int browser = 0;
  if (!call.Target(&browser, nullptr))
    return false;
  std::vector<DemoButtonInfo> buttons;
  std::vector<std::string> log;
  Status status;
  if (!OnUi(host, call, [&] { status = GetDemoPage(browser, &buttons, &log); }) ||
      !call.Take(status))
    return false;
  json list = json::array();
  for (const DemoButtonInfo& b : buttons) {
    list.push_back({{"label", b.label},
                    {"request", b.request},
                    {"x", b.x},
                    {"y", b.y},
                    {"width", b.width},
                    {"height", b.height}});
  }
  call.reply["buttons"] = list;
  call.reply["log"] = log;
  return true;
}

bool OpClose(ChannelHost& host, Call& call) {
  int browser = 0;
  if (!call.Target(&browser, nullptr))
    return false;
  Status status;
  return OnUi(host, call, [&] { status = CloseBrowserWindow(browser); }) && call.Take(status);
}

using Operation = bool (*)(ChannelHost&, Call&);

const std::map<std::string, Operation>& Operations() {
  static const std::map<std::string, Operation> kOperations = {
      {"ping", OpPing},           {"browsers", OpBrowsers},
      {"wait_ready", OpWaitReady}, {"frames", OpFrames},
      {"query", OpQuery},         {"query_status", OpQueryStatus},
      {"cancel", OpCancel},       {"add_frame", OpAddFrame},
      {"navigate", OpNavigate},   {"fail_load", OpFailLoad},
      {"popup", OpPopup},         {"popups", OpPopups},
      {"key", OpKey},             {"keys", OpKeys},
      {"scripts", OpScripts},     {"zoom", OpZoom},
      {"engine", OpEngine},       {"close", OpClose},
      {"crash_renderer", OpCrashRenderer}, {"crash_plugin", OpCrashPlugin},
      {"reload", OpReload},
      {"network", OpNetwork},     {"demo", OpDemo}};
  return kOperations;
}

std::string Dump(const json& value) {
  return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string ErrorReply(const std::string& text, const json* id) {
  json reply = {{"ok", false}, {"error", text}};
  if (id)
    reply["id"] = *id;
  return Dump(reply);
}

std::string Handle(const std::string& line, ChannelHost& host) {
  json request = json::parse(line, nullptr, false);
  if (request.is_discarded())
    return ErrorReply("bad json", nullptr);
  if (!request.is_object())
    return ErrorReply("bad request", nullptr);
  auto id_it = request.find("id");
  const json* id = id_it == request.end() ? nullptr : &*id_it;
  auto op_it = request.find("op");
  if (op_it == request.end() || !op_it->is_string())
    return ErrorReply("bad request", id);
  auto op = Operations().find(op_it->get<std::string>());
  if (op == Operations().end())
    return ErrorReply("unknown op", id);
  Call call(request);
  if (!op->second(host, call))
    return ErrorReply(call.error.empty() ? "internal error" : call.error, id);
  call.reply["ok"] = true;
  if (id)
    call.reply["id"] = *id;
  return Dump(call.reply);
}

}  // namespace

std::string HandleChannelLine(const std::string& line, ChannelHost& host) {
  try {
    return Handle(line, host);
  } catch (const std::exception&) {
    return ErrorReply("internal error", nullptr);
  }
}

std::string LineTooLongReply() {
  return ErrorReply("line too long", nullptr);
}

}  // namespace standin
