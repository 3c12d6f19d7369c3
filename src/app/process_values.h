// Values every launcher process computes once at entry, before CEF starts.
// Written only by the main thread before CefInitialize, read-only afterwards,
// so CEF's threads and the presence thread read them without locks.

#ifndef ZLM_APP_PROCESS_VALUES_H_
#define ZLM_APP_PROCESS_VALUES_H_

#include <cstdint>
#include <string>

extern std::wstring exeDir;          // folder of the executable, no trailing separator
extern std::string siteHost;         // host part of kSiteUrl
extern std::uint64_t launchTickMs;   // GetTickCount64 at entry; 0 until taken

#endif  // ZLM_APP_PROCESS_VALUES_H_
