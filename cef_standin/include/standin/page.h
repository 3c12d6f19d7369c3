// Page and user operations of the stand-in engine, for tests: the page channel's
// operations as C++ calls. Every function must be called on the engine's UI thread
// (the thread that called CefInitialize) while the engine is initialised; callbacks
// they cause run later, from the message loop, exactly as with a real page.
#ifndef CEF_STANDIN_INCLUDE_STANDIN_PAGE_H_
#define CEF_STANDIN_INCLUDE_STANDIN_PAGE_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace standin {

// Empty error: success. Otherwise one of the page channel's error texts
// ("no browser", "no such frame", "no cefQuery", "no such query", "bad field: <name>").
struct Status {
  std::string error;
  bool ok() const { return error.empty(); }
};

// Browser ids are CefBrowser::GetIdentifier values; 0 selects the oldest open
// browser. Frame ids are CefFrame::GetIdentifier values; 0 selects the main frame.
struct BrowserInfo {
  int id = 0;
  std::uintptr_t hwnd = 0;       // the browser window (GetWindowHandle)
  std::uintptr_t page_hwnd = 0;  // the child window standing in for the page
  std::string url;               // main frame URL
  bool popup = false;
  bool loading = false;
};

struct FrameInfo {
  std::int64_t id = 0;
  std::int64_t parent = 0;  // 0 for the main frame
  std::string name;
  std::string url;
  bool main = false;
  bool has_query = false;   // the current context holds cefQuery
  int context = 0;          // current script context id, 0 without one
  // The markup of a document made without the network (LoadString, or the
  // empty error document of a failed load); nothing for a network document.
  std::optional<std::string> document;
};

struct ScriptRecord {
  std::string code;
  std::string script_url;
  int start_line = 0;
  int context = 0;  // context current in the frame when it ran, 0 without one
  bool after_load = false;  // ran after the document's OnLoadEnd began
};

enum class QueryState { kPending, kSuccess, kFailure, kCanceled };

struct QueryRecord {
  int id = 0;  // the request id cefQuery returned
  std::int64_t frame = 0;
  std::string request;
  bool persistent = false;
  QueryState state = QueryState::kPending;
  std::vector<std::string> responses;
  bool has_error = false;
  int error_code = 0;
  std::string error_message;
};

struct KeyRecord {
  int key_code = 0;
  unsigned modifiers = 0;  // EVENTFLAG_* bits
  bool system = false;     // arrived as WM_SYSKEYDOWN
};

struct PopupRequest {
  std::string url;
  std::string target;
  int disposition = 4;  // WOD_NEW_FOREGROUND_TAB
  bool user_gesture = true;
  bool no_frame = false;  // OnBeforePopup gets a NULL frame, as 2623 may give
};

struct PopupRecord {
  std::int64_t frame = 0;  // 0 when OnBeforePopup got no frame
  PopupRequest request;
  bool done = false;      // OnBeforePopup returned (it runs on the IO thread)
  bool canceled = false;  // OnBeforePopup returned true
  bool opened = false;    // a pop-up browser was created
  int browser = 0;        // its id, 0 when none was
};

const char* QueryStateName(QueryState state);

std::vector<BrowserInfo> ListBrowsers();
Status ListFrames(int browser, std::vector<FrameInfo>* frames);

// Calls the frame's window.cefQuery; the outcome arrives through the message loop.
Status SendQuery(int browser, std::int64_t frame, const std::string& request,
                 bool persistent, int* query_id);
// The exception to the UI-thread rule: any thread, until CefShutdown, also after
// the query's browser closed.
Status GetQuery(int query_id, QueryRecord* record);
// Calls the frame's window.cefQueryCancel(query_id).
Status CancelQuery(int browser, std::int64_t frame, int query_id, bool* canceled);

// Navigations report a ticket; NavigationDone tells when all its events ran (or a
// later navigation of the same frame replaced it).
Status AddFrame(int browser, std::int64_t parent, const std::string& name,
                const std::string& url, std::int64_t* frame, int* navigation);
// http_status: what OnLoadEnd reports (100..599).
Status Navigate(int browser, std::int64_t frame, const std::string& url,
                int* navigation, int http_status = 200);
// The browser's Reload, as the page's location.reload() would ask for it.
Status Reload(int browser, int* navigation);
Status FailLoad(int browser, std::int64_t frame, const std::string& url,
                int error_code, const std::string& error_text, int* navigation,
                bool after_commit = false);
bool NavigationDone(int navigation);
// Takes the network down (every request that goes out fails with the error)
// or brings it back (offline false; the error is ignored).
Status SetNetwork(bool offline, int error_code, const std::string& error_text);

// OnBeforePopup runs on the IO thread; the record at *index of ListPopups is
// done once its answer came back to the UI thread.
Status RequestPopup(int browser, std::int64_t frame, const PopupRequest& request,
                    int* index);
Status ListPopups(int browser, std::vector<PopupRecord>* popups);

// The browser's renderer process crashes (see the page channel's crash_renderer).
Status CrashRenderer(int browser);
// A plug-in process of the browser's page crashes: OnPluginCrashed(browser,
// plugin_path) follows from the loop. An empty |plugin_path| names the Flash
// plug-in of the command line (--ppapi-flash-path); *used is the path given.
Status CrashPlugin(int browser, const std::string& plugin_path, std::string* used);

// Sends WM_KEYDOWN (WM_SYSKEYDOWN with alt) `repeat` times, then the key-up, to the
// page window while the thread's key state holds the modifiers (EVENTFLAG_* bits).
Status PressKey(int browser, int key_code, unsigned modifiers, int repeat,
                bool* reached_page);
Status PageKeys(int browser, std::vector<KeyRecord>* keys);

Status ListScripts(int browser, std::int64_t frame, std::vector<ScriptRecord>* scripts);
// The zoom level of the host the browser's main frame shows (zoom is per host).
Status ZoomLevel(int browser, double* level);

// The page the page window draws (see the README's demonstration page): its
// buttons, where they are in the page window, and the lines its list shows.
struct DemoButtonInfo {
  std::string label;
  std::string request;
  int x = 0, y = 0, width = 0, height = 0;
};
Status GetDemoPage(int browser, std::vector<DemoButtonInfo>* buttons,
                   std::vector<std::string>* log);

// Posts WM_CLOSE to the browser window.
Status CloseBrowserWindow(int browser);

// Runs the message loop until done() holds or timeout_ms passed; returns done().
bool PumpUntil(const std::function<bool()>& done, int timeout_ms);

}  // namespace standin

#endif  // CEF_STANDIN_INCLUDE_STANDIN_PAGE_H_
