// What the page channel reports, as plain records.
#ifndef ZLM_TESTS_E2E_SUPPORT_PAGE_RECORDS_H_
#define ZLM_TESTS_E2E_SUPPORT_PAGE_RECORDS_H_

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

// Key modifier bits as the engine's key events carry them.
constexpr int kShift = 2;
constexpr int kControl = 4;
constexpr int kAlt = 8;

struct BrowserRecord {
  int id = 0;
  uint64_t hwnd = 0;       // the browser window
  uint64_t page_hwnd = 0;  // its page child window
  std::string url;         // of the main frame
  bool popup = false;
  bool loading = false;
};

struct FrameRecord {
  int64_t id = 0;
  std::optional<int64_t> parent;  // none for the main frame
  std::string name;
  std::string url;
  bool main = false;
  bool has_cef_query = false;
  std::optional<int64_t> context;
  // Markup of a document made without the network (LoadString, error pages).
  std::optional<std::string> document;
};

enum class QueryState { kPending, kSuccess, kFailure, kCanceled };

struct QueryRecord {
  int64_t query = 0;  // the id cefQuery returned
  int64_t frame = 0;
  std::string request;
  bool persistent = false;
  QueryState state = QueryState::kPending;
  std::vector<std::string> responses;
  std::optional<int> error_code;
  std::optional<std::string> error_message;
};

struct FrameLoad {
  int64_t frame = 0;
  bool done = false;  // every load event of the new frame was delivered
};

struct PopupResult {
  bool canceled = false;  // OnBeforePopup returned true
  bool opened = false;    // a pop-up window would have been created
  bool done = false;      // OnBeforePopup returned within the engine's wait
};

struct PopupRecord {
  int64_t frame = 0;  // 0: OnBeforePopup was given no frame
  std::string url;
  std::string target;
  std::string disposition;  // one of kDispositionNames
  bool user_gesture = false;
  bool canceled = false;
  bool opened = false;
  std::optional<int64_t> browser;  // the pop-up browser the engine opened
};

struct ScriptRecord {
  std::string code;
  std::string script_url;
  int start_line = 0;
  std::optional<int64_t> context;
};

struct KeyRecord {
  int key_code = 0;
  int modifiers = 0;
  bool system = false;  // arrived as a system key (Alt held)
};

// Window-open dispositions by value, 0..10.
extern const char* const kDispositionNames[11];

const char* QueryStateName(QueryState state);

std::ostream& operator<<(std::ostream& out, QueryState state);
std::ostream& operator<<(std::ostream& out, const QueryRecord& record);
std::ostream& operator<<(std::ostream& out, const FrameRecord& record);
std::ostream& operator<<(std::ostream& out, const ScriptRecord& record);
std::ostream& operator<<(std::ostream& out, const KeyRecord& record);

// Reading records out of replies; a missing or mistyped field throws
// an exception derived from std::exception.
void from_json(const nlohmann::json& j, BrowserRecord& record);
void from_json(const nlohmann::json& j, FrameRecord& record);
void from_json(const nlohmann::json& j, QueryState& state);
void from_json(const nlohmann::json& j, QueryRecord& record);
void from_json(const nlohmann::json& j, PopupRecord& record);
void from_json(const nlohmann::json& j, ScriptRecord& record);
void from_json(const nlohmann::json& j, KeyRecord& record);

}  // namespace e2e

#endif  // ZLM_TESTS_E2E_SUPPORT_PAGE_RECORDS_H_
