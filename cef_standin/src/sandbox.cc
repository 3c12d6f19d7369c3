// There is no sandbox; the object only has to be a distinct, valid pointer.

#include "include/cef_sandbox_win.h"

namespace {
int sandbox_token;
}  // namespace

void* cef_sandbox_info_create() {
  return &sandbox_token;
}

void cef_sandbox_info_destroy(void* /*sandbox_info*/) {}
