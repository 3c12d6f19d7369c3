// Cache clearing and restart on the real file system, with real processes.

#include "app/cache_restart.h"

#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/launcher_instance.h"
#include "app/paths.h"
#include "app/process_values.h"
#include "app/restart_switch.h"
#include "app/trace.h"
#include "e2e/support/junction.h"
#include "e2e/support/scoped_handle.h"
#include "e2e/support/wine_host.h"
#include "win_test_support.h"

namespace {

using e2e::ScopedFileHandle;
using e2e::ScopedHandle;
using Clock = std::chrono::steady_clock;

constexpr wchar_t kReportVariable[] = L"ZLM_TEST_RESTART_REPORT";

// ClearCacheAndRestart starts this very suite as its restart copy. The copy
// must not run the suite again: it writes down how it was started (command
// line, a line feed, current folder) where the variable says, and leaves
// before main.
[[maybe_unused]] const bool kLeftAsRestartCopy = [] {
  const std::wstring_view line = GetCommandLineW();
  if (line.find(kRestartSwitch) == std::wstring_view::npos)
    return false;
  wchar_t reportPath[MAX_PATH] = {};
  wchar_t folder[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(kReportVariable, reportPath, MAX_PATH);
  if (length > 0 && length < MAX_PATH && GetCurrentDirectoryW(MAX_PATH, folder) != 0) {
    const std::wstring report = std::wstring(line) + L'\n' + folder;
    const ScopedFileHandle file(CreateFileW(reportPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.Get(), report.data(), static_cast<DWORD>(report.size() * sizeof(wchar_t)), &written,
              nullptr);
  }
  ExitProcess(0);
}();

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFile(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  const ScopedFileHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr));
  ASSERT_TRUE(file.IsValid()) << "cannot create file, error " << GetLastError();
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file.Get(), "cache entry", 11, &written, nullptr));
}

void MakeFolder(const std::wstring& path) {
  ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << "error " << GetLastError();
}

// Processes the tests start, or that start because of them, belong to one job
// that ends them all when it closes, even if the suite itself dies first.
class ProcessJob {
 public:
  ProcessJob() : job_(CreateJobObjectW(nullptr, nullptr)) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job_.Get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits));
  }
  bool Adopt(HANDLE process) { return AssignProcessToJobObject(job_.Get(), process) != FALSE; }

 private:
  ScopedHandle job_;
};

// The old launcher as the new copy sees it: a process that ends when the test
// says so. It never runs: it is created suspended and then terminated.
class StandInOldProcess {
 public:
  StandInOldProcess() {
    std::wstring line = L"\"" + OwnPath() + L"\" --gtest_list_tests";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION created = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                        &startup, &created))
      return;
    process_.Reset(created.hProcess);
    ScopedHandle thread(created.hThread);
    id_ = created.dwProcessId;
    job_.Adopt(process_.Get());
  }
  ~StandInOldProcess() {
    if (ender_.joinable())
      ender_.join();
    End();
  }

  bool IsValid() const { return process_.IsValid(); }
  DWORD id() const { return id_; }
  bool HasEnded() const { return WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0; }
  void End() { TerminateProcess(process_.Get(), 0); }
  void EndAfter(std::chrono::milliseconds delay) {
    ender_ = std::thread([this, delay] {
      std::this_thread::sleep_for(delay);
      End();
    });
  }

 private:
  ProcessJob job_;
  ScopedHandle process_;
  DWORD id_ = 0;
  std::thread ender_;
};

std::vector<std::string> g_trace;
void CollectTrace(const std::string& line) {
  g_trace.push_back(line);
}

class CacheRestartWinTest : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
    dir_ = std::wstring(temp) + L"zlm_cache_restart_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
           std::to_wstring(GetTickCount64());
    ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
    cache_ = JoinPath(dir_, L"cache");
    savedExeDir_ = exeDir;
    exeDir = dir_;
    previousSink_ = SetTraceSink(&CollectTrace);
    g_trace.clear();
  }

  void TearDown() override {
    LetGoOfInstallFolder();
    SetTraceSink(previousSink_);
    exeDir = savedExeDir_;
    DeleteTree(dir_);
  }

  // A cache as CEF leaves it, with attributes CEF does not set but a user or
  // another program might.
  void MakeCache() {
    MakeFolder(cache_);
    MakeFile(In(L"index"));
    MakeFile(In(L"readonly"), FILE_ATTRIBUTE_READONLY);
    MakeFile(In(L"hidden"), FILE_ATTRIBUTE_HIDDEN);
    MakeFile(In(L"everything"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    MakeFolder(In(L"Cache"));
    MakeFile(In(L"Cache\\f_000001"), FILE_ATTRIBUTE_READONLY);
    MakeFolder(In(L"Cache\\index-dir"));
    MakeFile(In(L"Cache\\index-dir\\the-real-index"));
    MakeFolder(In(L"Local Storage"));
    SetFileAttributesW(In(L"Local Storage").c_str(), FILE_ATTRIBUTE_HIDDEN);
    MakeFolder(In(L"empty"));
  }

  std::wstring In(const std::wstring& relative) const { return JoinPath(cache_, relative); }

  std::wstring dir_;
  std::wstring cache_;
  std::wstring savedExeDir_;
  TraceSink previousSink_ = nullptr;
};

TEST_F(CacheRestartWinTest, DeleteTreeRemovesFilesWhateverTheirAttributesAndEveryFolder) {
  ASSERT_NO_FATAL_FAILURE(MakeCache());
  MakeFile(JoinPath(dir_, L"accounts.dat"));

  DeleteTree(cache_);

  EXPECT_FALSE(Exists(cache_));
  EXPECT_TRUE(Exists(JoinPath(dir_, L"accounts.dat")));
}

TEST_F(CacheRestartWinTest, DeleteTreeEmptiesAReadOnlyFolder) {
  MakeFolder(cache_);
  MakeFolder(In(L"locked"));
  MakeFile(In(L"locked\\readonly"), FILE_ATTRIBUTE_READONLY);
  MakeFile(In(L"locked\\plain"));
  ASSERT_TRUE(SetFileAttributesW(In(L"locked").c_str(), FILE_ATTRIBUTE_READONLY));

  DeleteTree(cache_);

  // The folder itself may stay, as the system decides; its content is gone.
  EXPECT_FALSE(Exists(In(L"locked\\readonly")));
  EXPECT_FALSE(Exists(In(L"locked\\plain")));
  SetFileAttributesW(In(L"locked").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(CacheRestartWinTest, DeleteTreeLeavesAFileHeldOpenAndTheFoldersAboveIt) {
  MakeFolder(cache_);
  MakeFolder(In(L"a"));
  MakeFolder(In(L"a\\b"));
  MakeFile(In(L"a\\b\\in-use"));
  MakeFile(In(L"a\\b\\sibling"));
  MakeFile(In(L"a\\other"));
  MakeFile(In(L"loose"));
  // As another process holds a file it writes: no delete sharing.
  ScopedFileHandle held(CreateFileW(In(L"a\\b\\in-use").c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held.IsValid());

  DeleteTree(cache_);

  EXPECT_TRUE(Exists(In(L"a\\b\\in-use")));
  EXPECT_FALSE(Exists(In(L"a\\b\\sibling")));
  EXPECT_FALSE(Exists(In(L"a\\other")));
  EXPECT_FALSE(Exists(In(L"loose")));
  held.Reset();
  DeleteTree(cache_);
  EXPECT_FALSE(Exists(cache_));
}

TEST_F(CacheRestartWinTest, DeleteTreeOfAMissingFolderChangesNothing) {
  MakeFile(JoinPath(dir_, L"accounts.dat"));
  DeleteTree(cache_);
  DeleteTree(JoinPath(cache_, L"deeper"));
  EXPECT_TRUE(Exists(JoinPath(dir_, L"accounts.dat")));
  EXPECT_TRUE(Exists(dir_));
}

// Names that take a path past 260 units in a few steps, as CEF's cache
// folders and a long install folder can.
std::wstring LongName(wchar_t letter) {
  return std::wstring(120, letter);
}

// Creation and checks through extended-length paths, which reach any depth;
// DeleteTree gets the ordinary form the launcher has.
std::wstring Extended(const std::wstring& path) {
  return L"\\\\?\\" + path;
}

TEST_F(CacheRestartWinTest, DeleteTreeReachesEntriesPast260Units) {
  // A long install folder puts the cache folder itself past 260 units; in a
  // plain cache only what nests deep is. (Wine takes plain paths past 260
  // units, Windows does not; the names below fail plain paths on both.)
  const std::wstring longInstall =
      JoinPath(JoinPath(dir_, LongName(L'i')), LongName(L'j')) + L"\\" + LongName(L'k');
  for (const std::wstring& install : {dir_, longInstall}) {
    SCOPED_TRACE(testing::Message() << "install folder of " << install.size() << " units");
    if (install != dir_) {
      MakeFolder(Extended(JoinPath(dir_, LongName(L'i'))));
      MakeFolder(Extended(JoinPath(JoinPath(dir_, LongName(L'i')), LongName(L'j'))));
      MakeFolder(Extended(install));
    }
    const std::wstring cache = JoinPath(install, L"cache");
    std::wstring deep = cache;
    MakeFolder(Extended(deep));
    for (const wchar_t letter : {L'a', L'b', L'c'}) {
      deep = JoinPath(deep, LongName(letter));
      MakeFolder(Extended(deep));
    }
    MakeFile(Extended(JoinPath(deep, L"f_000001")), FILE_ATTRIBUTE_READONLY);
    // Names a plain path cannot reach: Windows drops a trailing dot or blank.
    MakeFile(Extended(JoinPath(deep, L"ends in a dot.")));
    MakeFolder(Extended(JoinPath(cache, L"ends in a blank ")));
    MakeFile(Extended(JoinPath(cache, L"ends in a blank \\entry")));
    MakeFile(Extended(JoinPath(cache, L"index")));
    ASSERT_GT(JoinPath(deep, L"f_000001").size(), 260u);

    DeleteTree(cache);

    EXPECT_FALSE(Exists(Extended(cache)));
    EXPECT_TRUE(Exists(Extended(install)));
  }
}

TEST_F(CacheRestartWinTest, DeleteTreeRemovesADeepJunctionWithoutEnteringIt) {
  const std::wstring outside = JoinPath(dir_, L"outside");
  MakeFolder(outside);
  MakeFile(JoinPath(outside, L"keep"));
  std::wstring deep = cache_;
  MakeFolder(Extended(deep));
  for (const wchar_t letter : {L'a', L'b', L'c'}) {
    deep = JoinPath(deep, LongName(letter));
    MakeFolder(Extended(deep));
  }
  const std::wstring link = JoinPath(deep, L"link");
  ASSERT_GT(link.size(), 260u);
  ASSERT_TRUE(e2e::MakeJunction(Extended(link), outside));
  ASSERT_TRUE(Exists(Extended(JoinPath(link, L"keep"))));
  const std::wstring beside = JoinPath(deep, L"f_000001");
  MakeFile(Extended(beside));

  DeleteTree(cache_);

  EXPECT_FALSE(Exists(Extended(beside)));
  EXPECT_TRUE(Exists(JoinPath(outside, L"keep")));
  // Wine refuses to remove a junction whose target is not empty (it looks
  // through it), so there the link and the folders above it stay.
  if (!e2e::RunningUnderWine())
    EXPECT_FALSE(Exists(Extended(cache_)));
  else
    EXPECT_TRUE(e2e::IsReparsePoint(Extended(link)));
  // An empty target lets the clean-up remove the junction under Wine too.
  DeleteFileW(JoinPath(outside, L"keep").c_str());
}

TEST_F(CacheRestartWinTest, RestartSwitchDecidesWhetherTheCacheIsCleared) {
  struct Case {
    const wchar_t* commandLine;
    bool cleared;
  };
  const Case cases[] = {
      {nullptr, false},
      {L"", false},
      {L"--type=renderer", false},
      {L"--zlm-restart=", false},
      {L"--zlm-restart=x1", false},
      {L"--zlm-restart=4294967296", false},
      {L"--zlm-restart=99999999999999999999", false},
      {L"--zlm-restart=0", true},
      {L"--zlm-restart=0abc", true},
      // An id no process has (ids are multiples of 4): nothing to wait for.
      {L"--zlm-restart=4294967293", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.commandLine ? c.commandLine : L"(null)"));
    g_trace.clear();
    ASSERT_NO_FATAL_FAILURE(MakeCache());

    HandleRestartCacheClear(c.commandLine);

    EXPECT_EQ(Exists(cache_), !c.cleared);
    EXPECT_EQ(g_trace, c.cleared ? std::vector<std::string>{"HandleRestartCacheClear: cache temizlendi"}
                                 : std::vector<std::string>{});
    DeleteTree(cache_);
    LetGoOfInstallFolder();
  }
}

TEST_F(CacheRestartWinTest, WaitsForTheOldProcessToEndBeforeClearing) {
  ASSERT_NO_FATAL_FAILURE(MakeCache());
  StandInOldProcess old;
  ASSERT_TRUE(old.IsValid());
  old.EndAfter(std::chrono::milliseconds(1000));
  const std::wstring line = L"--zlm-restart=" + std::to_wstring(old.id());

  const Clock::time_point start = Clock::now();
  HandleRestartCacheClear(line.c_str());
  const auto took = Clock::now() - start;

  EXPECT_TRUE(old.HasEnded()) << "the cache was cleared while the old process ran";
  EXPECT_FALSE(Exists(cache_));
  // Ended by the old process's exit, not by the 5 s limit; the margin is wide.
  EXPECT_LT(took, std::chrono::milliseconds(5000));
}

// Two copies restarting one install (two old launchers, or one restart asked
// for twice): the second must neither delete the cache the first is about to
// use nor open a second window, and must not wait for anything first. A
// mutex nests for the thread that holds it, so the second copy is a thread.
TEST_F(CacheRestartWinTest, ASecondRestartingCopyOfTheFolderGivesWayAtOnce) {
  ASSERT_TRUE(HandleRestartCacheClear(L"--zlm-restart=0"));
  ASSERT_NO_FATAL_FAILURE(MakeCache());
  StandInOldProcess old;
  ASSERT_TRUE(old.IsValid());
  const std::wstring line = L"--zlm-restart=" + std::to_wstring(old.id());

  bool goesOn = true;
  Clock::duration took{};
  std::thread([&] {
    const Clock::time_point start = Clock::now();
    goesOn = HandleRestartCacheClear(line.c_str());
    took = Clock::now() - start;
  }).join();

  EXPECT_FALSE(goesOn);
  EXPECT_TRUE(Exists(In(L"Cache\\index-dir\\the-real-index")));
  EXPECT_FALSE(old.HasEnded());
  EXPECT_EQ(g_trace.size(), 1u) << "only the first copy cleared the cache";
  // Not the 5 s wait for the old process; the margin is wide.
  EXPECT_LT(took, std::chrono::milliseconds(2500));
}

TEST_F(CacheRestartWinTest, ClearsAnywayWhenTheOldProcessOutlivesTheWait) {
  ASSERT_NO_FATAL_FAILURE(MakeCache());
  StandInOldProcess old;
  ASSERT_TRUE(old.IsValid());
  const std::wstring line = L"--zlm-restart=" + std::to_wstring(old.id());

  const Clock::time_point start = Clock::now();
  HandleRestartCacheClear(line.c_str());
  const auto took = Clock::now() - start;

  EXPECT_FALSE(old.HasEnded());
  EXPECT_FALSE(Exists(cache_));
  EXPECT_GE(took, std::chrono::milliseconds(5000));
}

// What ClearCacheAndRestart asked CreateProcessW for.
struct CreateCall {
  int count = 0;
  std::wstring application;
  std::wstring commandLine;
  bool inherit = true;
  DWORD flags = ~0u;
  bool ownEnvironment = false;
  std::wstring folder;
  DWORD startupSize = 0;
};
CreateCall g_create;
ProcessJob* g_restartJob = nullptr;
ScopedHandle* g_restartCopy = nullptr;

void Record(LPCWSTR application, LPWSTR commandLine, BOOL inherit, DWORD flags, LPVOID environment,
            LPCWSTR folder, LPSTARTUPINFOW startup) {
  ++g_create.count;
  g_create.application = application ? application : L"(null)";
  g_create.commandLine = commandLine ? commandLine : L"(null)";
  g_create.inherit = inherit != FALSE;
  g_create.flags = flags;
  g_create.ownEnvironment = environment != nullptr;
  g_create.folder = folder ? folder : L"(null)";
  g_create.startupSize = startup->cb;
}

// The real call, which keeps a handle to the copy so the test can wait for it.
BOOL WINAPI CreateAndKeep(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                          LPSECURITY_ATTRIBUTES threadAttributes, BOOL inherit, DWORD flags,
                          LPVOID environment, LPCWSTR folder, LPSTARTUPINFOW startup,
                          LPPROCESS_INFORMATION created) {
  Record(application, commandLine, inherit, flags, environment, folder, startup);
  if (!CreateProcessW(application, commandLine, processAttributes, threadAttributes, inherit, flags,
                      environment, folder, startup, created))
    return FALSE;
  HANDLE copy = nullptr;
  DuplicateHandle(GetCurrentProcess(), created->hProcess, GetCurrentProcess(), &copy, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  g_restartCopy->Reset(copy);
  g_restartJob->Adopt(copy);
  return TRUE;
}

// The copy as it starts: a thread of its own, since the lock nests for the
// thread that holds it, then the real call.
bool g_copyGoesOn = false;
BOOL WINAPI StartCopyThatRestarts(LPCWSTR application, LPWSTR commandLine,
                                  LPSECURITY_ATTRIBUTES processAttributes,
                                  LPSECURITY_ATTRIBUTES threadAttributes, BOOL inherit, DWORD flags,
                                  LPVOID environment, LPCWSTR folder, LPSTARTUPINFOW startup,
                                  LPPROCESS_INFORMATION created) {
  std::thread([] { g_copyGoesOn = HandleRestartCacheClear(L"--zlm-restart=0"); }).join();
  return CreateAndKeep(application, commandLine, processAttributes, threadAttributes, inherit, flags,
                       environment, folder, startup, created);
}

BOOL WINAPI FailToCreate(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES,
                         LPSECURITY_ATTRIBUTES, BOOL inherit, DWORD flags, LPVOID environment,
                         LPCWSTR folder, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION) {
  Record(application, commandLine, inherit, flags, environment, folder, startup);
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return FALSE;
}

class ClearCacheAndRestartTest : public CacheRestartWinTest {
 protected:
  void SetUp() override {
    CacheRestartWinTest::SetUp();
    g_create = CreateCall();
    AllowAnotherRestartForTesting();
    g_restartJob = &job_;
    g_restartCopy = &copy_;
    // A message-only window: it receives posted messages and shows nothing.
    window_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(window_);
    g_restartJob = nullptr;
    g_restartCopy = nullptr;
    SetEnvironmentVariableW(kReportVariable, nullptr);
    CacheRestartWinTest::TearDown();
  }

  bool ClosePosted() {
    MSG message;
    return PeekMessageW(&message, window_, WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE;
  }

  void ExpectTheRestartCall() {
    const std::wstring self = OwnPath();
    EXPECT_EQ(g_create.application, self);
    EXPECT_EQ(g_create.commandLine, L"\"" + self + L"\" --zlm-restart=" + std::to_wstring(GetCurrentProcessId()));
    EXPECT_FALSE(g_create.inherit);
    EXPECT_EQ(g_create.flags, 0u);
    EXPECT_FALSE(g_create.ownEnvironment);
    EXPECT_EQ(g_create.folder, dir_);
    EXPECT_EQ(g_create.startupSize, sizeof(STARTUPINFOW));
  }

  HWND window_ = nullptr;
  ProcessJob job_;
  ScopedHandle copy_;
};

TEST_F(ClearCacheAndRestartTest, StartsThisExecutableAgainWithTheSwitchAndClosesTheWindow) {
  const std::wstring report = JoinPath(dir_, L"restart-copy.txt");
  ASSERT_TRUE(SetEnvironmentVariableW(kReportVariable, report.c_str()));

  ClearCacheAndRestart(window_, &CreateAndKeep);

  ASSERT_EQ(g_create.count, 1);
  ExpectTheRestartCall();
  ASSERT_TRUE(copy_.IsValid());
  ASSERT_EQ(WaitForSingleObject(copy_.Get(), 30000), WAIT_OBJECT_0) << "the copy did not end";
  EXPECT_TRUE(ClosePosted());
  EXPECT_EQ(g_trace, std::vector<std::string>{"ClearCacheAndRestart: yeni surec baslatildi"});

  // What the copy itself saw: the command line splits into this executable
  // and the switch with this process's id, and it runs in the launcher's folder.
  const ScopedFileHandle file(
      CreateFileW(report.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file.IsValid()) << "the copy wrote no report";
  wchar_t text[4096] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(file.Get(), text, sizeof(text) - sizeof(wchar_t), &read, nullptr));
  const std::wstring seen = text;
  const std::wstring::size_type feed = seen.find(L'\n');
  ASSERT_NE(feed, std::wstring::npos);
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(seen.substr(0, feed).c_str(), &count);
  ASSERT_NE(args, nullptr);
  const std::vector<std::wstring> argv(args, args + count);
  LocalFree(args);
  EXPECT_EQ(argv, (std::vector<std::wstring>{OwnPath(), L"--zlm-restart=" + std::to_wstring(GetCurrentProcessId())}));
  EXPECT_EQ(seen.substr(feed + 1), dir_);
}

TEST_F(ClearCacheAndRestartTest, KeepsTheWindowOpenWhenNoCopyCanStart) {
  ClearCacheAndRestart(window_, &FailToCreate);

  ASSERT_EQ(g_create.count, 1);
  ExpectTheRestartCall();
  EXPECT_FALSE(ClosePosted()) << "the launcher would close and nothing would take its place";
  EXPECT_EQ(g_trace, std::vector<std::string>{"ClearCacheAndRestart: CreateProcess basarisiz"});
}

// A double click sends the request twice before the window is gone: one copy
// only. A copy that could not start does not count.
TEST_F(ClearCacheAndRestartTest, StartsOneCopyHoweverOftenItIsAsked) {
  ClearCacheAndRestart(window_, &FailToCreate);
  ClearCacheAndRestart(window_, &CreateAndKeep);
  ClearCacheAndRestart(window_, &CreateAndKeep);
  ClearCacheAndRestart(window_, &FailToCreate);

  EXPECT_EQ(g_create.count, 2);
  EXPECT_TRUE(ClosePosted());
  EXPECT_FALSE(ClosePosted()) << "closed twice";
  ASSERT_TRUE(copy_.IsValid());
  EXPECT_EQ(WaitForSingleObject(copy_.Get(), 30000), WAIT_OBJECT_0) << "the copy did not end";
}

// A restarted launcher holds its folder's restart lock; restarting again, it
// must let its own copy have it, or no launcher would be left.
TEST_F(ClearCacheAndRestartTest, ARestartedLauncherHandsItsLockToItsCopy) {
  ASSERT_TRUE(HandleRestartCacheClear(L"--zlm-restart=0"));
  // The folder's lock is owned by a thread: the copy, a thread here, would
  // wait for it. The old launcher lets go of it by ending; this one does now.
  LetGoOfInstallFolder();
  g_copyGoesOn = false;

  ClearCacheAndRestart(window_, &StartCopyThatRestarts);

  EXPECT_TRUE(g_copyGoesOn) << "the copy found the lock held by the launcher it replaces";
  EXPECT_TRUE(ClosePosted());
  ASSERT_TRUE(copy_.IsValid());
  EXPECT_EQ(WaitForSingleObject(copy_.Get(), 30000), WAIT_OBJECT_0) << "the copy did not end";
}

TEST_F(ClearCacheAndRestartTest, StartsNothingWithoutAWindowToClose) {
  ClearCacheAndRestart(nullptr, &FailToCreate);
  EXPECT_EQ(g_create.count, 0) << "a copy would open a second window beside this one";
}

}  // namespace
