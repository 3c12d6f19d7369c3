// The page environment script, run in every frame as its script context is
// created. The definition is generated at build time from page_environment.js.

#ifndef ZLM_APP_PAGE_ENVIRONMENT_SCRIPT_H_
#define ZLM_APP_PAGE_ENVIRONMENT_SCRIPT_H_

#include <cstddef>

// UTF-8 source text, NUL-terminated; the size excludes the terminator.
extern const char kPageEnvironmentScript[];
extern const std::size_t kPageEnvironmentScriptSize;

#endif  // ZLM_APP_PAGE_ENVIRONMENT_SCRIPT_H_
