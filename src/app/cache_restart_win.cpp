#include "app/cache_restart.h"

void HandleRestartCacheClear(const wchar_t* /*commandLine*/) {
  // Restarts are not offered yet, so there is never a cache clear to finish.
}
