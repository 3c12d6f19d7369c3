// Linkage and calling-convention macros of the function interface.

#ifndef CEF_INCLUDE_INTERNAL_CEF_EXPORT_H_
#define CEF_INCLUDE_INTERNAL_CEF_EXPORT_H_
#pragma once

#include "include/base/cef_build.h"

#if defined(COMPILER_MSVC)

#ifdef BUILDING_CEF_SHARED
#define CEF_EXPORT __declspec(dllexport)
#elif USING_CEF_SHARED
#define CEF_EXPORT __declspec(dllimport)
#else
#define CEF_EXPORT
#endif
#define CEF_CALLBACK __stdcall

#elif defined(COMPILER_GCC)

#define CEF_EXPORT __attribute__((visibility("default")))
// Callbacks of an MSVC-built library are __stdcall; GCC must match on 32-bit
// Windows or every callback through the function interface corrupts the
// stack.
#if defined(OS_WIN) && defined(ARCH_CPU_32_BITS)
#define CEF_CALLBACK __stdcall
#else
#define CEF_CALLBACK
#endif

#endif  // COMPILER_GCC

#endif  // CEF_INCLUDE_INTERNAL_CEF_EXPORT_H_
