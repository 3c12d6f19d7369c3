#include "bridge/process_memory.h"

std::string MebibyteText(std::uint64_t bytes) {
  return std::to_string(bytes >> 20);
}
