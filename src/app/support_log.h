// The support log: off by default. Asked for with the switch or the request
// file beside the executable, every launcher process appends its trace lines
// to launcher.log there, and the engine writes its warnings into the same file.
// This part is portable: what asks for it, and what a line looks like.

#ifndef ZLM_APP_SUPPORT_LOG_H_
#define ZLM_APP_SUPPORT_LOG_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::wstring_view kSupportLogSwitch = L"--zlm-log";
// For players who cannot edit a shortcut: any file of this name beside the
// executable, whatever it holds.
inline constexpr wchar_t kSupportLogRequestFile[] = L"zlm-log.txt";
inline constexpr wchar_t kSupportLogFile[] = L"launcher.log";
// The one previous copy: a name that still opens with a double click.
inline constexpr wchar_t kSupportLogPreviousFile[] = L"launcher.old.log";

// A file that reaches this size is set aside as the previous copy.
inline constexpr std::uint64_t kSupportLogMaxBytes = 1024 * 1024;
// The engine keeps the file open while it runs, without letting it be renamed,
// so it can only be set aside at a later start; until then lines are appended
// up to this size, and dropped after it.
inline constexpr std::uint64_t kSupportLogHardCapBytes = kSupportLogMaxBytes + kSupportLogMaxBytes / 4;

// Whether |args| (the arguments after the program) hold the switch itself.
bool HasSupportLogSwitch(const std::vector<std::wstring>& args);

// The value of the engine's "--type=" switch among |args|, "browser" without
// one; anything but ASCII letters, digits and '-' becomes '?'.
std::string ProcessTypeOf(const std::vector<std::wstring>& args);

struct LogTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// "2026-12-11 09:26:32.123 [renderer 1234] <line>" and CR LF. The trace line
// is made safe for a file that players send to others: controls become
// blanks, so that it stays one line, and web addresses lose what can carry a
// login (SafeForLog).
std::string SupportLogLine(const LogTime& time, std::string_view processType,
                           std::uint32_t processId, std::string_view traceLine);

// |text| with each web address ("scheme://...", up to the next blank) cut
// before its user part, query and fragment, which pages may fill with
// logins and session tokens: "https://u:p@host/a?x#y" gives "https://host/a?...".
std::string SafeForLog(std::string_view text);

// Windows (support_log_win.cpp). Starts the log when this process's command
// line holds the switch or the request file is beside the executable (exeDir
// must be set): the trace facility then writes there. Main thread, before any
// other thread traces. True when the log is on.
bool StartSupportLogIfAsked();

// Starts it in |folder| whatever asked for it; |processType| goes on each line.
void StartSupportLog(const std::wstring& folder, std::string processType);

// The file's path while the log is on, empty otherwise.
std::wstring SupportLogPath();

// Tests only: ends the log; later trace lines go nowhere again.
void StopSupportLogForTesting();

#endif  // ZLM_APP_SUPPORT_LOG_H_
