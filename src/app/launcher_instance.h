// One launcher per install folder. Two browser processes on one cache break
// each other (the engine never supported sharing a profile, and a cache clear
// in one deletes the other's), so a start that finds its folder's launcher
// running brings that launcher's window forward and ends.
//
// The folder's lock is a named mutex, named after the folder's identity like
// the account store's lock (PathLockNameFor). Its two states mean two things:
//  - it exists while any launcher of the folder is running or on its way,
//    which is what a new start asks; it cannot go stale, since it goes with
//    the last handle, and a restarting launcher keeps it in existence across
//    the hand-over by giving the copy it starts a handle of its own;
//  - it is owned by the folder's launcher until its engine has shut down,
//    which is what a restarted copy waits for before it clears the cache.
// Windows only (launcher_instance_win.cpp). Main thread of the browser process.

#ifndef ZLM_APP_LAUNCHER_INSTANCE_H_
#define ZLM_APP_LAUNCHER_INSTANCE_H_

#include <windows.h>

#include <string_view>

inline constexpr std::string_view kLauncherLockPrefix = "Local\\zlm-launcher-";

// Window property that marks the launcher's main window, so that another
// start finds it; removed before the window is destroyed.
inline constexpr wchar_t kLauncherWindowProperty[] = L"ZelmoraLauncher.MainWindow";

// A launcher that has just started, or a restarted copy waiting for the one it
// replaces, may take seconds (many under an emulator) to show its window.
inline constexpr DWORD kLauncherWindowWaitMs = 20000;

enum class FolderClaim {
  kOurs,       // this process is the folder's launcher
  kElsewhere,  // another launcher has the folder: this process must end
  kUnknown,    // the lock could not be made or asked: go on, as before it existed
};

// A normal start; once per process, like TakeOverInstallFolder. kElsewhere after the running launcher's window was brought
// to the front (restored when minimised), or after a bounded wait for a
// launcher that has not opened its window yet.
FolderClaim ClaimInstallFolder();

// A restarted copy, once the process it replaces has ended (|oldEnded|) or
// outlived the wait for it: waits a moment for the folder's lock to be let go.
// kElsewhere when another launcher owns the folder although the old process is
// gone; kUnknown when the old process still runs and holds it (the copy goes
// on, as a restart always did, rather than leave the player without a window).
FolderClaim TakeOverInstallFolder(bool oldEnded);

// Gives |process| (a restart copy just created) a handle of the folder's lock,
// so that it exists without a gap until the copy owns it. Nothing when this
// process has no lock (it could not make one).
void HandInstallFolderTo(HANDLE process);

// Ends this process's ownership of the folder (its engine has shut down) and
// closes its handle; nothing when it had none.
void LetGoOfInstallFolder();

// Brings the window of the folder's running launcher (another process) to the
// front, restored when minimised, waiting up to |waitMs| for one to appear.
// False when none appeared.
bool BringFolderLauncherForward(DWORD waitMs);

#endif  // ZLM_APP_LAUNCHER_INSTANCE_H_
