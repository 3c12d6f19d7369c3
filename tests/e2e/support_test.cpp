// The end-to-end support library, exercised against real processes: copies
// of this test program in helper roles, and the engine's sample client.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "support/junction.h"
#include "support/message_box.h"
#include "support/page_channel.h"
#include "common/pe_image.h"
#include "support/process.h"
#include "support/screen.h"
#include "support/temp_dir.h"
#include "support/wait.h"
#include "support/window_info.h"

namespace e2e {
namespace {

using namespace fixtures;

constexpr wchar_t kChildSwitch[] = L"--e2e-support-child";
constexpr wchar_t kGrandchildPidFile[] = L"grandchild.pid";
constexpr wchar_t kBoxCaption[] = L"Support caption";
constexpr wchar_t kBoxText[] = L"First line\n\nSecond line: \u00e7\u011f\u0131";

std::wstring SelfPath() {
  wchar_t buffer[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  return buffer;
}

// Runs one of the helper roles below in a new copy of this program.
testing::AssertionResult StartChild(Process& process, const char* role,
                                    const std::wstring& work_dir = {}) {
  const std::string filter = std::string("DISABLED_SupportChild.") + role;
  return process.Start(SelfPath(),
                       L"--gtest_also_run_disabled_tests --gtest_filter=" +
                           std::wstring(filter.begin(), filter.end()) + L" " +
                           kChildSwitch,
                       work_dir);
}

bool IsChild() {
  return std::wcsstr(::GetCommandLineW(), kChildSwitch) != nullptr;
}

// Helper roles: they run only inside a copy started by StartChild.
TEST(DISABLED_SupportChild, ExitsMinusTwo) {
  if (!IsChild())
    GTEST_SKIP();
  ::ExitProcess(static_cast<UINT>(-2));
}

TEST(DISABLED_SupportChild, Sleeps) {
  if (!IsChild())
    GTEST_SKIP();
  ::Sleep(60000);
}

TEST(DISABLED_SupportChild, ShowsMessageBox) {
  if (!IsChild())
    GTEST_SKIP();
  ::ExitProcess(static_cast<UINT>(::MessageBoxW(
      nullptr, kBoxText, kBoxCaption, MB_OKCANCEL | MB_ICONERROR)));
}

TEST(DISABLED_SupportChild, StartsGrandchild) {
  if (!IsChild())
    GTEST_SKIP();
  // This child is killed while it sleeps, so only the job of the test's
  // Process can end the grandchild.
  Process grandchild;
  ASSERT_TRUE(StartChild(grandchild, "Sleeps"));
  const std::string pid = std::to_string(grandchild.id());
  HANDLE file = ::CreateFileW(L"pid.tmp", GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  ::WriteFile(file, pid.data(), static_cast<DWORD>(pid.size()), &written,
              nullptr);
  ::CloseHandle(file);
  ::MoveFileW(L"pid.tmp", kGrandchildPidFile);
  ::Sleep(60000);
}

// Reads the fields a loader checks first, as a loader does, so each
// variant is shown to break the check it is named after and no other.
uint16_t MachineAsLoaderSees(const std::string& bytes) {
  auto byte = [&bytes](size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at]));
  };
  if (bytes.size() < 64 || bytes[0] != 'M' || bytes[1] != 'Z')
    return 0;
  const uint64_t offset =
      byte(0x3C) | byte(0x3D) << 8 | byte(0x3E) << 16 | byte(0x3F) << 24;
  if (offset + 6 > bytes.size() || bytes.compare(offset, 4, "PE\0\0", 4) != 0)
    return 0;
  return static_cast<uint16_t>(byte(offset + 4) | byte(offset + 5) << 8);
}

TEST(SupportPeImage, VariantsBreakExactlyTheirCheck) {
  struct Case {
    uint16_t machine;
    PeDefect defect;
    uint16_t seen;
  };
  const Case cases[] = {
      {kMachineX86, PeDefect::kNone, kMachineX86},
      {kMachineX64, PeDefect::kNone, kMachineX64},
      {kMachineArm64, PeDefect::kNone, kMachineArm64},
      {kMachineX64, PeDefect::kShortFile, 0},
      {kMachineX64, PeDefect::kNoMz, 0},
      {kMachineX64, PeDefect::kHeaderPastEnd, 0},
      {kMachineX64, PeDefect::kHeaderOffsetHuge, 0},
      {kMachineX64, PeDefect::kWrongSignature, 0},
      {kMachineX64, PeDefect::kTruncatedHeader, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(PeDefectName(c.defect));
    const std::string bytes = MakePeFile(c.machine, c.defect);
    EXPECT_EQ(MachineAsLoaderSees(bytes), c.seen);
  }
}

TEST(SupportTempDir, HoldsFilesAndRemovesAllButLinkTargets) {
  TempDir outside;
  ASSERT_TRUE(outside.IsValid()) << outside.error();
  ASSERT_TRUE(outside.WriteBytes(L"keep.txt", "kept"));

  std::wstring removed_path;
  {
    TempDir dir;
    ASSERT_TRUE(dir.IsValid()) << dir.error();
    EXPECT_NE(dir.path(), outside.path());
    removed_path = dir.path();

    const std::string bytes("\x00\xFF\r\n\x1A tail", 9);
    ASSERT_TRUE(dir.WriteBytes(L"a\\b\\data.bin", bytes));
    EXPECT_EQ(dir.ReadBytes(L"a\\b\\data.bin"), bytes);
    EXPECT_FALSE(dir.ReadBytes(L"missing.bin"));

    ASSERT_TRUE(dir.CopyIn(SelfPath()));
    ASSERT_TRUE(dir.CopyIn(SelfPath(), L"bin\\renamed.exe"));
    EXPECT_EQ(dir.ReadBytes(FileNameOf(SelfPath()))->size(),
              dir.ReadBytes(L"bin\\renamed.exe")->size());
    EXPECT_FALSE(dir.CopyIn(dir.PathOf(L"missing.exe")));

    ASSERT_TRUE(dir.WriteBytes(L"cache\\locked\\ro.txt", "x"));
    ::SetFileAttributesW(dir.PathOf(L"cache\\locked\\ro.txt").c_str(),
                         FILE_ATTRIBUTE_READONLY);
    ::SetFileAttributesW(dir.PathOf(L"cache\\locked").c_str(),
                         FILE_ATTRIBUTE_READONLY);
    const testing::AssertionResult linked =
        MakeJunction(dir.PathOf(L"cache\\link"), outside.path());
    if (linked) {
      EXPECT_TRUE(IsReparsePoint(dir.PathOf(L"cache\\link")));
      EXPECT_EQ(dir.ReadBytes(L"cache\\link\\keep.txt"), "kept");
    } else {
      ADD_FAILURE() << linked.message();
    }
  }
  EXPECT_EQ(::GetFileAttributesW(removed_path.c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(outside.ReadBytes(L"keep.txt"), "kept");
}

TEST(SupportProcess, ReportsSignedExitCodeAndStartFailure) {
  Process child;
  ASSERT_TRUE(StartChild(child, "ExitsMinusTwo"));
  EXPECT_NE(child.id(), 0u);
  EXPECT_EQ(child.WaitForExit(), -2);
  EXPECT_FALSE(child.IsRunning());

  Process missing;
  const testing::AssertionResult started =
      missing.Start(L"C:\\no\\such\\program.exe");
  EXPECT_FALSE(started);
  EXPECT_NE(std::string(started.message()).find("program.exe"),
            std::string::npos)
      << started.message();
  EXPECT_FALSE(missing.IsStarted());
}

TEST(SupportProcess, EndsEverythingItStartedWhenDestroyed) {
  TempDir dir;
  ASSERT_TRUE(dir.IsValid()) << dir.error();
  DWORD grandchild_id = 0;
  {
    Process child;
    ASSERT_TRUE(StartChild(child, "StartsGrandchild", dir.path()));
    const auto pid =
        PollUntil([&] { return dir.ReadBytes(kGrandchildPidFile); });
    ASSERT_TRUE(pid) << "the child never started its own child";
    grandchild_id = static_cast<DWORD>(std::stoul(*pid));
    EXPECT_TRUE(child.IsRunning());
  }
  HANDLE grandchild = ::OpenProcess(SYNCHRONIZE, FALSE, grandchild_id);
  if (grandchild) {
    EXPECT_EQ(::WaitForSingleObject(grandchild, 5000), WAIT_OBJECT_0)
        << "process " << grandchild_id << " outlived its starter";
    ::CloseHandle(grandchild);
  }
}

TEST(SupportMessageBox, ReadsAndAnswersAnotherProcesssBox) {
  struct Case {
    const char* name;
    testing::AssertionResult (*answer)(const MessageBoxInfo&, Millis);
    int exit_code;
  };
  const Case cases[] = {
      {"press OK", PressOk, IDOK},
      {"close", CloseMessageBox, IDCANCEL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Process child;
    ASSERT_TRUE(StartChild(child, "ShowsMessageBox"));
    const auto box = WaitForMessageBox(child.id());
    ASSERT_TRUE(box) << "no message box appeared";
    EXPECT_EQ(box->caption, kBoxCaption);
    EXPECT_EQ(box->text, kBoxText);
    EXPECT_EQ(box->buttons.size(), 2u) << *box;
    EXPECT_TRUE(box->has_icon) << *box;
    ASSERT_TRUE(c.answer(*box, kDefaultTimeout));
    EXPECT_EQ(child.WaitForExit(), c.exit_code);
  }
}

TEST(SupportPageChannel, GivesUpAtOnceWhenTheProcessHasEnded) {
  Process child;
  ASSERT_TRUE(StartChild(child, "ExitsMinusTwo"));
  ASSERT_EQ(child.WaitForExit(), -2);
  PageChannel channel;
  const testing::AssertionResult connected = channel.Connect(child);
  EXPECT_FALSE(connected);
  EXPECT_NE(std::string(connected.message()).find("exit code -2"),
            std::string::npos)
      << connected.message();
}

#ifdef STANDIN_SAMPLE_EXE

class SupportSample : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.IsValid()) << dir_.error();
    ASSERT_TRUE(dir_.CopyProgramIn(STANDIN_SAMPLE_EXE, L"sample.exe"));
    ASSERT_TRUE(process_.Start(dir_.PathOf(L"sample.exe"),
                               L"--url=https://sample.test/start"));
    ASSERT_TRUE(channel_.Connect(process_));
  }

  testing::AssertionResult WaitUntilReady() {
    const auto ready = channel_.WaitReady();
    if (!ready)
      return ready.ok();
    if (!*ready)
      return testing::AssertionFailure() << "the page never became ready";
    return testing::AssertionSuccess();
  }

  TempDir dir_;
  Process process_;
  PageChannel channel_;
};

TEST_F(SupportSample, WindowSeenFromOutsideMatchesTheEngine) {
  const auto found = PollUntil([&]() -> std::optional<BrowserRecord> {
    const auto browsers = channel_.Browsers();
    if (!browsers || browsers->empty())
      return std::nullopt;
    return browsers->front();
  });
  ASSERT_TRUE(found) << "the sample never made a browser";
  const BrowserRecord& browser = *found;

  const auto window = WaitForTopLevelWindow(
      process_.id(),
      [&](const WindowInfo& info) { return info.handle == ToHwnd(browser.hwnd); });
  ASSERT_TRUE(window) << "browser window not among the visible windows";
  EXPECT_EQ(window->process_id, process_.id());
  EXPECT_GT(window->window_rect.width(), 0) << *window;
  EXPECT_EQ(window->client_screen_rect.width(), window->client_rect.width());

  bool page_found = false;
  for (const WindowInfo& child : ChildWindows(window->handle)) {
    if (child.handle != ToHwnd(browser.page_hwnd))
      continue;
    page_found = true;
    EXPECT_EQ(child.window_rect, window->client_screen_rect) << child;
  }
  EXPECT_TRUE(page_found);

  const Size screen = PrimaryScreenSize();
  EXPECT_EQ(MonitorRectOf(window->handle),
            (Rect{0, 0, screen.width, screen.height}));
}

TEST_F(SupportSample, QueriesReportEveryOutcome) {
  ASSERT_TRUE(WaitUntilReady());
  struct Case {
    const char* request;
    bool persistent;
    int min_responses;
    QueryState state;
    std::vector<std::string> responses;
    std::optional<int> error_code;
    std::optional<std::string> error_message;
  };
  const Case cases[] = {
      {"ping", false, 1, QueryState::kSuccess, {"pong"}, {}, {}},
      {"fail", false, 1, QueryState::kFailure, {}, 42, "failed on purpose"},
      {"nobody takes this", false, 1, QueryState::kFailure, {}, -1,
       "The query has been canceled"},
      {"count", true, 3, QueryState::kPending, {"1", "2", "3"}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request);
    const auto sent = channel_.Query(c.request, {}, c.persistent);
    ASSERT_TRUE(sent.ok());
    EXPECT_EQ(sent->request, c.request);
    EXPECT_EQ(sent->persistent, c.persistent);
    const auto record =
        channel_.QueryStatus(sent->query, c.min_responses, kQueryWait);
    ASSERT_TRUE(record.ok());
    EXPECT_EQ(record->query, sent->query);
    EXPECT_EQ(record->state, c.state) << *record;
    EXPECT_EQ(record->responses, c.responses) << *record;
    EXPECT_EQ(record->error_code, c.error_code) << *record;
    EXPECT_EQ(record->error_message, c.error_message) << *record;
  }

  const auto refused = channel_.Query("ping", Target::Frame(-5));
  EXPECT_FALSE(refused);
  EXPECT_NE(refused.error().find("no such frame"), std::string::npos)
      << refused.error();
  const auto bad = channel_.CallRaw("{not json");
  ASSERT_TRUE(bad.ok());
  EXPECT_NE(bad->find("bad json"), std::string::npos) << *bad;
  EXPECT_TRUE(channel_.Ping().ok()) << "the channel did not survive";
}

TEST_F(SupportSample, DrivesFramesAndReadsWhatRanInThem) {
  ASSERT_TRUE(WaitUntilReady());
  const auto added = channel_.AddFrame("https://ads.test/frame", "ad");
  ASSERT_TRUE(added.ok());
  EXPECT_TRUE(added->done);
  const auto sub_query = channel_.Query("ping", Target::Frame(added->frame));
  ASSERT_TRUE(sub_query.ok());
  EXPECT_EQ(sub_query->frame, added->frame);

  const auto navigated = channel_.Navigate("https://sample.test/next");
  ASSERT_TRUE(navigated.ok());
  EXPECT_TRUE(*navigated);
  auto frames = channel_.Frames();
  ASSERT_TRUE(frames.ok());
  ASSERT_FALSE(frames->empty());
  const FrameRecord main = frames->front();
  EXPECT_TRUE(main.main) << main;
  EXPECT_FALSE(main.parent);
  EXPECT_EQ(main.url, "https://sample.test/next") << main;

  const auto scripts = channel_.Scripts();
  ASSERT_TRUE(scripts.ok());
  ASSERT_FALSE(scripts->empty());
  EXPECT_EQ(scripts->back().code, "window.sampleLoaded = true;")
      << scripts->back();
  EXPECT_EQ(scripts->back().script_url, "https://sample.test/next");
  EXPECT_EQ(scripts->back().context, main.context);

  const auto failed = channel_.FailLoad("https://sample.test/broken");
  ASSERT_TRUE(failed.ok());
  EXPECT_TRUE(*failed);
  frames = channel_.Frames();
  ASSERT_TRUE(frames.ok());
  ASSERT_FALSE(frames->empty());
  EXPECT_EQ(frames->front().url, "data:text/html,chromewebdata")
      << "the failed load's error document";

  const auto popup = channel_.RequestPopup("https://sample.test/popup",
                                           Target::Frame(main.id), "_blank",
                                           "new_popup", false);
  ASSERT_TRUE(popup.ok());
  EXPECT_TRUE(popup->canceled) << "the sample blocks pop-ups without gesture";
  const auto popups = channel_.Popups();
  ASSERT_TRUE(popups.ok());
  ASSERT_EQ(popups->size(), 1u);
  EXPECT_EQ(popups->front().frame, main.id);
  EXPECT_EQ(popups->front().url, "https://sample.test/popup");
  EXPECT_EQ(popups->front().target, "_blank");
  EXPECT_EQ(popups->front().disposition, "new_popup");
  EXPECT_FALSE(popups->front().user_gesture);
  EXPECT_TRUE(popups->front().canceled);
}

TEST_F(SupportSample, ActsAsUser) {
  ASSERT_TRUE(WaitUntilReady());
  const auto pid = channel_.Ping();
  ASSERT_TRUE(pid.ok());
  EXPECT_EQ(*pid, process_.id());

  const auto reached = channel_.PressKey('A', kShift | kAlt);
  ASSERT_TRUE(reached.ok());
  EXPECT_TRUE(*reached);
  const auto taken = channel_.PressKey(VK_F5);
  ASSERT_TRUE(taken.ok());
  EXPECT_FALSE(*taken);
  const auto keys = channel_.KeysThatReachedPage();
  ASSERT_TRUE(keys.ok());
  ASSERT_EQ(keys->size(), 1u);
  EXPECT_EQ(keys->front().key_code, 'A') << keys->front();
  EXPECT_EQ(keys->front().modifiers & (kShift | kAlt | kControl),
            kShift | kAlt)
      << keys->front();
  EXPECT_TRUE(keys->front().system) << keys->front();

  ASSERT_TRUE(channel_.Query("zoom:1.5").ok());
  const auto zoom = channel_.ZoomLevel();
  ASSERT_TRUE(zoom.ok());
  EXPECT_EQ(*zoom, 1.5);

  ASSERT_TRUE(channel_.CloseBrowser().ok());
  EXPECT_EQ(process_.WaitForExit(), 0);
  EXPECT_TRUE(WaitForNoTopLevelWindows(process_.id()));
}

#endif  // STANDIN_SAMPLE_EXE

}  // namespace
}  // namespace e2e
