// The plug-in check reads a file that anyone can drop beside the launcher:
// any bytes must give a machine value without reading out of bounds.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "app/pe_machine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size), std::ios::binary);
  const uint16_t machine = ReadPeMachineFrom(in);
  // Whatever was read, the words and the message must be well formed.
  if (ArchName(machine).empty() || ArchTraceWord(machine).empty() ||
      FlashArchMessage(machine).empty())
    __builtin_trap();
  return 0;
}
