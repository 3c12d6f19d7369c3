// Forced into every translation unit of a GCC build against a real CEF SDK
// older than 3029: make C-API callbacks __stdcall like the MSVC-built libcef.dll.
#pragma once
#if defined(__GNUC__) && defined(_WIN32) && !defined(_WIN64)
#include "include/internal/cef_export.h"
#undef CEF_CALLBACK
#define CEF_CALLBACK __stdcall
#endif
