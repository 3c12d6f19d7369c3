// The restart switch: how a launcher that clears its cache tells the copy it
// starts which process to wait for.

#ifndef ZLM_APP_RESTART_SWITCH_H_
#define ZLM_APP_RESTART_SWITCH_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::wstring_view kRestartSwitch = L"--zlm-restart=";

// The process id after the first restart switch in |commandLine|: the longest
// run of decimal digits right after it, whatever follows ("123abc" gives 123).
// 0 is a valid answer (clear the cache without waiting). Nothing when there is
// no switch, no digit right after it, or more than a process id can hold: such
// a switch was not made by a launcher and must not clear anything.
std::optional<std::uint32_t> RestartSwitchProcessId(std::wstring_view commandLine);

// The command line of the copy that clears the cache: the executable's path in
// double quotes, one space, the switch and |processId| in decimal.
std::wstring RestartCommandLine(const std::wstring& exePath, std::uint32_t processId);

#endif  // ZLM_APP_RESTART_SWITCH_H_
