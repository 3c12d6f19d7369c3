#include "app/cache_restart.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "accounts/store_lock.h"
#include "app/delete_tree.h"
#include "app/launcher_instance.h"
#include "app/paths.h"
#include "app/process_values.h"
#include "app/restart_switch.h"
#include "app/scoped_handle.h"
#include "app/trace.h"

namespace {

constexpr DWORD kOldProcessWaitMs = 5000;
// The old browser process's helpers (renderer, GPU, plug-in) may hold cache
// files for a moment after it has ended.
constexpr DWORD kSettleMs = 300;

class WindowsFileTree final : public FileTree {
 public:
  std::optional<std::uint32_t> Attributes(const std::wstring& path) override {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
      return std::nullopt;
    return attributes;
  }

  void ListFolder(const std::wstring& folder, const EntryVisitor& visit) override {
    // Basic information leaves out the short 8.3 names, which nobody reads
    // here; large fetches save round trips in folders of many entries.
    WIN32_FIND_DATAW entry;
    const FindHandle search(FindFirstFileExW(JoinPath(folder, L"*").c_str(), FindExInfoBasic, &entry,
                                             FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH));
    if (!search.IsValid())
      return;
    do {
      visit(entry.cFileName, entry.dwFileAttributes);
    } while (FindNextFileW(search.Get(), &entry));
  }

  void ClearAttributes(const std::wstring& path) override {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  void RemoveFile(const std::wstring& path) override { DeleteFileW(path.c_str()); }
  void RemoveFolder(const std::wstring& path) override { RemoveDirectoryW(path.c_str()); }
};

std::wstring OwnExecutablePath() {
  return ReadFullModulePath([](wchar_t* buffer, std::uint32_t size) {
    return static_cast<std::uint32_t>(GetModuleFileNameW(nullptr, buffer, size));
  });
}

// The install folder's restart lock: held by a restarting copy from before it
// touches the cache to its end, so that a second copy restarting the same
// folder (two old launchers, or a restart requested twice) gives way instead
// of deleting the cache the first one uses and opening a second window on it.
constexpr std::string_view kRestartLockPrefix = "Local\\zlm-restart-";

// Main thread only: HandleRestartCacheClear takes it, ClearCacheAndRestart
// (the UI thread, which is the same one) lets go of it.
HANDLE restartLock = nullptr;
bool restartStarted = false;

void ReleaseRestartLock() {
  if (!restartLock)
    return;
  ReleaseMutex(restartLock);
  CloseHandle(restartLock);
  restartLock = nullptr;
}

// False when another process holds the lock. A holder that died leaves it
// abandoned, which counts as had: that copy opens no window any more. A lock
// that cannot be made or waited for is not held by anyone we know of: the
// restart goes on without it, as it did before the lock existed.
bool TakeRestartLock() {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, PathLockNameFor(kRestartLockPrefix, exeDir).c_str());
  if (!mutex)
    return true;
  const DWORD waited = WaitForSingleObject(mutex, 0);
  if (waited == WAIT_TIMEOUT) {
    CloseHandle(mutex);
    return false;
  }
  if (waited == WAIT_FAILED) {
    Trace("TakeRestartLock: bekleme basarisiz, kilitsiz devam");
    CloseHandle(mutex);
    return true;
  }
  ReleaseRestartLock();
  restartLock = mutex;
  return true;
}

// True once the process has ended, or when it is gone or not ours to open;
// false when it outlived the wait or the wait failed.
bool WaitForOldProcess(std::uint32_t processId) {
  const KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
  return !process.IsValid() || WaitForSingleObject(process.Get(), kOldProcessWaitMs) == WAIT_OBJECT_0;
}

}  // namespace

void ClearCacheAndRestart(HWND mainWindow, ProcessCreator createProcess) {
  if (!mainWindow || restartStarted)
    return;
  const std::wstring exePath = OwnExecutablePath();
  // Writable and zero-ended, as CreateProcessW requires of its command line.
  std::wstring commandLine = RestartCommandLine(exePath, GetCurrentProcessId());
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION created = {};
  // The copy must find the lock free; this process restarts nothing more.
  const bool heldLock = restartLock != nullptr;
  ReleaseRestartLock();
  if (!createProcess(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     exeDir.c_str(), &startup, &created)) {
    if (heldLock)
      TakeRestartLock();
    Trace("ClearCacheAndRestart: CreateProcess basarisiz");
    return;
  }
  restartStarted = true;
  HandInstallFolderTo(created.hProcess);
  CloseHandle(created.hThread);
  CloseHandle(created.hProcess);
  Trace("ClearCacheAndRestart: yeni surec baslatildi");
  PostMessageW(mainWindow, WM_CLOSE, 0, 0);
}

bool HandleRestartCacheClear(const wchar_t* commandLine) {
  if (!commandLine)
    return true;
  const std::optional<std::uint32_t> oldProcess = RestartSwitchProcessId(commandLine);
  if (!oldProcess)
    return true;
  if (!TakeRestartLock())
    return false;
  const bool oldEnded = *oldProcess == 0 || WaitForOldProcess(*oldProcess);
  if (TakeOverInstallFolder(oldEnded) == FolderClaim::kElsewhere) {
    // Another launcher has the folder and its cache: this copy must not touch it.
    BringFolderLauncherForward(kLauncherWindowWaitMs);
    return false;
  }
  Sleep(kSettleMs);
  DeleteTree(JoinPath(exeDir, L"cache"));
  Trace("HandleRestartCacheClear: cache temizlendi");
  return true;
}

void AllowAnotherRestartForTesting() {
  restartStarted = false;
}

void DeleteTree(const std::wstring& folder) {
  // Cache entries nest deeper than 260 units, and a long install folder puts
  // even the cache folder past it: the walk uses extended-length paths, which
  // Windows takes as they are, so they are made full once and children are
  // appended to them.
  if (folder.empty())
    return;
  WindowsFileTree tree;
  if (folder.compare(0, 4, L"\\\\?\\") == 0) {
    DeleteTreeIn(tree, folder);  // already extended: Windows would take it verbatim
    return;
  }
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetFullPathNameW(folder.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    if (length == 0)
      return;
    if (length < full.size()) {
      full.resize(length);
      break;
    }
    full.assign(length, L'\0');  // length counts the terminator here
  }
  DeleteTreeIn(tree, ExtendedLengthPath(full));
}
