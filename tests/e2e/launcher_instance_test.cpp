// One launcher per install folder, seen from outside: further starts of the
// folder, however they spell it, leave it to the running launcher, and a
// cache-clearing restart keeps the folder through its hand-over.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "running_launcher.h"
#include "support/junction.h"

namespace {

using e2e::QueryState;

class LauncherInstanceTest : public RunningLauncherTest {
 protected:
  // The page still answers, from the first launcher's one window.
  void ExpectTheFirstLauncherServesItsPage() {
    auto answer = channel_.Query("acc:list");
    ASSERT_TRUE(answer.ok());
    EXPECT_EQ(answer->state, QueryState::kSuccess) << *answer;
    const LauncherCount count = CountLaunchers();
    EXPECT_EQ(count.processes, 1u);
    EXPECT_EQ(count.windows, 1u);
  }

  e2e::TempDir outside_;
};

TEST_F(LauncherInstanceTest, ASecondStartBringsTheRunningWindowForwardAndEnds) {
  ASSERT_TRUE(outside_.IsValid()) << outside_.error();
  const std::wstring link = outside_.PathOf(L"same-folder");
  ASSERT_TRUE(e2e::MakeJunction(link, dir_.path()));
  const struct {
    const char* name;
    std::wstring folder;
  } spellings[] = {{"the folder", dir_.path()}, {"a junction to it", link}};

  for (const auto& spelling : spellings) {
    SCOPED_TRACE(spelling.name);
    const HWND window = MainWindow();
    e2e::ShowFromOutside(window, SW_MINIMIZE);
    ASSERT_TRUE(e2e::WaitForWindow(window, [](const e2e::WindowInfo& w) { return w.minimized; },
                                   "minimised"));

    e2e::Process second;
    ASSERT_TRUE(second.Start(spelling.folder + L"\\" + e2e::FileNameOf(LAUNCHER_EXE), {},
                             spelling.folder));
    EXPECT_EQ(second.WaitForExit(), std::optional<int>(0));
    EXPECT_TRUE(e2e::WaitForWindow(window, [](const e2e::WindowInfo& w) { return !w.minimized; },
                                   "restored by the second start"));
    ASSERT_NO_FATAL_FAILURE(ExpectTheFirstLauncherServesItsPage());
  }
}

// The player starts the launcher again while it restarts to clear its cache:
// before the old process has ended, or in the moment after it, when only the
// copy it started is on its way. Either way one launcher is left, the copy,
// on a cleared cache with the Flash allow list back in it.
TEST_F(LauncherInstanceTest, AStartDuringACacheClearingRestartLeavesOneLauncherOnAClearedCache) {
  const std::wstring flashConfig = L"cache\\Pepper Data\\Shockwave Flash\\System\\mms.cfg";
  const std::optional<std::string> allowList = dir_.ReadBytes(flashConfig);
  ASSERT_TRUE(allowList.has_value());
  // Each copy stays in the job of the launcher that started it, which would
  // end it if its handle closed: every launcher is kept to the end.
  std::vector<e2e::Process> copies(2);
  e2e::Process* current = &launcher_;
  HWND currentWindow = MainWindow();
  for (const bool afterTheOldEnded : {false, true}) {
    SCOPED_TRACE(afterTheOldEnded ? "started after the old launcher ended"
                                  : "started while the old launcher closes");
    ASSERT_TRUE(dir_.WriteBytes(L"cache\\marker.bin", "stale"));
    auto asked = channel_.Query("app:clearcache", {}, false, e2e::Millis(0));
    ASSERT_TRUE(asked.ok());
    if (afterTheOldEnded) {
      ASSERT_EQ(current->WaitForExit(), std::optional<int>(0));
    }

    e2e::Process second;
    ASSERT_TRUE(second.Start(exe_, {}, dir_.path()));
    EXPECT_EQ(second.WaitForExit(), std::optional<int>(0)) << "the second start did not give way";

    e2e::Process& copy = copies[afterTheOldEnded ? 1 : 0];
    const auto window = RestartedCopy(*current, copy);
    ASSERT_TRUE(window.has_value());
    EXPECT_FALSE(dir_.Exists(L"cache\\marker.bin"));
    EXPECT_EQ(dir_.ReadBytes(flashConfig), allowList);
    const LauncherCount count = CountLaunchers();
    EXPECT_EQ(count.processes, 1u);
    EXPECT_EQ(count.windows, 1u);

    // The copy is the launcher now; the next round restarts it.
    current = &copy;
    currentWindow = window->handle;
    channel_ = e2e::PageChannel();
    ASSERT_TRUE(channel_.Connect(copy));
    auto ready = channel_.WaitReady();
    ASSERT_TRUE(ready.ok() && *ready) << "the copy's page never got cefQuery";
  }
  e2e::PostClose(currentWindow);
  EXPECT_EQ(current->WaitForExit(), std::optional<int>(0));
}

}  // namespace
