// The memory figure of the page bridge: the private bytes of all launcher
// processes together, in whole mebibytes.

#ifndef ZLM_BRIDGE_PROCESS_MEMORY_H_
#define ZLM_BRIDGE_PROCESS_MEMORY_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "bridge/launcher_processes.h"

// Summed in 64 bits: a 32-bit launcher reads each process's figure in 32 bits,
// but together its processes can pass 4 GiB.
struct MemoryTotal {
  std::uint64_t bytes = 0;
  std::size_t processes = 0;  // how many could be measured

  void Add(std::uint64_t processBytes) {
    bytes += processBytes;
    ++processes;
  }
};

// Whole mebibytes, rounded down, as plain decimal digits ("0" below 1 MiB).
std::string MebibyteText(std::uint64_t bytes);

// Windows only (process_memory_win.cpp).

// PrivateUsage of the process's memory counters; nothing when the process
// cannot be opened or queried (protected, elevated, gone) or has ended.
std::optional<std::uint64_t> ReadPrivateBytes(std::uint32_t processId);

// Processes that cannot be measured are left out of the total.
MemoryTotal MeasurePrivateBytes(const LauncherProcessIds& processIds);

// The answer to the page's memory question, for the processes named
// |exeFileName|; the product's form selects by OwnExeFileName(). Never fails:
// nothing measurable gives "0".
std::string GetRamUsageText(const std::wstring& exeFileName);
std::string GetRamUsageText();

#endif  // ZLM_BRIDGE_PROCESS_MEMORY_H_
