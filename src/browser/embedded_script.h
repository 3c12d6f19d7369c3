// The embedded page script: resource 200 of the executable, read once per
// process at the first main-frame load end on the game site.

#ifndef ZLM_BROWSER_EMBEDDED_SCRIPT_H_
#define ZLM_BROWSER_EMBEDDED_SCRIPT_H_

#include <string>

// UI thread. The first call reads the resource; a resource that is missing,
// empty or cannot be loaded leaves the text empty for good, and it is never
// looked up again.
const std::string& EmbeddedScriptText();

#endif  // ZLM_BROWSER_EMBEDDED_SCRIPT_H_
