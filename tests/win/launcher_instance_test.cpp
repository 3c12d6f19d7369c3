// The install folder's launcher lock with real kernel objects. A mutex is owned
// by a thread, so another launcher's hold is a thread's here; its process-wide
// parts (the hand-over to a copy) use a real process.

#include "app/launcher_instance.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "accounts/store_lock.h"
#include "e2e/support/scoped_handle.h"
#include "e2e/support/temp_dir.h"
#include "win_test_support.h"

namespace {

using e2e::ScopedHandle;

class LauncherInstanceTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.IsValid()) << dir_.error();
    name_ = PathLockNameFor(kLauncherLockPrefix, dir_.path());
  }
  void TearDown() override { LetGoOfInstallFolder(); }

  bool LockExists() const {
    ScopedHandle lock(OpenMutexW(SYNCHRONIZE, FALSE, name_.c_str()));
    return lock.IsValid();
  }

  e2e::TempDir dir_;
  ScopedExeDir exeDir_{dir_.path()};
  std::wstring name_;
};

// What another launcher of the folder does with the lock while a restarted
// copy takes over.
enum class Holder {
  kNone,      // gone before the copy looked
  kKeeps,     // runs on and keeps it
  kReleases,  // lets go half a second later
  kDied,      // ended without letting go
};

TEST_F(LauncherInstanceTest, ARestartedCopyTakesTheFolderOnlyFromALauncherThatLetsGo) {
  struct Case {
    Holder holder;
    bool oldEnded;
    FolderClaim expected;
  };
  const Case cases[] = {
      {Holder::kNone, true, FolderClaim::kOurs},
      {Holder::kReleases, true, FolderClaim::kOurs},
      {Holder::kDied, true, FolderClaim::kOurs},
      // The process it replaces is gone, yet the folder is owned: another
      // launcher has it, and the copy must not clear its cache.
      {Holder::kKeeps, true, FolderClaim::kElsewhere},
      // The old process outlived its wait: the copy goes on rather than
      // leave the player without a window.
      {Holder::kKeeps, false, FolderClaim::kUnknown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "holder " << static_cast<int>(c.holder) << ", old ended "
                                    << c.oldEnded);
    ScopedHandle taken(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ScopedHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread holder;
    if (c.holder != Holder::kNone) {
      holder = std::thread([&] {
        ScopedHandle lock(CreateMutexW(nullptr, TRUE, name_.c_str()));
        SetEvent(taken.Get());
        if (c.holder == Holder::kReleases) {
          Sleep(500);
          ReleaseMutex(lock.Get());
        } else if (c.holder == Holder::kKeeps) {
          WaitForSingleObject(done.Get(), INFINITE);
          ReleaseMutex(lock.Get());
        }
        // kDied: the thread ends owning it, and the handle closes with it.
        // The copy's own handle keeps the mutex, abandoned, in existence.
      });
      ASSERT_EQ(WaitForSingleObject(taken.Get(), 10000), WAIT_OBJECT_0);
    }
    ScopedHandle kept;
    if (c.holder == Holder::kDied) {
      // As the handle a restarting launcher gives its copy.
      kept.Reset(OpenMutexW(SYNCHRONIZE, FALSE, name_.c_str()));
      holder.join();
    }

    EXPECT_EQ(TakeOverInstallFolder(c.oldEnded), c.expected);

    SetEvent(done.Get());
    if (holder.joinable())
      holder.join();
    // Whatever the claim, a running copy keeps the folder from new starts,
    // unless it gives way.
    EXPECT_EQ(LockExists(), c.expected != FolderClaim::kElsewhere);
    LetGoOfInstallFolder();
    kept.Reset();
    EXPECT_FALSE(LockExists());
  }
}

// The restarting launcher ends before its copy looks at the lock: the handle
// it gave the copy keeps the folder taken in between, so no start slips in.
TEST_F(LauncherInstanceTest, TheFolderStaysTakenAcrossTheHandOverToACopy) {
  ASSERT_EQ(ClaimInstallFolder(), FolderClaim::kOurs);
  std::wstring line = L"\"" + OwnPath() + L"\" --gtest_list_tests";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION created = {};
  ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                             nullptr, &startup, &created));
  ScopedHandle copy(created.hProcess);
  ScopedHandle thread(created.hThread);

  HandInstallFolderTo(copy.Get());
  LetGoOfInstallFolder();
  EXPECT_TRUE(LockExists()) << "the folder was free between the launcher and its copy";

  TerminateProcess(copy.Get(), 0);
  WaitForSingleObject(copy.Get(), 10000);
  EXPECT_FALSE(LockExists());
}

// Something else under the lock's name (not a mutex) must not stop the
// launcher, nor make it wait for a window that never comes.
TEST_F(LauncherInstanceTest, ANameTakenByAnotherKindOfObjectLetsTheLauncherStart) {
  ScopedHandle squatter(CreateEventW(nullptr, TRUE, FALSE, name_.c_str()));
  ASSERT_TRUE(squatter.IsValid());
  EXPECT_EQ(ClaimInstallFolder(), FolderClaim::kUnknown);
  EXPECT_EQ(TakeOverInstallFolder(true), FolderClaim::kUnknown);
}

}  // namespace
