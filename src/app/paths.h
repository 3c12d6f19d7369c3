// Folder and URL helpers shared by start-up, restart and the account store.

#ifndef ZLM_APP_PATHS_H_
#define ZLM_APP_PATHS_H_

#include <cstdint>
#include <functional>
#include <string>

// Joins with exactly one backslash; a folder that already ends in '\' or '/'
// gets no second one, and an empty folder yields |name| alone.
std::wstring JoinPath(const std::wstring& dir, const std::wstring& name);

// The folder part of a module path: the text before the last '\' or '/', or
// "." when the path has no separator at all.
std::wstring ExeDirFromPath(const std::wstring& modulePath);

// Host part of a URL: after the first "://" if any, up to the first '/'.
// A port stays attached; the result may be empty.
std::string SiteHostOf(const std::string& url);

// Reads a module path through |read|, which behaves like GetModuleFileNameW:
// it fills at most size units (the last one a terminator) and returns the
// length, or size when the path did not fit. A path that does not fit is read
// again into a buffer twice as large, up to the longest path Windows has, so a
// long install folder is never cut off into some other folder's name.
using ModulePathReader = std::function<std::uint32_t(wchar_t* buffer, std::uint32_t size)>;
std::wstring ReadFullModulePath(const ModulePathReader& read);

// Folder of the running executable, without a trailing separator.
// Windows only (paths_win.cpp).
std::wstring GetExeDir();

#endif  // ZLM_APP_PATHS_H_
