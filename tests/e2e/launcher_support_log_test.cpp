// The support log as support would ask a player for it: turned on by the
// switch or by a file beside the launcher, with the trace lines of start-up
// and of the page bridge, the engine's warnings routed into it, and never a
// login in it.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "product_config.h"
#include "running_launcher.h"
#include "support/utf_convert.h"

namespace {

using e2e::QueryState;

enum class AskedBy { kNothing, kSwitch, kRequestFile };

// A password and a user name that appear nowhere else, as the page sends
// them (percent-encoded) and as they are stored.
const char kUser[] = "zq-player-7731";
const char kPasswordSent[] = "Pw%2D9xk%21%C3%A9";
const char kPassword[] = "Pw-9xk!\xC3\xA9";

TEST(LauncherSupportLogTest, WrittenOnlyWhenAskedForAndNeverWithALogin) {
  for (const AskedBy asked : {AskedBy::kSwitch, AskedBy::kRequestFile, AskedBy::kNothing}) {
    SCOPED_TRACE(asked == AskedBy::kSwitch ? "switch" : asked == AskedBy::kRequestFile ? "file" : "none");
    e2e::TempDir dir;
    ASSERT_TRUE(dir.CopyProgramIn(LAUNCHER_EXE));
    if (asked == AskedBy::kRequestFile) {
      ASSERT_TRUE(dir.WriteBytes(L"zlm-log.txt", "please"));
    }
    e2e::Process launcher;
    ASSERT_TRUE(launcher.Start(dir.PathOf(e2e::FileNameOf(LAUNCHER_EXE)),
                               asked == AskedBy::kSwitch ? L"--zlm-log" : L"", dir.path()));
    e2e::PageChannel channel;
    ASSERT_TRUE(channel.Connect(launcher));
    auto ready = channel.WaitReady();
    ASSERT_TRUE(ready.ok() && *ready) << "the start page never got cefQuery";

    for (const std::string& request : {std::string("acc:add:") + kUser + "|" + kPasswordSent,
                                       std::string("acc:getpass:") + kUser,
                                       std::string("acc:list")}) {
      auto answer = channel.Query(request);
      ASSERT_TRUE(answer.ok());
      EXPECT_EQ(answer->state, QueryState::kSuccess) << *answer;
    }
    auto engine = channel.Call({{"op", "engine"}});
    ASSERT_TRUE(engine.ok());
    const nlohmann::json& settings = (*engine)["settings"];
    ASSERT_TRUE(channel.CloseBrowser().ok());
    EXPECT_EQ(launcher.WaitForExit(), std::optional<int>(0));

    if (asked == AskedBy::kNothing) {
      EXPECT_FALSE(dir.Exists(L"launcher.log"));
      EXPECT_EQ(settings["log_severity"], 99) << "the engine's log stays off";
      continue;
    }
    // The engine writes its warnings into the same file.
    EXPECT_EQ(settings["log_file"], e2e::WideToUtf8(dir.PathOf(L"launcher.log")));
    EXPECT_EQ(settings["log_severity"], 3);  // LOGSEVERITY_WARNING
    const std::optional<std::string> log = dir.ReadBytes(L"launcher.log");
    ASSERT_TRUE(log.has_value());
    const std::string tag = " [browser " + std::to_string(launcher.id()) + "] ";
    for (const std::string& expected :
         {tag + "v3 startup app=x86 flash=unknown site=" + ZLM_SITE_URL + "\r\n",
          tag + "v3 switches applied; process= flash_path=", tag + "launcher url=",
          tag + "bridge acc:add:\r\n", tag + "bridge acc:getpass:\r\n", tag + "bridge acc:list\r\n"})
      EXPECT_NE(log->find(expected), std::string::npos) << "no \"" << expected << "\" in\n" << *log;
    for (const char* secret : {kUser, kPasswordSent, kPassword, "9xk"})
      EXPECT_EQ(log->find(secret), std::string::npos) << secret << " is in\n" << *log;
  }
}

}  // namespace
