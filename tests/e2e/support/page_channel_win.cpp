#include "page_channel.h"

#include <exception>
#include <utility>

#include "process.h"

namespace e2e {

namespace {

using json = nlohmann::json;

// On top of the engine's own wait: it may hold a request up to 10 s
// before answering "busy", and Wine needs a moment now and then.
constexpr Millis kReplyMargin{15000};

std::string Abbreviated(const json& value) {
  std::string text = value.dump();
  if (text.size() > 300)
    text = text.substr(0, 300) + "...";
  return text;
}

template <typename T>
ChannelResult<T> Parse(const ChannelResult<json>& reply, const char* key) {
  if (!reply)
    return ChannelResult<T>::Failure(reply.error());
  try {
    const json& source = key ? reply->at(key) : *reply;
    return ChannelResult<T>::Success(source.template get<T>());
  } catch (const std::exception& e) {
    return ChannelResult<T>::Failure("malformed reply " + Abbreviated(*reply) +
                                     ": " + e.what());
  }
}

}  // namespace

std::wstring PageChannel::PipeName(unsigned long process_id) {
  return L"\\\\.\\pipe\\zlm-standin-" + std::to_wstring(process_id);
}

testing::AssertionResult PageChannel::Connect(unsigned long process_id,
                                              Millis timeout) {
  next_id_ = 1;
  return client_.Open(PipeName(process_id), timeout);
}

testing::AssertionResult PageChannel::Connect(const Process& process,
                                              Millis timeout) {
  if (!process.IsStarted())
    return testing::AssertionFailure() << "the process was never started";
  next_id_ = 1;
  return client_.Open(PipeName(process.id()), timeout, process.handle());
}

ChannelResult<std::string> PageChannel::CallRaw(const std::string& line,
                                                Millis reply_timeout) {
  const testing::AssertionResult written =
      client_.WriteLine(line, kDefaultTimeout);
  if (!written)
    return ChannelResult<std::string>::Failure(written.message());
  return client_.ReadLine(reply_timeout);
}

ChannelResult<json> PageChannel::Call(json request, Millis reply_timeout) {
  if (!request.is_object())
    return ChannelResult<json>::Failure("request is not an object: " +
                                        request.dump());
  if (!request.contains("id"))
    request["id"] = next_id_++;
  const ChannelResult<std::string> line =
      CallRaw(request.dump(), reply_timeout);
  if (!line)
    return ChannelResult<json>::Failure(line.error() + " (request " +
                                        Abbreviated(request) + ")");
  json reply = json::parse(*line, nullptr, false);
  if (reply.is_discarded() || !reply.is_object())
    return ChannelResult<json>::Failure("reply is not a JSON object: " +
                                        line->substr(0, 300));
  if (reply.value("id", json()) != request["id"]) {
    client_.Close();
    return ChannelResult<json>::Failure(
        "reply " + Abbreviated(reply) + " does not answer request " +
        Abbreviated(request) + "; channel closed");
  }
  return ChannelResult<json>::Success(std::move(reply));
}

ChannelResult<json> PageChannel::Op(json request, const Target& target,
                                    Millis engine_wait) {
  if (target.browser)
    request["browser"] = *target.browser;
  if (target.frame)
    request["frame"] = *target.frame;
  ChannelResult<json> reply = Call(request, engine_wait + kReplyMargin);
  if (!reply)
    return reply;
  if (reply->value("ok", false) != true)
    return ChannelResult<json>::Failure(
        "op \"" + request.value("op", std::string()) + "\" failed: " +
        reply->value("error", Abbreviated(*reply)) + " (request " +
        Abbreviated(request) + ")");
  return reply;
}

ChannelResult<unsigned long> PageChannel::Ping() {
  return Parse<unsigned long>(Op({{"op", "ping"}}, {}), "pid");
}

ChannelResult<std::vector<BrowserRecord>> PageChannel::Browsers() {
  return Parse<std::vector<BrowserRecord>>(Op({{"op", "browsers"}}, {}),
                                           "browsers");
}

ChannelResult<bool> PageChannel::WaitReady(Millis wait) {
  return Parse<bool>(
      Op({{"op", "wait_ready"}, {"wait_ms", wait.count()}}, {}, wait),
      "ready");
}

ChannelResult<std::vector<FrameRecord>> PageChannel::Frames(Target target) {
  target.frame.reset();
  return Parse<std::vector<FrameRecord>>(Op({{"op", "frames"}}, target),
                                         "frames");
}

ChannelResult<QueryRecord> PageChannel::Query(const std::string& request,
                                              Target target, bool persistent,
                                              Millis wait) {
  return Parse<QueryRecord>(Op({{"op", "query"},
                                {"request", request},
                                {"persistent", persistent},
                                {"wait_ms", wait.count()}},
                               target, wait),
                            nullptr);
}

ChannelResult<QueryRecord> PageChannel::QueryStatus(int64_t query,
                                                    int min_responses,
                                                    Millis wait) {
  return Parse<QueryRecord>(Op({{"op", "query_status"},
                                {"query", query},
                                {"min_responses", min_responses},
                                {"wait_ms", wait.count()}},
                               {}, wait),
                            nullptr);
}

ChannelResult<bool> PageChannel::CancelQuery(int64_t query, Target target) {
  return Parse<bool>(Op({{"op", "cancel"}, {"query", query}}, target),
                     "canceled");
}

ChannelResult<FrameLoad> PageChannel::AddFrame(const std::string& url,
                                               const std::string& name,
                                               Target parent, Millis wait) {
  json request = {{"op", "add_frame"},
                  {"url", url},
                  {"name", name},
                  {"wait_ms", wait.count()}};
  if (parent.frame)
    request["parent"] = *parent.frame;
  parent.frame.reset();
  const ChannelResult<json> reply = Op(request, parent, wait);
  const ChannelResult<int64_t> frame = Parse<int64_t>(reply, "frame");
  const ChannelResult<bool> done = Parse<bool>(reply, "done");
  if (!frame)
    return ChannelResult<FrameLoad>::Failure(frame.error());
  if (!done)
    return ChannelResult<FrameLoad>::Failure(done.error());
  return ChannelResult<FrameLoad>::Success(FrameLoad{*frame, *done});
}

ChannelResult<bool> PageChannel::Navigate(const std::string& url,
                                          Target target, Millis wait,
                                          int http_status) {
  return Parse<bool>(
      Op({{"op", "navigate"},
          {"url", url},
          {"http_status", http_status},
          {"wait_ms", wait.count()}},
         target, wait),
      "done");
}

ChannelResult<bool> PageChannel::Reload(Target target, Millis wait) {
  target.frame.reset();
  return Parse<bool>(Op({{"op", "reload"}, {"wait_ms", wait.count()}}, target, wait), "done");
}

ChannelResult<bool> PageChannel::SetNetwork(bool offline, std::optional<int> error_code) {
  json request = {{"op", "network"}, {"offline", offline}};
  if (error_code)
    request["error_code"] = *error_code;
  return Parse<bool>(Op(request, {}), "offline");
}

ChannelResult<bool> PageChannel::FailLoad(const std::string& url,
                                          Target target,
                                          std::optional<int> error_code,
                                          const std::string& error_text,
                                          Millis wait, bool afterCommit) {
  json request = {{"op", "fail_load"}, {"url", url}, {"wait_ms", wait.count()}};
  if (afterCommit)
    request["after_commit"] = true;
  if (error_code)
    request["error_code"] = *error_code;
  if (!error_text.empty())
    request["error_text"] = error_text;
  return Parse<bool>(Op(request, target, wait), "done");
}

ChannelResult<PopupResult> PageChannel::RequestPopup(
    const std::string& url, Target target, const std::string& target_name,
    const std::string& disposition, bool user_gesture, bool no_frame) {
  json request = {{"op", "popup"},
                  {"url", url},
                  {"target", target_name},
                  {"user_gesture", user_gesture},
                  {"no_frame", no_frame},
                  {"wait_ms", kQueryWait.count()}};
  if (!disposition.empty())
    request["disposition"] = disposition;
  const ChannelResult<json> reply = Op(request, target, kQueryWait);
  const ChannelResult<bool> canceled = Parse<bool>(reply, "canceled");
  const ChannelResult<bool> opened = Parse<bool>(reply, "opened");
  const ChannelResult<bool> done = Parse<bool>(reply, "done");
  for (const ChannelResult<bool>* field : {&canceled, &opened, &done}) {
    if (!*field)
      return ChannelResult<PopupResult>::Failure(field->error());
  }
  return ChannelResult<PopupResult>::Success(PopupResult{*canceled, *opened, *done});
}

ChannelResult<std::vector<PopupRecord>> PageChannel::Popups(Target target) {
  target.frame.reset();
  return Parse<std::vector<PopupRecord>>(Op({{"op", "popups"}}, target),
                                         "popups");
}

ChannelResult<bool> PageChannel::PressKey(int key_code, int modifiers,
                                          int repeat, Target target) {
  target.frame.reset();
  return Parse<bool>(Op({{"op", "key"},
                         {"key_code", key_code},
                         {"modifiers", modifiers},
                         {"repeat", repeat}},
                        target),
                     "reached_page");
}

ChannelResult<std::vector<KeyRecord>> PageChannel::KeysThatReachedPage(
    Target target) {
  target.frame.reset();
  return Parse<std::vector<KeyRecord>>(Op({{"op", "keys"}}, target), "keys");
}

ChannelResult<std::vector<ScriptRecord>> PageChannel::Scripts(Target target) {
  return Parse<std::vector<ScriptRecord>>(Op({{"op", "scripts"}}, target),
                                          "scripts");
}

ChannelResult<double> PageChannel::ZoomLevel(Target target) {
  target.frame.reset();
  return Parse<double>(Op({{"op", "zoom"}}, target), "level");
}

ChannelResult<bool> PageChannel::CloseBrowser(Target target) {
  target.frame.reset();
  const ChannelResult<json> reply = Op({{"op", "close"}}, target);
  if (!reply)
    return ChannelResult<bool>::Failure(reply.error());
  return ChannelResult<bool>::Success(true);
}

ChannelResult<bool> PageChannel::CrashRenderer(Target target) {
  target.frame.reset();
  const ChannelResult<json> reply = Op({{"op", "crash_renderer"}}, target);
  if (!reply)
    return ChannelResult<bool>::Failure(reply.error());
  return ChannelResult<bool>::Success(true);
}

ChannelResult<std::string> PageChannel::CrashPlugin(const std::string& pluginPath,
                                                    Target target) {
  target.frame.reset();
  json request = {{"op", "crash_plugin"}};
  if (!pluginPath.empty())
    request["plugin_path"] = pluginPath;
  return Parse<std::string>(Op(request, target), "plugin_path");
}

HWND ToHwnd(uint64_t handle) {
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(handle));
}

}  // namespace e2e
