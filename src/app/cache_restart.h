// Clearing CEF's cache by restarting: the running process starts a copy of
// itself with the restart switch and closes; the copy waits for it, deletes
// the cache folder and starts normally.

#ifndef ZLM_APP_CACHE_RESTART_H_
#define ZLM_APP_CACHE_RESTART_H_

#include <windows.h>

// Browser process, before CefInitialize: finishes a pending restart, if the
// command line (may be null) carries the restart switch.
void HandleRestartCacheClear(const wchar_t* commandLine);

#endif  // ZLM_APP_CACHE_RESTART_H_
