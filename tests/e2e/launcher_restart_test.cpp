// The cache-clearing restart seen from outside: a running launcher, the copy
// started with the restart switch naming it, the cache folder, the windows.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/junction.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/wait.h"
#include "support/window_info.h"
#include "support/wine_host.h"

namespace {

const wchar_t* const kMarkers[] = {
    L"cache\\index",
    L"cache\\readonly",
    L"cache\\Cache\\f_000001",
    L"cache\\Cache\\index-dir\\the-real-index",
};

bool IsMainWindow(const e2e::WindowInfo& w) {
  return w.class_name != L"#32770";
}

class LauncherRestartTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.IsValid()) << dir_.error();
    ASSERT_TRUE(outside_.IsValid()) << outside_.error();
    ASSERT_TRUE(dir_.CopyProgramIn(LAUNCHER_EXE));
    exe_ = dir_.PathOf(e2e::FileNameOf(LAUNCHER_EXE));
  }

  // Cache entries as a player's cache may hold them, and a link to a folder
  // outside it whose content must survive the clearing.
  void FillCache() {
    for (const wchar_t* marker : kMarkers)
      ASSERT_TRUE(dir_.WriteBytes(marker, "entry"));
    ASSERT_TRUE(SetFileAttributesW(dir_.PathOf(L"cache\\readonly").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesW(dir_.PathOf(L"cache\\index").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(outside_.WriteBytes(L"keep.txt", "kept"));
    ASSERT_TRUE(e2e::MakeJunction(dir_.PathOf(L"cache\\linked"), outside_.path()));
  }

  bool AnyMarkerLeft() const {
    for (const wchar_t* marker : kMarkers)
      if (dir_.Exists(marker))
        return true;
    return false;
  }

  bool AllMarkersLeft() const {
    for (const wchar_t* marker : kMarkers)
      if (!dir_.Exists(marker))
        return false;
    return true;
  }

  e2e::TempDir outside_;
  e2e::TempDir dir_;
  std::wstring exe_;
};

TEST_F(LauncherRestartTest, NewCopyWaitsForTheOldOneAndClearsTheCacheBeforeItsWindowOpens) {
  e2e::Process old;
  ASSERT_TRUE(old.Start(exe_, {}, dir_.path()));
  const auto oldWindow = e2e::WaitForTopLevelWindow(old.id(), IsMainWindow);
  ASSERT_TRUE(oldWindow.has_value()) << "the first launcher opened no window";
  ASSERT_NO_FATAL_FAILURE(FillCache());

  e2e::Process copy;
  ASSERT_TRUE(copy.Start(exe_, L"--zlm-restart=" + std::to_wstring(old.id()), dir_.path()));

  // The old launcher goes on for a second, as it would while shutting down:
  // the copy must neither touch the cache nor open a window meanwhile.
  const auto early = e2e::PollUntil(
      [&] { return !AllMarkersLeft() || !e2e::TopLevelWindows(copy.id()).empty(); }, e2e::Millis(1000));
  EXPECT_FALSE(early) << "the copy went ahead while the old launcher ran";
  ASSERT_TRUE(copy.IsRunning());

  e2e::PostClose(oldWindow->handle);
  const auto oldCode = old.WaitForExit();
  ASSERT_TRUE(oldCode.has_value()) << "the old launcher did not end";
  EXPECT_EQ(*oldCode, 0);

  // Seen at the moment its window is first seen.
  struct Sighting {
    HWND window = nullptr;
    bool markersLeft = true;
    explicit operator bool() const { return window != nullptr; }
  };
  const Sighting sighting = e2e::PollUntil([&] {
    Sighting s;
    for (const e2e::WindowInfo& w : e2e::TopLevelWindows(copy.id()))
      if (IsMainWindow(w))
        s.window = w.handle;
    s.markersLeft = AnyMarkerLeft();
    return s;
  });
  ASSERT_TRUE(sighting) << "the copy opened no window";
  EXPECT_FALSE(sighting.markersLeft) << "the window opened before the cache was cleared";
  EXPECT_FALSE(AnyMarkerLeft());
  EXPECT_EQ(outside_.ReadBytes(L"keep.txt"), "kept") << "the clearing followed the link";
  // Wine shows a folder link as a host symbolic link, which its Win32 layer
  // cannot remove; Windows removes the junction itself.
  if (!e2e::RunningUnderWine()) {
    EXPECT_FALSE(dir_.Exists(L"cache\\linked"));
  }

  // Exactly one launcher window: the copy's.
  std::vector<e2e::WindowInfo> windows;
  for (unsigned long id : e2e::FindProcessIds(e2e::FileNameOf(exe_)))
    for (const e2e::WindowInfo& w : e2e::TopLevelWindows(id))
      windows.push_back(w);
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows.front().handle, sighting.window);

  e2e::PostClose(sighting.window);
  const auto copyCode = copy.WaitForExit();
  ASSERT_TRUE(copyCode.has_value());
  EXPECT_EQ(*copyCode, 0);
}

// Two copies restarting one folder at once (two launchers there, or a restart
// asked for twice): whichever comes second ends at once, with 0 and without a
// window, and leaves the cache to the other, which opens the one window.
TEST_F(LauncherRestartTest, OfTwoCopiesRestartingOneFolderOneGivesWay) {
  e2e::Process old;
  ASSERT_TRUE(old.Start(exe_, {}, dir_.path()));
  const auto oldWindow = e2e::WaitForTopLevelWindow(old.id(), IsMainWindow);
  ASSERT_TRUE(oldWindow.has_value()) << "the first launcher opened no window";
  for (const wchar_t* marker : kMarkers)
    ASSERT_TRUE(dir_.WriteBytes(marker, "entry"));

  const std::wstring restart = L"--zlm-restart=" + std::to_wstring(old.id());
  e2e::Process copies[2];
  ASSERT_TRUE(copies[0].Start(exe_, restart, dir_.path()));
  ASSERT_TRUE(copies[1].Start(exe_, restart, dir_.path()));

  // Both would otherwise wait for the old launcher, which stays open.
  const auto gaveWay = e2e::PollUntil([&]() -> std::optional<int> {
    for (int i = 0; i < 2; ++i)
      if (!copies[i].IsRunning())
        return i;
    return std::nullopt;
  });
  ASSERT_TRUE(gaveWay.has_value()) << "neither copy ended while the old launcher ran";
  e2e::Process& loser = copies[*gaveWay];
  e2e::Process& winner = copies[1 - *gaveWay];
  EXPECT_EQ(loser.WaitForExit(), std::optional<int>(0));
  EXPECT_TRUE(winner.IsRunning());
  EXPECT_TRUE(AllMarkersLeft()) << "the cache was touched while the old launcher ran";

  e2e::PostClose(oldWindow->handle);
  ASSERT_TRUE(old.WaitForExit().has_value()) << "the old launcher did not end";
  const auto window = e2e::WaitForTopLevelWindow(winner.id(), IsMainWindow);
  ASSERT_TRUE(window.has_value()) << "the remaining copy opened no window";
  EXPECT_FALSE(AnyMarkerLeft());
  std::size_t windows = 0;
  for (unsigned long id : e2e::FindProcessIds(e2e::FileNameOf(exe_)))
    windows += e2e::TopLevelWindows(id).size();
  EXPECT_EQ(windows, 1u);

  e2e::PostClose(window->handle);
  EXPECT_EQ(winner.WaitForExit(), std::optional<int>(0));
}

TEST_F(LauncherRestartTest, ASubProcessCopyNeverClearsTheCache) {
  ASSERT_NO_FATAL_FAILURE(FillCache());
  e2e::Process renderer;
  ASSERT_TRUE(renderer.Start(exe_, L"--type=renderer --zlm-restart=0", dir_.path()));
  const auto code = renderer.WaitForExit();
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(*code, 0);
  EXPECT_TRUE(AllMarkersLeft());
  EXPECT_EQ(outside_.ReadBytes(L"keep.txt"), "kept");
}

}  // namespace
