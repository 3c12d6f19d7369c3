#include "app/launcher_instance.h"

#include <cstdint>
#include <string>

#include "accounts/store_lock.h"
#include "app/paths.h"
#include "app/process_values.h"
#include "app/scoped_handle.h"
#include "app/trace.h"

namespace {

constexpr DWORD kPollMs = 100;
// Once the old process has ended, its ownership is let go or abandoned; a
// lock still owned after this belongs to another launcher.
constexpr DWORD kTakeOverMs = 2000;
// A launcher that ends while a new start looks for its window leaves the
// folder free; the start claims it again, a few times at most.
constexpr int kClaimAttempts = 3;

HANDLE folderLock = nullptr;
bool folderLockOwned = false;

std::wstring FolderLockName() {
  return PathLockNameFor(kLauncherLockPrefix, exeDir);
}

// False only when no launcher of the folder holds the lock any more. A lock
// made by a launcher of another user or elevation cannot be opened, but it is
// there.
bool FolderLockExists(const std::wstring& name) {
  const KernelHandle lock(OpenMutexW(SYNCHRONIZE, FALSE, name.c_str()));
  return lock.IsValid() || GetLastError() != ERROR_FILE_NOT_FOUND;
}

// Folder of the executable that |processId| runs; empty when it cannot be read.
std::wstring ProcessFolder(DWORD processId) {
  const KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process.IsValid())
    return std::wstring();
  const std::wstring path = ReadFullModulePath([&](wchar_t* buffer, std::uint32_t size) -> std::uint32_t {
    DWORD length = size;
    if (QueryFullProcessImageNameW(process.Get(), 0, buffer, &length))
      return length;
    return GetLastError() == ERROR_INSUFFICIENT_BUFFER ? size : 0;
  });
  return path.empty() ? path : ExeDirFromPath(path);
}

struct WindowSearch {
  const std::wstring* lockName;
  HWND found;
};

BOOL CALLBACK MatchLauncherWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  if (!GetPropW(window, kLauncherWindowProperty))
    return TRUE;
  DWORD processId = 0;
  if (!GetWindowThreadProcessId(window, &processId) || processId == GetCurrentProcessId())
    return TRUE;
  // A launcher of another install folder keeps its window where it is.
  const std::wstring folder = ProcessFolder(processId);
  if (folder.empty() || PathLockNameFor(kLauncherLockPrefix, folder) != *search->lockName)
    return TRUE;
  search->found = window;
  return FALSE;
}

// Keeps |lock| for the rest of this process's life as the folder's launcher.
FolderClaim Keep(HANDLE lock, bool owned) {
  folderLock = lock;
  folderLockOwned = owned;
  return owned ? FolderClaim::kOurs : FolderClaim::kUnknown;
}

enum class WindowWait { kFound, kLauncherGone, kTimedOut };

WindowWait BringForwardWhenShown(const std::wstring& lockName, DWORD waitMs) {
  const ULONGLONG deadline = GetTickCount64() + waitMs;
  for (;;) {
    WindowSearch search = {&lockName, nullptr};
    EnumWindows(&MatchLauncherWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      // Asynchronous: a launcher busy on its UI thread must not hold this one.
      if (IsIconic(search.found))
        ShowWindowAsync(search.found, SW_RESTORE);
      // A program the player has just started may take the foreground.
      SetForegroundWindow(search.found);
      return WindowWait::kFound;
    }
    if (!FolderLockExists(lockName))
      return WindowWait::kLauncherGone;
    if (GetTickCount64() >= deadline)
      return WindowWait::kTimedOut;
    Sleep(kPollMs);
  }
}

}  // namespace

FolderClaim ClaimInstallFolder() {
  const std::wstring name = FolderLockName();
  for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
    HANDLE lock = CreateMutexW(nullptr, TRUE, name.c_str());
    const DWORD error = GetLastError();
    if (lock && error != ERROR_ALREADY_EXISTS)
      return Keep(lock, true);
    if (lock) {
      // Held while looking, it would keep the folder taken after its launcher ended.
      CloseHandle(lock);
    } else if (error != ERROR_ACCESS_DENIED) {
      Trace("ClaimInstallFolder: kilit alinamadi, hata " + std::to_string(error));
      return FolderClaim::kUnknown;
    }
    if (BringForwardWhenShown(name, kLauncherWindowWaitMs) != WindowWait::kLauncherGone)
      break;
  }
  Trace("ClaimInstallFolder: klasorun baslaticisi zaten calisiyor");
  return FolderClaim::kElsewhere;
}

FolderClaim TakeOverInstallFolder(bool oldEnded) {
  HANDLE lock = CreateMutexW(nullptr, TRUE, FolderLockName().c_str());
  const DWORD error = GetLastError();
  if (!lock) {
    Trace("TakeOverInstallFolder: kilit alinamadi, hata " + std::to_string(error));
    return error == ERROR_ACCESS_DENIED ? FolderClaim::kElsewhere : FolderClaim::kUnknown;
  }
  if (error != ERROR_ALREADY_EXISTS)
    return Keep(lock, true);
  const DWORD waited = WaitForSingleObject(lock, kTakeOverMs);
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
    return Keep(lock, true);
  if (waited == WAIT_TIMEOUT && oldEnded) {
    CloseHandle(lock);
    return FolderClaim::kElsewhere;
  }
  // Kept without ownership: while this copy runs, new starts leave the folder to it.
  Trace("TakeOverInstallFolder: kilit bosalmadi, devam ediliyor");
  return Keep(lock, false);
}

void HandInstallFolderTo(HANDLE process) {
  if (!folderLock)
    return;
  // The copy never closes it: it goes with the copy, whose own handle outlives it.
  HANDLE given = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), folderLock, process, &given, SYNCHRONIZE, FALSE, 0))
    Trace("HandInstallFolderTo: hata " + std::to_string(GetLastError()));
}

void LetGoOfInstallFolder() {
  if (!folderLock)
    return;
  if (folderLockOwned)
    ReleaseMutex(folderLock);
  CloseHandle(folderLock);
  folderLock = nullptr;
  folderLockOwned = false;
}

bool BringFolderLauncherForward(DWORD waitMs) {
  return BringForwardWhenShown(FolderLockName(), waitMs) == WindowWait::kFound;
}
