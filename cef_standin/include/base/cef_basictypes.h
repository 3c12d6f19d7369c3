// Fixed-width integer names and the UTF-16 character type.

#ifndef CEF_INCLUDE_BASE_CEF_BASICTYPES_H_
#define CEF_INCLUDE_BASE_CEF_BASICTYPES_H_
#pragma once

#include <limits.h>
#include <stddef.h>

#include "include/base/cef_build.h"

#if defined(OS_WIN) || !defined(ARCH_CPU_64_BITS)
typedef long long int64;
typedef unsigned long long uint64;
#else
typedef long int64;
typedef unsigned long uint64;
#endif

#ifndef _INT32
#define _INT32
typedef int int32;
#endif

#ifndef _UINT32
#define _UINT32
typedef unsigned int uint32;
#endif

#if defined(WCHAR_T_IS_UTF16)
typedef wchar_t char16;
#elif defined(WCHAR_T_IS_UTF32)
typedef unsigned short char16;
#endif

#endif  // CEF_INCLUDE_BASE_CEF_BASICTYPES_H_
