// A process for the process-selection tests to find: copied under various
// names, it signals that it runs, optionally commits private memory, and
// lives until its parent (the test) ends, at most two minutes.
//
//   process_helper.exe <parent id> <ready event name> [mebibytes to commit]

#include <windows.h>

#include <cstdlib>
#include <cstring>

int wmain(int argc, wchar_t** argv) {
  if (argc < 3)
    return 2;
  HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, wcstoul(argv[1], nullptr, 10));
  if (argc > 3) {
    const SIZE_T bytes = static_cast<SIZE_T>(wcstoul(argv[3], nullptr, 10)) << 20;
    void* memory = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!memory)
      return 3;
    std::memset(memory, 0x5a, bytes);
  }
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
  if (!ready || !SetEvent(ready))
    return 4;
  CloseHandle(ready);
  WaitForSingleObject(parent ? parent : GetCurrentProcess(), 120000);
  return 0;
}
