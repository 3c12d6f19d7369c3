// The test's side of the engine's page channel: acting as the page (frames,
// queries, navigation, pop-ups) and as the user (keys, closing), and
// reading back what the program did (scripts run, zoom level, keys).
#ifndef ZLM_TESTS_E2E_SUPPORT_PAGE_CHANNEL_H_
#define ZLM_TESTS_E2E_SUPPORT_PAGE_CHANNEL_H_

#include <windows.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "channel_result.h"
#include "page_records.h"
#include "pipe_line_client.h"
#include "wait.h"

namespace e2e {

class Process;

// Which browser and frame an operation addresses. Empty fields mean the
// engine's default: the oldest open browser and its main frame.
struct Target {
  std::optional<int> browser;
  std::optional<int64_t> frame;

  static Target Frame(int64_t frame_id) { return Target{{}, frame_id}; }
  static Target Browser(int browser_id) { return Target{browser_id, {}}; }
};

// Waits the engine applies for operations that wait for page events.
constexpr Millis kQueryWait{5000};
constexpr Millis kLoadWait{5000};
constexpr Millis kReadyWait{10000};

class PageChannel {
 public:
  PageChannel() = default;
  PageChannel(PageChannel&&) noexcept = default;
  PageChannel& operator=(PageChannel&&) noexcept = default;
  PageChannel(const PageChannel&) = delete;
  PageChannel& operator=(const PageChannel&) = delete;

  static std::wstring PipeName(unsigned long process_id);

  // Opens the channel of the process, waiting until it exists. With a
  // Process, gives up at once (naming the exit code) if it has ended.
  testing::AssertionResult Connect(unsigned long process_id,
                                   Millis timeout = kDefaultTimeout);
  testing::AssertionResult Connect(const Process& process,
                                   Millis timeout = kDefaultTimeout);
  bool IsConnected() const { return client_.IsOpen(); }
  void Disconnect() { client_.Close(); }

  // One request, one reply, whatever its "ok". The request gets an "id"
  // unless it has one; a reply with another id is an error. Fails only
  // when the exchange itself fails.
  ChannelResult<nlohmann::json> Call(nlohmann::json request,
                                     Millis reply_timeout = kDefaultTimeout);
  // A raw line each way, for requests that are not valid JSON.
  ChannelResult<std::string> CallRaw(const std::string& line,
                                     Millis reply_timeout = kDefaultTimeout);

  // Typed operations. Each fails with the engine's error text when the
  // reply is not "ok", or when the reply lacks a field.
  ChannelResult<unsigned long> Ping();
  ChannelResult<std::vector<BrowserRecord>> Browsers();
  ChannelResult<bool> WaitReady(Millis wait = kReadyWait);
  ChannelResult<std::vector<FrameRecord>> Frames(Target target = {});

  // A query sent by the frame's page with cefQuery. The record says
  // pending when no answer came within `wait`; follow up with
  // QueryStatus.
  ChannelResult<QueryRecord> Query(const std::string& request,
                                   Target target = {},
                                   bool persistent = false,
                                   Millis wait = kQueryWait);
  ChannelResult<QueryRecord> QueryStatus(int64_t query, int min_responses = 1,
                                         Millis wait = Millis(0));
  ChannelResult<bool> CancelQuery(int64_t query, Target target = {});

  ChannelResult<FrameLoad> AddFrame(const std::string& url,
                                    const std::string& name = {},
                                    Target parent = {},
                                    Millis wait = kLoadWait);
  // http_status: what the engine reports to OnLoadEnd.
  ChannelResult<bool> Navigate(const std::string& url, Target target = {},
                               Millis wait = kLoadWait, int http_status = 200);
  // The browser reloads its main frame's page.
  ChannelResult<bool> Reload(Target target = {}, Millis wait = kLoadWait);
  // Takes the engine's network down (every request fails with the error) or
  // brings it back; answers whether it is down now.
  ChannelResult<bool> SetNetwork(bool offline, std::optional<int> error_code = {});
  // Without a code and text the engine reports a name-resolution error.
  // |afterCommit|: the document commits, then its load fails.
  ChannelResult<bool> FailLoad(const std::string& url, Target target = {},
                               std::optional<int> error_code = {},
                               const std::string& error_text = {},
                               Millis wait = kLoadWait, bool afterCommit = false);
  // `disposition` is one of kDispositionNames; empty means a new tab. With
  // no_frame, OnBeforePopup is given no frame (as the real engine may do).
  // The reply comes once OnBeforePopup returned on the engine's IO thread.
  ChannelResult<PopupResult> RequestPopup(const std::string& url,
                                          Target target = {},
                                          const std::string& target_name = {},
                                          const std::string& disposition = {},
                                          bool user_gesture = true,
                                          bool no_frame = false);
  ChannelResult<std::vector<PopupRecord>> Popups(Target target = {});

  // Presses and releases `key_code` (a virtual-key code) in the page window
  // with the kShift/kControl/kAlt bits held; `repeat` key-downs, the later
  // ones auto-repeated. True when the last key-down reached the page.
  ChannelResult<bool> PressKey(int key_code, int modifiers = 0,
                               int repeat = 1, Target target = {});
  ChannelResult<std::vector<KeyRecord>> KeysThatReachedPage(
      Target target = {});

  ChannelResult<std::vector<ScriptRecord>> Scripts(Target target = {});
  ChannelResult<double> ZoomLevel(Target target = {});
  // Closes the browser window as the user would.
  ChannelResult<bool> CloseBrowser(Target target = {});
  // The browser's renderer process crashes; the next navigation starts a new one.
  ChannelResult<bool> CrashRenderer(Target target = {});
  // A plug-in of the page crashes (by default the Flash plug-in that the
  // command line names); the path the engine reported.
  ChannelResult<std::string> CrashPlugin(const std::string& pluginPath = "", Target target = {});

 private:
  // Sends `request` with the target's fields and returns the reply if it
  // is "ok". `engine_wait` is how long the engine may take before replying.
  ChannelResult<nlohmann::json> Op(nlohmann::json request,
                                   const Target& target,
                                   Millis engine_wait = Millis(0));

  PipeLineClient client_;
  int64_t next_id_ = 1;
};

HWND ToHwnd(uint64_t handle);

}  // namespace e2e

#endif  // ZLM_TESTS_E2E_SUPPORT_PAGE_CHANNEL_H_
