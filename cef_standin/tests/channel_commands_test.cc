// The page channel's request layer in-process: bounded waits, pending queries
// fetched later, and what reaches the engine from a request.

#include <nlohmann/json.hpp>

#include "channel_commands.h"
#include "engine_fixture.h"

namespace standin_test {
namespace {

using nlohmann::json;

// Runs work at once (the test is on the UI thread) and lets the loop run while
// the channel waits, as the pipe's own host does from its thread.
class InProcessHost : public standin::ChannelHost {
 public:
  bool RunOnUi(const std::function<void()>& work) override {
    work();
    return true;
  }
  bool Wait(int ms) override {
    standin::PumpUntil([] { return false; }, ms);
    return true;
  }
};

class ChannelCommandsTest : public EngineTest {
 protected:
  json Call(const json& request) {
    std::string reply = standin::HandleChannelLine(request.dump(), host_);
    EXPECT_EQ(reply.find('\n'), std::string::npos);
    return json::parse(reply);
  }

  InProcessHost host_;
};

TEST_F(ChannelCommandsTest, QueryStillOpenIsPendingAndItsOutcomeCanBeFetchedLater) {
  Open();
  CefRefPtr<CefMessageRouterBrowserSide::Callback> held;
  client_->on_query = [&](const std::string&, bool,
                          CefRefPtr<CefMessageRouterBrowserSide::Callback> callback) {
    held = callback;
    return true;
  };
  json first = Call({{"op", "query"}, {"request", "slow"}, {"wait_ms", 200}, {"id", 9}});
  EXPECT_EQ(first["id"], 9);
  EXPECT_EQ(first["state"], "pending");
  EXPECT_EQ(first["error_code"], nullptr);
  const int id = first["query"];
  ASSERT_TRUE(held);

  EXPECT_EQ(Call({{"op", "query_status"}, {"query", id}})["state"], "pending");
  held->Success("done at last");
  json later = Call({{"op", "query_status"}, {"query", id}, {"wait_ms", 5000}});
  EXPECT_EQ(later["state"], "success");
  EXPECT_EQ(later["responses"], json({"done at last"}));
}

TEST_F(ChannelCommandsTest, WaitsAreBoundedEvenWhenAskedForTooLong) {
  Open();
  client_->on_query = [](const std::string&, bool,
                         CefRefPtr<CefMessageRouterBrowserSide::Callback>) { return true; };
  json reply = Call({{"op", "query"}, {"request", "never"}, {"wait_ms", -5}});
  EXPECT_EQ(reply["state"], "pending") << "a negative wait is no wait";
  reply = Call({{"op", "query_status"}, {"query", reply["query"]}, {"min_responses", 0},
                {"wait_ms", 999999999}});
  EXPECT_EQ(reply["state"], "pending") << "zero responses wanted: answered at once";
}

TEST_F(ChannelCommandsTest, OperationsReachTheEngine) {
  Open("https://site.example/");
  json browsers = Call({{"op", "browsers"}})["browsers"];
  ASSERT_EQ(browsers.size(), 1u);
  EXPECT_EQ(browsers[0]["id"], BrowserId());
  EXPECT_EQ(browsers[0]["hwnd"],
            reinterpret_cast<std::uintptr_t>(client_->browser->GetHost()->GetWindowHandle()));
  EXPECT_EQ(browsers[0]["url"], "https://site.example/");
  EXPECT_EQ(Call({{"op", "wait_ready"}, {"wait_ms", 0}})["ready"], true);

  client_->browser->GetHost()->SetZoomLevel(2.5);
  EXPECT_EQ(Call({{"op", "zoom"}})["level"], 2.5);

  client_->taken_keys = {VK_F11};
  EXPECT_EQ(Call({{"op", "key"}, {"key_code", VK_F11}, {"repeat", 2}})["reached_page"], false);
  EXPECT_EQ(Call({{"op", "key"}, {"key_code", 'Z'}, {"modifiers", 2}})["reached_page"], true);
  EXPECT_EQ(Call({{"op", "keys"}})["keys"],
            json::array({{{"key_code", 'Z'}, {"modifiers", 2}, {"system", false}}}));

  EXPECT_EQ(Call({{"op", "close"}})["ok"], true);
  Pump([&] { return client_->closed; });
  EXPECT_EQ(Call({{"op", "frames"}})["error"], "no browser");
  EXPECT_EQ(Call({{"op", "wait_ready"}, {"wait_ms", 0}})["ready"], false);
}

TEST(ChannelEngineTest, ReportsTheSettingsAndTheCommandLineTheEngineRunsWith) {
  CefSettings settings;
  settings.no_sandbox = 1;
  settings.persist_user_preferences = 1;
  settings.log_severity = LOGSEVERITY_DISABLE;
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring cache = std::wstring(temp) + L"standin-engine-op-cache";
  CefString(&settings.cache_path) = cache;
  ASSERT_TRUE(CefInitialize(CefMainArgs(GetModuleHandleW(nullptr)), settings, nullptr, nullptr));
  InProcessHost host;
  json reply = json::parse(standin::HandleChannelLine(R"({"op":"engine"})", host));
  CefShutdown();
  RemoveDirectoryW(cache.c_str());

  EXPECT_EQ(reply["initialized"], true);
  EXPECT_EQ(reply["settings"]["no_sandbox"], 1);
  EXPECT_EQ(reply["settings"]["persist_user_preferences"], 1);
  EXPECT_EQ(reply["settings"]["persist_session_cookies"], 0);
  EXPECT_EQ(reply["settings"]["log_severity"], 99);
  EXPECT_EQ(reply["settings"]["cache_path"], CefString(cache).ToString());
  ASSERT_TRUE(reply["command_line"].is_array());
  EXPECT_FALSE(reply["command_line"].empty()) << "the program comes first";
}

TEST_F(EngineTest, RefusesEveryBrowserWhenToldToForTests) {
  SetEnvironmentVariableW(L"ZLM_STANDIN_REFUSE_BROWSERS", L"1");
  CefWindowInfo info;
  info.SetAsPopup(NULL, "refused");
  const bool created =
      CefBrowserHost::CreateBrowser(info, client_.get(), "https://site.example/",
                                    CefBrowserSettings(), NULL);
  SetEnvironmentVariableW(L"ZLM_STANDIN_REFUSE_BROWSERS", nullptr);
  EXPECT_FALSE(created);
  Settle();
  EXPECT_FALSE(client_->browser);
}

}  // namespace
}  // namespace standin_test
