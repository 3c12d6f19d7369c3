// Clearing CEF's cache by restarting: the running process starts a copy of
// itself with the restart switch and closes; the copy waits for it, deletes
// the cache folder and starts normally. CEF holds the cache open while it
// runs, so only a process that has not initialised CEF yet can delete it.

#ifndef ZLM_APP_CACHE_RESTART_H_
#define ZLM_APP_CACHE_RESTART_H_

#include <windows.h>

#include <string>

// UI thread of the running launcher: starts a copy of this executable with the
// restart switch and this process's id, then posts WM_CLOSE to |mainWindow|.
// Without a window nothing is started: there would be nothing to close, and the
// copy would open a second window beside this one. If the copy cannot be
// started, the window stays open rather than leave the player with none.
// Once a copy has started, later calls (a double click) start nothing: the
// window is already closing, and a second copy would share the cache and the
// cookies with the first. A restarted launcher hands its restart lock (below)
// to the copy it starts. |createProcess| is a seam for tests.
using ProcessCreator = decltype(&CreateProcessW);
void ClearCacheAndRestart(HWND mainWindow, ProcessCreator createProcess = &CreateProcessW);

// Browser process, before CefInitialize: finishes a pending restart, if the
// command line (may be null) carries the restart switch. Waits up to 5 s for
// the old process to end, takes the install folder over from it
// (launcher_instance.h), then deletes the cache folder beside the executable.
// A restarting copy holds a restart lock named after its install folder for
// the rest of its life (or until it restarts in turn). False when this copy
// must end at once, without a window and without touching the cache: another
// restarting copy of the same folder holds the restart lock, or another
// launcher has the folder (its window is brought forward). True otherwise,
// the switch absent or malformed included.
bool HandleRestartCacheClear(const wchar_t* commandLine);

// Tests only: lets ClearCacheAndRestart start a copy again in this process.
void AllowAnotherRestartForTesting();

// Removes |folder| with everything below it, as far as the system allows;
// links inside it are removed, never followed (see DeleteTreeIn).
void DeleteTree(const std::wstring& folder);

#endif  // ZLM_APP_CACHE_RESTART_H_
