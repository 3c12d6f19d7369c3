// Forced into every translation unit of a GCC build against a real CEF SDK
// older than 3029. It mends two faults of those SDKs under GCC without touching
// the SDK's own files:
// - include/internal/cef_string_wrappers.h calls strlen without including
//   <cstring>; MSVC's headers happen to bring it in, GCC's do not.
// - CEF_CALLBACK is empty under GCC, but the MSVC-built libcef.dll calls every
//   C-API callback as __stdcall.
#pragma once
#ifdef __cplusplus
#include <cstring>
#else
#include <string.h>
#endif
#if defined(__GNUC__) && defined(_WIN32) && !defined(_WIN64)
#include "include/internal/cef_export.h"
#undef CEF_CALLBACK
#define CEF_CALLBACK __stdcall
#endif
