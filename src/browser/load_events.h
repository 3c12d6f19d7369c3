// What the load handler composes and decides, apart from CEF: its trace lines
// and whether a finished page gets the embedded page script.

#ifndef ZLM_BROWSER_LOAD_EVENTS_H_
#define ZLM_BROWSER_LOAD_EVENTS_H_

#include <string>

// "OnLoadStart frame=main url=..." ("sub " for a sub-frame).
std::string LoadStartTraceLine(bool isMain, const std::string& url);
// "OnLoadEnd frame=main status=200 url=...".
std::string LoadEndTraceLine(bool isMain, int httpStatus, const std::string& url);
// "OnLoadError frame=main  code=-105 err=... url=..." (the frame word keeps its
// blank, so a main-frame line has two before "code=").
std::string LoadErrorTraceLine(bool isMain, int errorCode, const std::string& errorText,
                               const std::string& failedUrl);

// True for a main frame whose URL holds |siteHost| anywhere (case-sensitive,
// path and query included). An empty |siteHost| matches nothing.
bool WantsEmbeddedScript(bool isMain, const std::string& url, const std::string& siteHost);

#endif  // ZLM_BROWSER_LOAD_EVENTS_H_
