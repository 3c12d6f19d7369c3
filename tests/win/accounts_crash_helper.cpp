// Saves CrashTestList(g) for g = <first generation>, +1, ... to <store path>
// until it is killed; sets the named event once the first save is done.
//   accounts_crash_helper.exe <store path> <first generation> <event name>

#include <windows.h>

#include <cwchar>

#include "accounts/account_store.h"
#include "accounts_crash_helper.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 4)
    return 2;
  const std::wstring path = argv[1];
  unsigned long long generation = std::wcstoull(argv[2], nullptr, 10);
  HANDLE started = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[3]);
  if (!started)
    return 3;
  SaveAccounts(CrashTestList(generation++), path);
  SetEvent(started);
  for (;;)
    SaveAccounts(CrashTestList(generation++), path);
}
