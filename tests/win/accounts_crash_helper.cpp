// The account store's other process, for the tests of crashes and of several
// launchers at once. Three modes:
//   accounts_crash_helper.exe <store path> <first generation> <event name>
//     saves CrashTestList(g) for g = <first generation>, +1, ... until it is
//     killed; sets the named event once the first save is done.
//   accounts_crash_helper.exe add <store path> <prefix> <count> <event name>
//     once the named event is set, adds "<prefix>-<i>" with the password
//     "pw-<prefix>-<i>" for i = 0 .. count-1, one change each, and exits 0.
//   accounts_crash_helper.exe hold <store path>
//     takes the store's lock and exits holding it, as a launcher that dies
//     mid-change would.

#include <windows.h>

#include <cwchar>
#include <string>

#include "accounts/account_store.h"
#include "accounts/store_lock.h"
#include "accounts_crash_helper.h"

namespace {

int SaveUntilKilled(const std::wstring& path, const wchar_t* firstGeneration,
                    const wchar_t* eventName) {
  unsigned long long generation = std::wcstoull(firstGeneration, nullptr, 10);
  HANDLE started = OpenEventW(EVENT_MODIFY_STATE, FALSE, eventName);
  if (!started)
    return 3;
  SaveAccounts(CrashTestList(generation++), path);
  SetEvent(started);
  for (;;)
    SaveAccounts(CrashTestList(generation++), path);
}

int AddWhenSignalled(const std::wstring& path, const std::wstring& prefix, const wchar_t* count,
                     const wchar_t* eventName) {
  HANDLE go = OpenEventW(SYNCHRONIZE, FALSE, eventName);
  if (!go || WaitForSingleObject(go, 30000) != WAIT_OBJECT_0)
    return 3;
  const std::string prefixUtf8(prefix.begin(), prefix.end());  // ASCII
  const unsigned long total = std::wcstoul(count, nullptr, 10);
  for (unsigned long i = 0; i < total; ++i) {
    const std::string user = prefixUtf8 + "-" + std::to_string(i);
    AddAccount(user, "pw-" + user, path);
  }
  return 0;
}

int ExitHoldingTheLock(const std::wstring& path) {
  // Never destroyed, so never released.
  const StoreLock* lock = new StoreLock(path, 0);
  return lock->held() ? 0 : 4;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 6 && std::wcscmp(argv[1], L"add") == 0)
    return AddWhenSignalled(argv[2], argv[3], argv[4], argv[5]);
  if (argc == 3 && std::wcscmp(argv[1], L"hold") == 0)
    return ExitHoldingTheLock(argv[2]);
  if (argc == 4)
    return SaveUntilKilled(argv[1], argv[2], argv[3]);
  return 2;
}
