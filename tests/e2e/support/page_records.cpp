#include "page_records.h"

#include <stdexcept>

namespace e2e {

namespace {

template <typename T>
std::optional<T> OptionalField(const nlohmann::json& j, const char* key) {
  const auto it = j.find(key);
  if (it == j.end() || it->is_null())
    return std::nullopt;
  return it->get<T>();
}

std::string DispositionName(const nlohmann::json& value) {
  if (value.is_string())
    return value.get<std::string>();
  const int index = value.get<int>();
  if (index < 0 || index > 10)
    throw std::out_of_range("disposition " + std::to_string(index));
  return kDispositionNames[index];
}

}  // namespace

const char* const kDispositionNames[11] = {
    "unknown",         "suppress_open",      "current_tab",
    "singleton_tab",   "new_foreground_tab", "new_background_tab",
    "new_popup",       "new_window",         "save_to_disk",
    "off_the_record",  "ignore_action"};

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
  return "?";
}

std::ostream& operator<<(std::ostream& out, QueryState state) {
  return out << QueryStateName(state);
}

std::ostream& operator<<(std::ostream& out, const QueryRecord& record) {
  out << "query " << record.query << " \"" << record.request << "\" "
      << record.state << " responses [";
  for (size_t i = 0; i < record.responses.size(); ++i)
    out << (i ? ", " : "") << "\"" << record.responses[i] << "\"";
  out << "]";
  if (record.error_code)
    out << " error " << *record.error_code << " \""
        << record.error_message.value_or("") << "\"";
  return out;
}

std::ostream& operator<<(std::ostream& out, const FrameRecord& record) {
  return out << "frame " << record.id << (record.main ? " main" : " sub")
             << " \"" << record.name << "\" " << record.url
             << (record.has_cef_query ? " with cefQuery" : " no cefQuery")
             << (record.document ? " (a document of " + std::to_string(record.document->size()) +
                                       " bytes without the network)"
                                 : std::string());
}

std::ostream& operator<<(std::ostream& out, const ScriptRecord& record) {
  return out << "script at " << record.script_url << ":" << record.start_line
             << " (" << record.code.size() << " bytes) \""
             << record.code.substr(0, 80)
             << (record.code.size() > 80 ? "..." : "") << "\"";
}

std::ostream& operator<<(std::ostream& out, const KeyRecord& record) {
  return out << "key 0x" << std::hex << record.key_code << std::dec
             << " modifiers " << record.modifiers
             << (record.system ? " system" : "");
}

void from_json(const nlohmann::json& j, BrowserRecord& record) {
  record.id = j.at("id").get<int>();
  record.hwnd = j.at("hwnd").get<uint64_t>();
  record.page_hwnd = j.at("page_hwnd").get<uint64_t>();
  record.url = j.at("url").get<std::string>();
  record.popup = j.at("popup").get<bool>();
  record.loading = j.at("loading").get<bool>();
}

void from_json(const nlohmann::json& j, FrameRecord& record) {
  record.id = j.at("id").get<int64_t>();
  record.parent = OptionalField<int64_t>(j, "parent");
  record.name = j.at("name").get<std::string>();
  record.url = j.at("url").get<std::string>();
  record.main = j.at("main").get<bool>();
  record.has_cef_query = j.at("has_cefQuery").get<bool>();
  record.context = OptionalField<int64_t>(j, "context");
  record.document = OptionalField<std::string>(j, "document");
}

void from_json(const nlohmann::json& j, QueryState& state) {
  const std::string name = j.get<std::string>();
  for (QueryState candidate : {QueryState::kPending, QueryState::kSuccess,
                               QueryState::kFailure, QueryState::kCanceled}) {
    if (name == QueryStateName(candidate)) {
      state = candidate;
      return;
    }
  }
  throw std::invalid_argument("unknown query state \"" + name + "\"");
}

void from_json(const nlohmann::json& j, QueryRecord& record) {
  record.query = j.at("query").get<int64_t>();
  record.frame = j.at("frame").get<int64_t>();
  record.request = j.at("request").get<std::string>();
  record.persistent = j.at("persistent").get<bool>();
  record.state = j.at("state").get<QueryState>();
  record.responses = j.at("responses").get<std::vector<std::string>>();
  record.error_code = OptionalField<int>(j, "error_code");
  record.error_message = OptionalField<std::string>(j, "error_message");
}

void from_json(const nlohmann::json& j, PopupRecord& record) {
  record.frame = OptionalField<int64_t>(j, "frame").value_or(0);  // null: no frame given
  record.url = j.at("url").get<std::string>();
  record.target = j.at("target").get<std::string>();
  record.disposition = DispositionName(j.at("disposition"));
  record.user_gesture = j.at("user_gesture").get<bool>();
  record.canceled = j.at("canceled").get<bool>();
  record.opened = j.at("opened").get<bool>();
  record.browser = OptionalField<int64_t>(j, "browser");
}

void from_json(const nlohmann::json& j, ScriptRecord& record) {
  record.code = j.at("code").get<std::string>();
  record.script_url = j.at("script_url").get<std::string>();
  record.start_line = j.at("start_line").get<int>();
  record.context = OptionalField<int64_t>(j, "context");
}

void from_json(const nlohmann::json& j, KeyRecord& record) {
  record.key_code = j.at("key_code").get<int>();
  record.modifiers = j.at("modifiers").get<int>();
  record.system = j.at("system").get<bool>();
}

}  // namespace e2e
