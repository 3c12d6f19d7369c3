// Conversions at the edge between the launcher's UTF-8 text and CEF strings,
// done with CEF's own string functions. An empty source gives an empty string.

#ifndef ZLM_APP_CEF_TEXT_H_
#define ZLM_APP_CEF_TEXT_H_

#include <string>

#include "accounts/secret_memory.h"
#include "include/cef_base.h"

CefString Utf8ToCef(const std::string& utf8);
CefString WideToCef(const std::wstring& wide);
std::string CefToUtf8(const CefString& text);

// For text that may hold a password: the UTF-8 lives only in wiped memory,
// and CEF's own buffer for the conversion is wiped before it is freed.
SecretBytes CefToSecretUtf8(const CefString& text);

#endif  // ZLM_APP_CEF_TEXT_H_
