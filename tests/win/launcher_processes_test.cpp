// Which processes the memory report and the mute select, and what the report
// makes of them, with copies of a helper program running under various names.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/paths.h"
#include "bridge/launcher_processes.h"
#include "bridge/process_memory.h"
#include "e2e/support/process.h"
#include "e2e/support/scoped_handle.h"
#include "e2e/support/temp_dir.h"
#include "e2e/support/wine_host.h"

namespace {

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

// Copies of the helper, each in a folder of its own, running until the test
// ends. Declared folders first, so the processes go before their folders.
class HelperCopies {
 public:
  // Starts a copy named |fileName| and waits until it runs; its id, or 0.
  unsigned long Start(const std::wstring& fileName, unsigned commitMiB = 0) {
    e2e::TempDir& dir = dirs_.emplace_back();
    if (!dir.IsValid() || !dir.CopyIn(JoinPath(GetExeDir(), L"process_helper.exe"), fileName))
      return 0;
    const std::wstring eventName = L"Local\\zlm-helper-" + std::to_wstring(GetCurrentProcessId()) +
                                   L"-" + std::to_wstring(dirs_.size());
    const e2e::ScopedHandle ready(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    std::wstring arguments = std::to_wstring(GetCurrentProcessId()) + L" " + eventName;
    if (commitMiB != 0)
      arguments += L" " + std::to_wstring(commitMiB);
    e2e::Process& process = processes_.emplace_back();
    if (!ready.IsValid() || !process.Start(dir.PathOf(fileName), arguments) ||
        WaitForSingleObject(ready.Get(), 15000) != WAIT_OBJECT_0)
      return 0;
    return process.id();
  }

  // Ends the copy and lets go of its handle, so that its id names no process.
  void End(unsigned long id) {
    for (e2e::Process& process : processes_) {
      if (process.id() == id)
        process.Kill();
    }
  }

 private:
  std::vector<e2e::TempDir> dirs_;
  std::vector<e2e::Process> processes_;
};

std::wstring AsciiUpper(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'a' && c <= L'z')
      c = static_cast<wchar_t>(c - (L'a' - L'A'));
  }
  return text;
}

bool IsDecimal(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos &&
         (text == "0" || text[0] != '0');
}

TEST(LauncherProcessesTest, CopiesUnderOurFileNameAreSelectedInAnyFolderAndCase) {
  const std::wstring own = OwnExeFileName();
  ASSERT_TRUE(SameExeFileName(own, L"win_tests.exe")) << testing::PrintToString(own);

  HelperCopies copies;
  const unsigned long first = copies.Start(own);
  const unsigned long second = copies.Start(own);
  const unsigned long upper = copies.Start(AsciiUpper(own));
  const unsigned long renamed = copies.Start(L"other_program.exe");
  ASSERT_TRUE(first && second && upper && renamed);

  const LauncherProcessIds ids = CollectLauncherProcessIds();
  EXPECT_EQ(ids.count(GetCurrentProcessId()), 1u);
  EXPECT_EQ(ids.count(first), 1u);
  EXPECT_EQ(ids.count(second), 1u);
  EXPECT_EQ(ids.count(upper), 1u);
  EXPECT_EQ(ids.count(renamed), 0u);

  EXPECT_EQ(MeasurePrivateBytes(ids).processes, ids.size());
  EXPECT_TRUE(IsDecimal(GetRamUsageText())) << GetRamUsageText();
}

TEST(LauncherProcessesTest, AProcessThatEndsBetweenSnapshotAndQueryIsLeftOut) {
  const std::wstring name = L"zlm_selection_" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  HelperCopies copies;
  const unsigned long staying = copies.Start(name);
  const unsigned long leaving = copies.Start(name);
  ASSERT_TRUE(staying && leaving);

  const LauncherProcessIds ids = CollectLauncherProcessIds(name);
  ASSERT_EQ(ids, (LauncherProcessIds{staying, leaving}));
  copies.End(leaving);

  EXPECT_FALSE(ReadPrivateBytes(leaving).has_value());
  EXPECT_EQ(MeasurePrivateBytes(ids).processes, 1u);
  EXPECT_TRUE(IsDecimal(GetRamUsageText(name)));
}

TEST(LauncherProcessesTest, NoProcessUnderANameGivesZero) {
  EXPECT_TRUE(CollectLauncherProcessIds(L"").empty());
  EXPECT_TRUE(CollectLauncherProcessIds(L"zlm_no_such_program.exe").empty());
  EXPECT_EQ(GetRamUsageText(L"zlm_no_such_program.exe"), "0");
}

// Wine reports PrivateUsage as 0 for every process; Windows counts the
// private memory a process has committed.
TEST(LauncherProcessesTest, PrivateBytesFollowCommittedMemory) {
  if (e2e::RunningUnderWine())
    GTEST_SKIP() << "Wine does not report PrivateUsage";
  const std::wstring name = L"zlm_commit_" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  HelperCopies copies;
  const unsigned long idle = copies.Start(name);
  const unsigned long committing = copies.Start(name, 64);
  ASSERT_TRUE(idle && committing);

  const std::optional<std::uint64_t> idleBytes = ReadPrivateBytes(idle);
  const std::optional<std::uint64_t> committingBytes = ReadPrivateBytes(committing);
  ASSERT_TRUE(idleBytes && committingBytes);
  EXPECT_GE(*committingBytes, *idleBytes + 64 * kMiB);
  EXPECT_LT(*committingBytes, *idleBytes + 80 * kMiB);
}

}  // namespace
