// A launcher started in a fresh folder, its page ready, driven through the
// stand-in engine's page channel; closing its window must end it with 0.
#ifndef ZLM_TESTS_E2E_RUNNING_LAUNCHER_H_
#define ZLM_TESTS_E2E_RUNNING_LAUNCHER_H_

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "support/page_channel.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/wait.h"
#include "support/window_info.h"

// The whole file, or empty when it cannot be read.
inline std::string ReadWholeFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Another process of the launcher's file than |except|; 0 when none runs.
inline unsigned long OtherLauncherProcess(unsigned long except) {
  for (unsigned long id : e2e::FindProcessIds(e2e::FileNameOf(LAUNCHER_EXE)))
    if (id != except)
      return id;
  return 0;
}

// Waits for the restarting launcher `old` to end with 0, then attaches the copy
// it started in `copy`; returns the copy's window once it has one.
inline std::optional<e2e::WindowInfo> RestartedCopy(e2e::Process& old, e2e::Process& copy) {
  const auto code = old.WaitForExit();
  if (code != std::optional<int>(0)) {
    ADD_FAILURE() << "the restarting launcher " << old.id() << " did not end with 0";
    return std::nullopt;
  }
  unsigned long copyId = 0;
  if (!e2e::PollUntil([&] { return (copyId = OtherLauncherProcess(old.id())) != 0; })) {
    ADD_FAILURE() << "launcher " << old.id() << " started no copy";
    return std::nullopt;
  }
  if (!copy.Attach(copyId)) {
    ADD_FAILURE() << "the copy " << copyId << " could not be opened";
    return std::nullopt;
  }
  auto window = e2e::WaitForTopLevelWindow(copyId);
  if (!window) ADD_FAILURE() << "the restarted copy opened no window";
  return window;
}

// The launcher's processes and their top-level windows.
struct LauncherCount {
  std::size_t processes = 0;
  std::size_t windows = 0;
};
inline LauncherCount CountLaunchers() {
  LauncherCount count;
  for (unsigned long id : e2e::FindProcessIds(e2e::FileNameOf(LAUNCHER_EXE))) {
    ++count.processes;
    count.windows += e2e::TopLevelWindows(id).size();
  }
  return count;
}

class RunningLauncherTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.IsValid()) << dir_.error();
    ASSERT_TRUE(dir_.CopyProgramIn(LAUNCHER_EXE));
    exe_ = dir_.PathOf(e2e::FileNameOf(LAUNCHER_EXE));
    ASSERT_NO_FATAL_FAILURE(PrepareExecutable(exe_));
    ASSERT_TRUE(launcher_.Start(exe_, {}, dir_.path()));
    ASSERT_TRUE(channel_.Connect(launcher_));
    auto ready = channel_.WaitReady();
    ASSERT_TRUE(ready.ok());
    ASSERT_TRUE(*ready) << "the start page never got cefQuery";
  }

  void TearDown() override {
    if (launcher_.IsRunning()) {
      channel_.CloseBrowser();
      const auto code = launcher_.WaitForExit();
      ASSERT_TRUE(code.has_value()) << "the launcher did not end after its window closed";
      EXPECT_EQ(*code, 0);
    }
  }

  // Runs on the copy before it starts.
  virtual void PrepareExecutable(const std::wstring& /*exe*/) {}

  int64_t MainFrameId() {
    auto frames = channel_.Frames();
    EXPECT_TRUE(frames.ok());
    return frames && !frames->empty() ? frames->front().id : 0;
  }

  std::string UrlOf(int64_t frame) {
    auto frames = channel_.Frames();
    if (frames)
      for (const e2e::FrameRecord& f : *frames)
        if (f.id == frame)
          return f.url;
    return "<no such frame>";
  }

  // The main frame once its document is the launcher's failure page, or once
  // it is a page of the network with cefQuery when |failurePage| is false.
  std::optional<e2e::FrameRecord> MainFrameShowing(bool failurePage, e2e::Millis timeout) {
    return e2e::PollUntil(
        [&]() -> std::optional<e2e::FrameRecord> {
          auto frames = channel_.Frames();
          if (!frames || frames->empty())
            return std::nullopt;
          const e2e::FrameRecord& main = frames->front();
          const bool showsPage =
              main.document && main.document->find("id=\"close\"") != std::string::npos;
          if (failurePage ? showsPage : (!main.document && main.has_cef_query))
            return main;
          return std::nullopt;
        },
        timeout);
  }

  // How often the embedded page script ran in |frame|, over all its documents.
  size_t EmbeddedRuns(int64_t frame) {
    static const std::string script = ReadWholeFile(PAGE_SCRIPT_JS_PATH);
    size_t runs = 0;
    auto scripts = channel_.Scripts(e2e::Target::Frame(frame));
    EXPECT_TRUE(scripts.ok());
    if (scripts)
      for (const e2e::ScriptRecord& s : *scripts)
        runs += s.code == script ? 1 : 0;
    return runs;
  }

  HWND MainWindow() {
    auto browsers = channel_.Browsers();
    EXPECT_TRUE(browsers.ok() && !browsers->empty());
    return browsers && !browsers->empty() ? e2e::ToHwnd(browsers->front().hwnd) : nullptr;
  }

  e2e::TempDir dir_;
  std::wstring exe_;
  e2e::Process launcher_;
  e2e::PageChannel channel_;
};

#endif  // ZLM_TESTS_E2E_RUNNING_LAUNCHER_H_
