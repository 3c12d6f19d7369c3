// Process model and the engine's life: CefExecuteProcess, CefInitialize,
// CefRunMessageLoop / CefQuitMessageLoop, CefShutdown.

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "child_process.h"
#include "command_line_impl.h"
#include "engine_fixture.h"
#include "include/cef_command_line.h"
#include "include/cef_task.h"

namespace standin_test {
namespace {

CefMainArgs MainArgs() {
  return CefMainArgs(GetModuleHandleW(nullptr));
}

TEST(ExecuteProcessTest, BrowserProcessGetsMinusOneAndTheAppIsNotCalled) {
  Events().clear();
  CefRefPtr<TestApp> app = new TestApp();
  EXPECT_EQ(CefExecuteProcess(MainArgs(), app.get(), nullptr), -1);
  EXPECT_TRUE(Events().empty());
}

// Plays another process's command line for the length of a test.
class ScopedProcessCommandLine {
 public:
  explicit ScopedProcessCommandLine(const wchar_t* line) {
    CefCommandLineImpl::ResetGlobalFromString(line);
  }
  ~ScopedProcessCommandLine() { CefCommandLineImpl::ResetGlobalFromString(GetCommandLineW()); }
};

TEST(ExecuteProcessTest, TypeSwitchMakesASubProcessThatGetsACopyOfItsCommandLine) {
  struct Case {
    const wchar_t* line;
    int exit_code;
    const char* type;  // null: browser process, the app is not called
  };
  const Case cases[] = {
      {L"app.exe --type=renderer --lang=en", 0, "renderer"},
      {L"app.exe /type=gpu-process --lang=en", 0, "gpu-process"},
      {L"app.exe --TYPE=utility --lang=en", 0, "utility"},
      {L"app.exe --type= --lang=en", -1, nullptr},
      {L"app.exe --lang=en -- --type=renderer", -1, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.type ? c.type : "browser"));
    ScopedProcessCommandLine process(c.line);
    Events().clear();
    CefRefPtr<TestApp> app = new TestApp();
    EXPECT_EQ(CefExecuteProcess(MainArgs(), app.get(), nullptr), c.exit_code);
    if (!c.type) {
      EXPECT_TRUE(Events().empty());
      continue;
    }
    EXPECT_EQ(Events(), std::vector<std::string>{"OnBeforeCommandLineProcessing '" +
                                                 std::string(c.type) + "'"});
    ASSERT_TRUE(app->command_line);
    EXPECT_EQ(app->command_line->GetSwitchValue("lang").ToString(), "en");
    EXPECT_FALSE(CefCommandLine::GetGlobalCommandLine()->HasSwitch("standin-test"))
        << "the app changed a copy";
  }
}

TEST(ExecuteProcessTest, SubProcessRunsTheAppWithItsTypeAndExitsWithZero) {
  const char* const types[] = {"renderer", "gpu-process"};
  for (const char* type : types) {
    SCOPED_TRACE(type);
    const std::wstring report = TempFilePath(L"sub");
    std::wstring arguments = L"--type=" + std::wstring(type, type + strlen(type)) +
                             L" --standin-report=\"" + report + L"\"";
    ChildProcess child;
    ASSERT_TRUE(child.Start(STANDIN_SAMPLE_EXE, arguments));
    DWORD exit_code = 1;
    ASSERT_TRUE(child.Wait(20000, &exit_code)) << "a sub-process must not open a window";
    EXPECT_EQ(exit_code, 0u);
    std::ifstream in(report.c_str(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), type);
    in.close();
    DeleteFileW(report.c_str());
  }
}

TEST(InitializeTest, RefusesASettingsStructOfAnotherSize) {
  Events().clear();
  CefRefPtr<TestApp> app = new TestApp();
  CefSettings settings;
  settings.size -= 4;
  EXPECT_FALSE(CefInitialize(MainArgs(), settings, app.get(), nullptr));
  EXPECT_TRUE(Events().empty());
  CefWindowInfo info;
  EXPECT_FALSE(CefBrowserHost::CreateBrowser(info, new TestClient(), "https://x.example/",
                                             CefBrowserSettings(), NULL))
      << "no browser without an engine";
}

// As in 2623 with the single-threaded loop: OnContextInitialized runs inside
// CefInitialize, a browser asked for there comes once the loop runs, and a
// quit made before the loop is lost.
TEST(InitializeTest, RunsCommandLineHookAndContextInitializedBeforeReturning) {
  Events().clear();
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring root = std::wstring(temp) + L"standin-cache-" +
                            std::to_wstring(GetCurrentProcessId());
  const std::wstring cache = root + L"\\a\\b";
  struct EarlyApp : public TestApp {
    CefRefPtr<TestClient> client = new TestClient();
    bool created = false;
    void OnContextInitialized() override {
      TestApp::OnContextInitialized();
      CefWindowInfo info;
      info.SetAsPopup(NULL, "early");
      created = CefBrowserHost::CreateBrowser(info, client.get(), "https://early.example/",
                                              CefBrowserSettings(), NULL);
      Record(std::string("browsers now: ") + std::to_string(standin::ListBrowsers().size()));
      CefQuitMessageLoop();  // lost: no loop runs yet
    }
  };
  CefRefPtr<EarlyApp> app = new EarlyApp();
  CefSettings settings;
  cef_string_set(cache.c_str(), cache.size(), &settings.cache_path, true);
  ASSERT_TRUE(CefInitialize(MainArgs(), settings, app.get(), nullptr));

  EXPECT_EQ(Events(), (std::vector<std::string>{"OnBeforeCommandLineProcessing ''",
                                                "OnContextInitialized", "browsers now: 0"}));
  EXPECT_TRUE(app->created);
  ASSERT_TRUE(app->command_line);
  EXPECT_FALSE(app->command_line->IsValid()) << "only valid during the call";
  EXPECT_EQ(CefCommandLine::GetGlobalCommandLine()->GetSwitchValue("standin-test").ToString(),
            "on")
      << "the browser process's own command line took the app's switch";
  EXPECT_NE(GetFileAttributesW(cache.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(CefInitialize(MainArgs(), settings, app.get(), nullptr)) << "already running";

  // Quits outside the running loop are lost: before it, and from another thread.
  CefQuitMessageLoop();
  std::thread([] { CefQuitMessageLoop(); }).join();
  EXPECT_FALSE(CefPostTask(TID_UI, nullptr));
  struct QuitOnceLoaded : public CefTask {
    CefRefPtr<TestClient> client;
    explicit QuitOnceLoaded(CefRefPtr<TestClient> c) : client(c) {}
    void Execute() override {
      if (!client->browser || client->browser->IsLoading() ||
          !Happened("OnLoadingStateChange 0")) {
        CefPostDelayedTask(TID_UI, this, 10);
        return;
      }
      Record("quit");
      CefQuitMessageLoop();
    }
    IMPLEMENT_REFCOUNTING(QuitOnceLoaded);
  };
  EXPECT_TRUE(CefPostTask(TID_UI, new QuitOnceLoaded(app->client)));
  CefRunMessageLoop();
  EXPECT_TRUE(Happened("OnAfterCreated")) << "the browser came from the loop";
  EXPECT_EQ(Events().back(), "quit") << "the loop ran until the quit made inside it";
  app->client->browser->GetHost()->CloseBrowser(true);
  standin::PumpUntil([&] { return app->client->closed; }, 5000);
  app->client->browser = NULL;
  CefShutdown();
  RemoveDirectoryW(cache.c_str());
  RemoveDirectoryW((root + L"\\a").c_str());
  RemoveDirectoryW(root.c_str());
}

TEST(InitializeTest, CanStartAgainAfterShutdown) {
  for (int round = 0; round < 2; ++round) {
    CefRefPtr<TestApp> app = new TestApp();
    ASSERT_TRUE(CefInitialize(MainArgs(), CefSettings(), app.get(), nullptr));
    EXPECT_TRUE(CefCurrentlyOn(TID_UI));
    CefShutdown();
    EXPECT_FALSE(CefCurrentlyOn(TID_UI));
  }
}

// 2623 opens its log at start-up and keeps it for the life of the process:
// appending, with read and write sharing and no delete sharing, so nobody can
// rename or delete it meanwhile. Below the settings' severity nothing goes in.
TEST(InitializeTest, TheLogFileIsHeldAndGetsMessagesFromTheSettingsSeverityOn) {
  const std::wstring log = TempFilePath(L"zlg");
  const std::wstring aside = log + L".aside";
  CefSettings settings;
  settings.log_severity = LOGSEVERITY_WARNING;
  CefString(&settings.log_file) = log;
  ASSERT_TRUE(CefInitialize(MainArgs(), settings, new TestApp(), nullptr));
  cef_log("dir\\some_file.cc", 12, 0, "an info line");
  cef_log("dir/other_file.cc", 34, 1, "a warning line");
  EXPECT_FALSE(MoveFileExW(log.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING));
  CefShutdown();
  EXPECT_FALSE(MoveFileExW(log.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING))
      << "the engine lets go of its log only when the process ends";

  std::string written(4096, '\0');
  {
    HANDLE file = CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD read = 0;
    ReadFile(file, &written[0], static_cast<DWORD>(written.size()), &read, nullptr);
    CloseHandle(file);
    written.resize(read);
  }
  EXPECT_EQ(written.find("an info line"), std::string::npos) << written;
  const std::string tail = ":WARNING:other_file.cc(34)] a warning line\n";
  ASSERT_GT(written.size(), tail.size()) << written;
  EXPECT_EQ(written.substr(written.size() - tail.size()), tail);
  EXPECT_EQ(written.front(), '[');

  // Only the stand-in starts again; a start with the log disabled opens none.
  settings.log_severity = LOGSEVERITY_DISABLE;
  ASSERT_TRUE(CefInitialize(MainArgs(), settings, new TestApp(), nullptr));
  CefShutdown();
  EXPECT_TRUE(DeleteFileW(log.c_str()));
}

}  // namespace
}  // namespace standin_test
