// The page channel end to end: the sample client runs as its own process, and
// the test drives it through its pipe as the page and the user would.

#include <windows.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "child_process.h"
#include "gtest/gtest.h"
#include "page_channel.h"
#include "pipe_client.h"

namespace standin_test {
namespace {

using nlohmann::json;

class PageChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sample_.Start(STANDIN_SAMPLE_EXE, L"--url=https://sample.example/start"));
    ASSERT_TRUE(pipe_.Connect(standin::PageChannelName(sample_.id()), 20000));
    json ready = Call({{"op", "wait_ready"}, {"wait_ms", 20000}});
    ASSERT_EQ(ready["ready"], true) << ready.dump();
    main_frame_ = Frames().at(0)["id"].get<int64_t>();
  }

  json Call(const json& request) { return Raw(request.dump()); }

  json Raw(const std::string& line) {
    std::string reply = pipe_.Call(line);
    json parsed = json::parse(reply, nullptr, false);
    EXPECT_FALSE(parsed.is_discarded()) << "reply: '" << reply << "'";
    return parsed;
  }

  json Frames() { return Call({{"op", "frames"}})["frames"]; }

  json Scripts(int64_t frame) { return Call({{"op", "scripts"}, {"frame", frame}})["scripts"]; }

  ChildProcess sample_;
  PipeClient pipe_;
  int64_t main_frame_ = 0;
};

TEST_F(PageChannelTest, QueriesGetTheClientsAnswersAndIdsCountFromOne) {
  struct Case {
    const char* request;
    const char* state;
    json responses;
    json error_code;
    json error_message;
  };
  const Case cases[] = {
      {"ping", "success", {"pong"}, nullptr, nullptr},
      {"fail", "failure", json::array(), 42, "failed on purpose"},
      {"nobody-answers-this", "failure", json::array(), -1, "The query has been canceled"},
  };
  int expected_id = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request);
    json reply = Call({{"op", "query"}, {"request", c.request}});
    EXPECT_EQ(reply["ok"], true);
    EXPECT_EQ(reply["query"], expected_id++);
    EXPECT_EQ(reply["frame"], main_frame_);
    EXPECT_EQ(reply["state"], c.state);
    EXPECT_EQ(reply["responses"], c.responses);
    EXPECT_EQ(reply["error_code"], c.error_code);
    EXPECT_EQ(reply["error_message"], c.error_message);
  }
}

TEST_F(PageChannelTest, PersistentQueryStaysOpenUntilCancelled) {
  json first = Call({{"op", "query"}, {"request", "count"}, {"persistent", true}});
  ASSERT_EQ(first["ok"], true);
  const int id = first["query"];
  json all = Call({{"op", "query_status"}, {"query", id}, {"min_responses", 3},
                   {"wait_ms", 5000}});
  EXPECT_EQ(all["state"], "pending");
  EXPECT_EQ(all["responses"], json({"1", "2", "3"}));

  EXPECT_EQ(Call({{"op", "cancel"}, {"query", id}})["canceled"], true);
  EXPECT_EQ(Call({{"op", "query_status"}, {"query", id}})["state"], "canceled");
  EXPECT_EQ(Call({{"op", "cancel"}, {"query", id}})["canceled"], false);
}

TEST_F(PageChannelTest, SubFramesNavigationAndRecordedScripts) {
  json added = Call({{"op", "add_frame"}, {"name", "ad"}, {"url", "https://ads.example/x"}});
  ASSERT_EQ(added["done"], true) << added.dump();
  const int64_t sub = added["frame"];
  json frames = Frames();
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0]["main"], true);
  EXPECT_EQ(frames[0]["parent"], nullptr);
  EXPECT_EQ(frames[1]["parent"], main_frame_);
  EXPECT_EQ(frames[1]["name"], "ad");
  EXPECT_EQ(frames[1]["url"], "https://ads.example/x");
  EXPECT_EQ(frames[1]["has_cefQuery"], true);
  EXPECT_EQ(Call({{"op", "query"}, {"frame", sub}, {"request", "ping"}})["frame"], sub);

  ASSERT_EQ(Call({{"op", "navigate"}, {"url", "https://sample.example/next"}})["done"], true);
  frames = Frames();
  ASSERT_EQ(frames.size(), 1u) << "a new main document drops the old sub-frames";
  EXPECT_EQ(frames[0]["url"], "https://sample.example/next");
  EXPECT_EQ(Call({{"op", "scripts"}, {"frame", sub}})["error"], "no such frame");

  json scripts = Scripts(main_frame_);
  ASSERT_EQ(scripts.size(), 2u) << scripts.dump();
  EXPECT_EQ(scripts[0]["code"], "window.sampleLoaded = true;");
  EXPECT_EQ(scripts[0]["script_url"], "https://sample.example/start");
  EXPECT_EQ(scripts[1]["script_url"], "https://sample.example/next");
  EXPECT_EQ(scripts[1]["start_line"], 0);
  EXPECT_NE(scripts[0]["context"], scripts[1]["context"]);

  json failed = Call({{"op", "fail_load"}, {"url", "https://down.example/"},
                      {"error_code", -105}, {"error_text", "net::ERR_NAME_NOT_RESOLVED"}});
  EXPECT_EQ(failed["done"], true);
  EXPECT_EQ(Frames()[0]["url"], "data:text/html,chromewebdata");
  EXPECT_EQ(Frames()[0]["document"], "");

  EXPECT_EQ(Call({{"op", "network"}, {"offline", true}})["offline"], true);
  Call({{"op", "navigate"}, {"url", "https://sample.example/again"}});
  EXPECT_EQ(Frames()[0]["url"], "data:text/html,chromewebdata");
  EXPECT_EQ(Call({{"op", "network"}, {"offline", false}})["offline"], false);
  Call({{"op", "navigate"}, {"url", "https://sample.example/again"}});
  EXPECT_EQ(Frames()[0]["url"], "https://sample.example/again");
  EXPECT_EQ(Frames()[0]["document"], nullptr);
}

TEST_F(PageChannelTest, PopupsKeysAndZoom) {
  json opened = Call({{"op", "popup"}, {"url", "https://pop.example/"}, {"target", "_blank"}});
  EXPECT_EQ(opened["canceled"], false);
  EXPECT_EQ(opened["opened"], true);
  json blocked = Call({{"op", "popup"}, {"url", "https://pop.example/"},
                       {"user_gesture", false}, {"disposition", "new_popup"}});
  EXPECT_EQ(blocked["canceled"], true);
  EXPECT_EQ(blocked["opened"], false);
  json popups = Call({{"op", "popups"}})["popups"];
  ASSERT_EQ(popups.size(), 2u);
  EXPECT_EQ(popups[1]["disposition"], "new_popup");
  EXPECT_EQ(popups[1]["frame"], main_frame_);

  struct Key {
    int code;
    json modifiers;
    bool reaches_page;
    unsigned flags;
    bool system;
  };
  const Key keys[] = {
      {0x74, json::array(), false, 0, false},                // F5: the sample takes it
      {0x41, json({"ctrl", "shift"}), true, 2 | 4, false},
      {0x58, 8, true, 8, true},                             // alt: a system key
  };
  json expected_page_keys = json::array();
  for (const Key& k : keys) {
    SCOPED_TRACE(k.code);
    json reply = Call({{"op", "key"}, {"key_code", k.code}, {"modifiers", k.modifiers}});
    EXPECT_EQ(reply["reached_page"], k.reaches_page) << reply.dump();
    if (k.reaches_page)
      expected_page_keys.push_back({{"key_code", k.code}, {"modifiers", k.flags}, {"system", k.system}});
  }
  EXPECT_EQ(Call({{"op", "keys"}})["keys"], expected_page_keys);
  EXPECT_EQ(Scripts(main_frame_).back()["code"], "location.reload();");

  EXPECT_EQ(Call({{"op", "zoom"}})["level"], 0.0);
  Call({{"op", "query"}, {"request", "zoom:1.5"}});
  EXPECT_EQ(Call({{"op", "zoom"}})["level"], 1.5);
}

TEST_F(PageChannelTest, BadRequestsGetErrorsAndTheChannelGoesOn) {
  struct Case {
    std::string line;
    const char* error;
  };
  const Case cases[] = {
      {"frames", "bad json"},
      {"{\"op\":", "bad json"},
      {"[1,2]", "bad request"},
      {"{\"id\":1}", "bad request"},
      {"{\"op\":7}", "bad request"},
      {"{\"op\":\"explode\"}", "unknown op"},
      {"{\"op\":\"query\"}", "bad field: request"},
      {"{\"op\":\"query\",\"request\":5}", "bad field: request"},
      {"{\"op\":\"query\",\"request\":\"ping\",\"frame\":\"main\"}", "bad field: frame"},
      {"{\"op\":\"query\",\"request\":\"ping\",\"frame\":12345}", "no such frame"},
      {"{\"op\":\"query_status\",\"query\":999}", "no such query"},
      {"{\"op\":\"query_status\"}", "bad field: query"},
      {"{\"op\":\"frames\",\"browser\":77}", "no browser"},
      {"{\"op\":\"key\",\"key_code\":0}", "bad field: key_code"},
      {"{\"op\":\"key\",\"key_code\":65,\"modifiers\":[\"hyper\"]}", "bad field: modifiers"},
      {"{\"op\":\"popup\",\"url\":\"x\",\"disposition\":\"sideways\"}", "bad field: disposition"},
      {"{\"op\":\"fail_load\",\"url\":\"x\",\"error_code\":-100000}", "bad field: error_code"},
      {"{\"op\":\"network\",\"offline\":true,\"error_code\":0}", "bad field: error_code"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    json reply = Raw(c.line);
    EXPECT_EQ(reply["ok"], false);
    EXPECT_EQ(reply["error"], c.error);
  }
  json echoed = Call({{"op", "ping"}, {"id", "abc"}});
  EXPECT_EQ(echoed["id"], "abc");
  EXPECT_EQ(echoed["pid"], sample_.id());

  std::string huge = "{\"op\":\"ping\",\"pad\":\"" + std::string(1100 * 1024, 'x') + "\"}";
  EXPECT_EQ(Raw(huge)["error"], "line too long");
  EXPECT_EQ(Call({{"op", "ping"}})["ok"], true);
}

TEST_F(PageChannelTest, ClientsMayComeAndGoAndOverlap) {
  const std::wstring name = standin::PageChannelName(sample_.id());
  PipeClient second;
  ASSERT_TRUE(second.Connect(name, 5000));
  EXPECT_NE(second.Call("{\"op\":\"ping\"}").find("\"ok\":true"), std::string::npos);
  pipe_.Close();
  second.Close();
  for (int round = 0; round < 3; ++round) {
    PipeClient next;
    ASSERT_TRUE(next.Connect(name, 5000));
    EXPECT_NE(next.Call("{\"op\":\"frames\"}").find("\"ok\":true"), std::string::npos);
  }
}

TEST_F(PageChannelTest, ClosingTheWindowEndsTheProcessWithZero) {
  json pending = Call({{"op", "query"}, {"request", "count"}, {"persistent", true}});
  ASSERT_EQ(pending["state"], "pending");
  EXPECT_EQ(Call({{"op", "close"}})["ok"], true);
  DWORD exit_code = 1;
  ASSERT_TRUE(sample_.Wait(20000, &exit_code));
  EXPECT_EQ(exit_code, 0u);
}

}  // namespace
}  // namespace standin_test
