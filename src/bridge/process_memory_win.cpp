#include "bridge/process_memory.h"

#include <windows.h>

#include <psapi.h>

#include "app/scoped_handle.h"

// The 32-bit launcher passes the 44-byte form of the counters.
static_assert(sizeof(void*) != 4 || sizeof(PROCESS_MEMORY_COUNTERS_EX) == 44,
              "PROCESS_MEMORY_COUNTERS_EX of a 32-bit program");

std::optional<std::uint64_t> ReadPrivateBytes(std::uint32_t processId) {
  const KernelHandle process(
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  if (!process.IsValid())
    return std::nullopt;
  // An ended process can still be opened and queried while any handle to it
  // is open (the browser process holds its sub-processes'); it no longer
  // uses memory of ours.
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(process.Get(), &exitCode) || exitCode != STILL_ACTIVE)
    return std::nullopt;
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  if (!K32GetProcessMemoryInfo(process.Get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                               sizeof(counters)))
    return std::nullopt;
  return counters.PrivateUsage;
}

MemoryTotal MeasurePrivateBytes(const LauncherProcessIds& processIds) {
  MemoryTotal total;
  for (const std::uint32_t id : processIds) {
    if (const std::optional<std::uint64_t> bytes = ReadPrivateBytes(id))
      total.Add(*bytes);
  }
  return total;
}

std::string GetRamUsageText(const std::wstring& exeFileName) {
  return MebibyteText(MeasurePrivateBytes(CollectLauncherProcessIds(exeFileName)).bytes);
}

std::string GetRamUsageText() {
  return GetRamUsageText(OwnExeFileName());
}
