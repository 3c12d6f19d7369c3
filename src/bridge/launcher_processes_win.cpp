#include "bridge/launcher_processes.h"

#include <windows.h>

#include <tlhelp32.h>

#include "app/paths.h"
#include "app/scoped_handle.h"

std::wstring OwnExeFileName() {
  // Read in full: a name cut off at 260 units would select no process at all.
  return ExeFileNameOf(ReadFullModulePath([](wchar_t* buffer, std::uint32_t size) {
    return static_cast<std::uint32_t>(GetModuleFileNameW(nullptr, buffer, size));
  }));
}

LauncherProcessIds CollectLauncherProcessIds(const std::wstring& exeFileName) {
  LauncherProcessIds ids;
  if (exeFileName.empty())
    return ids;
  const SnapshotHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.IsValid())
    return ids;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry)) {
    if (SameExeFileName(entry.szExeFile, exeFileName))
      ids.insert(entry.th32ProcessID);
  }
  return ids;
}

LauncherProcessIds CollectLauncherProcessIds() {
  return CollectLauncherProcessIds(OwnExeFileName());
}
