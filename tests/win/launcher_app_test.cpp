// LauncherApp as CEF drives it in any process, without a running engine.

#include "app/launcher_app.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/process_values.h"
#include "app/trace.h"
#include "browser/main_window.h"
#include "include/cef_command_line.h"
#include "include/cef_process_message.h"
#include "product_config.h"

namespace {

std::vector<std::string> g_trace;
void CollectTrace(const std::string& line) { g_trace.push_back(line); }

class LauncherAppTest : public testing::Test {
 protected:
  void SetUp() override {
    savedExeDir_ = exeDir;
    previousSink_ = SetTraceSink(&CollectTrace);
    g_trace.clear();
  }
  void TearDown() override {
    exeDir = savedExeDir_;
    SetTraceSink(previousSink_);
  }
  std::wstring savedExeDir_;
  TraceSink previousSink_ = nullptr;
};

TEST_F(LauncherAppTest, AppendsTheTwelveSwitchesInOrderInEveryProcess) {
  exeDir = L"C:\\Games\\Zelmora Launcher";
  const std::wstring ua =
      L"Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
      L"Chrome/50.0.2661.102 UBrowser/6.0.1308.1016 Safari/537.36";
  const std::vector<std::wstring> expected = {
      L"--user-agent=" + ua,
      L"--enable-system-flash=1",
      L"--plugin-policy=allow",
      L"--ppapi-flash-version=32.0.0.465",
      L"--run-all-plugins-auto",
      L"--allow-outdated-plugins",
      L"--always-authorize-plugins",
      L"--enable-plugin-placeholder-testing",
      L"--profile.default_content_setting_values.plugins=1",
      L"--profile.managed_default_content_settings.plugins=1",
      L"--disable-blink-features=AutomationControlled",
      L"--ppapi-flash-path=C:\\Games\\Zelmora Launcher\\pepflashplayer.dll",
  };
  for (const char* type : {"", "renderer", "gpu-process"}) {
    SCOPED_TRACE(type);
    CefRefPtr<LauncherApp> app(new LauncherApp());
    CefRefPtr<CefCommandLine> commandLine = CefCommandLine::CreateCommandLine();
    commandLine->SetProgram("ZelmoraLauncher.exe");
    app->OnBeforeCommandLineProcessing(type, commandLine);

    std::vector<CefString> argv;
    commandLine->GetArgv(argv);
    ASSERT_EQ(argv.size(), expected.size() + 1);
    for (size_t i = 0; i < expected.size(); ++i)
      EXPECT_EQ(argv[i + 1].ToWString(), expected[i]) << i;
  }
  ASSERT_EQ(g_trace.size(), 3u);
  EXPECT_EQ(g_trace[1],
            "v3 switches applied; process=renderer flash_path=C:\\Games\\Zelmora "
            "Launcher\\pepflashplayer.dll");
}

TEST_F(LauncherAppTest, ServesBothProcessKindsAndIgnoresMessagesBeforeAnyContext) {
  CefRefPtr<LauncherApp> app(new LauncherApp());
  EXPECT_EQ(app->GetBrowserProcessHandler().get(), static_cast<CefBrowserProcessHandler*>(app.get()));
  EXPECT_EQ(app->GetRenderProcessHandler().get(), static_cast<CefRenderProcessHandler*>(app.get()));
  EXPECT_EQ(app->GetResourceBundleHandler().get(), nullptr);
  EXPECT_FALSE(app->OnProcessMessageReceived(nullptr, PID_BROWSER,
                                             CefProcessMessage::Create("cefQueryMsg")));
}

TEST_F(LauncherAppTest, BrowserThatCannotBeCreatedMarksTheRunFailed) {
  // No engine is running here, so creating the browser is refused.
  mainBrowserFailed = false;
  CefRefPtr<LauncherApp> app(new LauncherApp());
  app->OnContextInitialized();
  EXPECT_TRUE(mainBrowserFailed);
  ASSERT_EQ(g_trace.size(), 1u);
  EXPECT_EQ(g_trace[0], std::string("launcher url=") + ZLM_SITE_URL);
  mainBrowserFailed = false;
}

}  // namespace
