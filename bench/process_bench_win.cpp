// What the page's memory figure and sound switch cost with 50 and 300
// processes running, when a launcher's usual handful of them is selected and
// when nearly all are. Both take a fresh process snapshot per call; the figure
// then opens and queries each selected process, the switch walks the audio
// sessions of the default output device (where there is one).
//
// The running processes are copies of this program, idle until it ends:
// six named bench_launcher.exe, the rest bench_other.exe.
//
//   process_bench.exe                     runs the benchmark
//   process_bench.exe --idle <id> <name>  (a copy) releases semaphore <name>,
//                                         then waits for process <id> to end

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bridge/audio_mute.h"
#include "bridge/launcher_processes.h"
#include "bridge/process_memory.h"
#include "bench_timing.h"

namespace {

using bench::Measure;
using bench::Timing;

constexpr int kLauncherProcesses = 6;
constexpr unsigned kProcessCounts[] = {50, 300};
constexpr wchar_t kLauncherName[] = L"bench_launcher.exe";
constexpr wchar_t kOtherName[] = L"bench_other.exe";

int RunIdle(const wchar_t* parentId, const wchar_t* semaphoreName) {
  HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, wcstoul(parentId, nullptr, 10));
  HANDLE started = OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, semaphoreName);
  if (!parent || !started)
    return 1;
  ReleaseSemaphore(started, 1, nullptr);
  CloseHandle(started);
  WaitForSingleObject(parent, INFINITE);
  return 0;
}

unsigned RunningProcesses() {
  std::vector<DWORD> ids(4096);
  DWORD bytes = 0;
  if (!K32EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes))
    return 0;
  return bytes / sizeof(DWORD);
}

// Idle copies of this program, all ended when the benchmark ends (the job
// kills them; should that fail, each ends with its parent).
class IdleCopies {
 public:
  IdleCopies() : job_(CreateJobObjectW(nullptr, nullptr)) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    folder_ = std::wstring(temp) + L"zlm-process-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder_.c_str(), nullptr);
    semaphoreName_ = L"Local\\zlm-process-bench-" + std::to_wstring(GetCurrentProcessId());
    started_ = CreateSemaphoreW(nullptr, 0, 0x7fffffff, semaphoreName_.c_str());
  }
  ~IdleCopies() {
    CloseHandle(job_);
    for (const HANDLE process : processes_) {
      WaitForSingleObject(process, 10000);
      CloseHandle(process);
    }
    CloseHandle(started_);
    DeleteFileW((folder_ + L"\\" + kLauncherName).c_str());
    DeleteFileW((folder_ + L"\\" + kOtherName).c_str());
    RemoveDirectoryW(folder_.c_str());
  }
  IdleCopies(const IdleCopies&) = delete;
  IdleCopies& operator=(const IdleCopies&) = delete;

  // Starts |count| copies named |name| and waits until each runs.
  bool Start(const wchar_t* name, unsigned count) {
    wchar_t self[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH + 1);
    const std::wstring exe = folder_ + L"\\" + name;
    CopyFileW(self, exe.c_str(), TRUE);
    for (unsigned i = 0; i < count; ++i) {
      std::wstring commandLine = L"\"" + exe + L"\" --idle " +
                                 std::to_wstring(GetCurrentProcessId()) + L" " + semaphoreName_;
      STARTUPINFOW startup = {};
      startup.cb = sizeof(startup);
      PROCESS_INFORMATION info = {};
      if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                          CREATE_SUSPENDED | DETACHED_PROCESS, nullptr, nullptr, &startup, &info))
        return false;
      AssignProcessToJobObject(job_, info.hProcess);
      ResumeThread(info.hThread);
      CloseHandle(info.hThread);
      processes_.push_back(info.hProcess);
    }
    for (unsigned i = 0; i < count; ++i) {
      if (WaitForSingleObject(started_, 60000) != WAIT_OBJECT_0)
        return false;
    }
    return true;
  }

 private:
  HANDLE job_;
  HANDLE started_;
  std::wstring folder_;
  std::wstring semaphoreName_;
  std::vector<HANDLE> processes_;
};

void Report(unsigned running, const wchar_t* name) {
  const size_t selected = CollectLauncherProcessIds(name).size();
  const Timing collect = Measure([&] { CollectLauncherProcessIds(name); });
  const Timing memory = Measure([&] { GetRamUsageText(name); });
  LauncherAudioMute mute(name, CreateCoreAudioDeviceEnumerator);
  bool muted = false;
  const Timing muting = Measure([&] { mute.Set(muted = !muted); });
  mute.Set(false);
  std::printf("%9u %9zu %11.3f %8.3f %11.3f %8.3f %11.3f %8.3f\n", running, selected,
              collect.medianMs, collect.minMs, memory.medianMs, memory.minMs, muting.medianMs,
              muting.minMs);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && std::wcscmp(argv[1], L"--idle") == 0)
    return RunIdle(argv[2], argv[3]);

  std::printf("process selection, memory figure and mute; times in ms (median, fastest)\n");
  std::printf("%9s %9s %11s %8s %11s %8s %11s %8s\n", "processes", "selected", "collect ids",
              "", "memory text", "", "mute/unmute", "");
  IdleCopies copies;
  if (!copies.Start(kLauncherName, kLauncherProcesses)) {
    std::printf("could not start the launcher copies\n");
    return 1;
  }
  for (const unsigned target : kProcessCounts) {
    const unsigned running = RunningProcesses();
    if (running < target && !copies.Start(kOtherName, target - running)) {
      std::printf("could not start %u processes\n", target);
      return 1;
    }
    Report(RunningProcesses(), kLauncherName);
    Report(RunningProcesses(), kOtherName);
  }
  return 0;
}
