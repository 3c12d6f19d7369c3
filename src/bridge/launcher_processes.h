// Which running processes belong to the launcher: every process whose
// executable file name, as the process snapshot reports it, equals ours with
// ASCII case ignored. CEF's sub-processes run from our executable, and other
// running copies under the same file name count too, wherever they live.
// The memory report and the audio mute both select through here.

#ifndef ZLM_BRIDGE_LAUNCHER_PROCESSES_H_
#define ZLM_BRIDGE_LAUNCHER_PROCESSES_H_

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

using LauncherProcessIds = std::set<std::uint32_t>;

// Equal when they differ at most in the case of the letters A-Z; every other
// character, a non-ASCII letter included, must match exactly (the "C"
// locale's rule, which is also how Windows compares these names).
bool SameExeFileName(std::wstring_view a, std::wstring_view b);

// The part behind the last '\' or '/'; the whole path when it has neither.
std::wstring ExeFileNameOf(const std::wstring& path);

// Windows only (launcher_processes_win.cpp).

// This executable's file name, read from its full module path.
std::wstring OwnExeFileName();

// Ids of the running processes named |exeFileName|, from one fresh snapshot;
// empty when the snapshot fails or the name is empty. Opens no process.
LauncherProcessIds CollectLauncherProcessIds(const std::wstring& exeFileName);
LauncherProcessIds CollectLauncherProcessIds();  // by OwnExeFileName()

#endif  // ZLM_BRIDGE_LAUNCHER_PROCESSES_H_
