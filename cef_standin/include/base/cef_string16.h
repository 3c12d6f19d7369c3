// base::string16: the UTF-16 string type. On Windows wchar_t is UTF-16.

#ifndef CEF_INCLUDE_BASE_CEF_STRING16_H_
#define CEF_INCLUDE_BASE_CEF_STRING16_H_
#pragma once

#include <string>

#include "include/base/cef_basictypes.h"

#if !defined(WCHAR_T_IS_UTF16)
#error This engine provides base::string16 only where wchar_t is UTF-16.
#endif

namespace base {

typedef wchar_t char16;
typedef std::wstring string16;
typedef std::char_traits<wchar_t> string16_char_traits;

}  // namespace base

#endif  // CEF_INCLUDE_BASE_CEF_STRING16_H_
