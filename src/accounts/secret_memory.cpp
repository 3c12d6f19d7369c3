#include "accounts/secret_memory.h"

#include <cstring>

namespace {

// Reached through a volatile pointer, the call cannot be resolved at compile
// time, so the stores it makes cannot be proven dead and removed.
void* (*const volatile wipeMemset)(void*, int, std::size_t) = std::memset;

}  // namespace

void SecureWipe(void* data, std::size_t size) {
  if (size != 0)
    wipeMemset(data, 0, size);
}
