#include "app/cef_text.h"

CefString Utf8ToCef(const std::string& utf8) {
  CefString out;
  if (!utf8.empty())
    cef_string_utf8_to_utf16(utf8.data(), utf8.size(), out.GetWritableStruct());
  return out;
}

CefString WideToCef(const std::wstring& wide) {
  CefString out;
  if (!wide.empty())
    cef_string_utf16_set(wide.data(), wide.size(), out.GetWritableStruct(), 1);
  return out;
}

std::string CefToUtf8(const CefString& text) {
  if (text.empty())
    return std::string();
  cef_string_utf8_t utf8 = {};
  cef_string_utf16_to_utf8(text.c_str(), text.length(), &utf8);
  std::string out(utf8.str ? utf8.str : "", utf8.length);
  cef_string_utf8_clear(&utf8);
  return out;
}

SecretBytes CefToSecretUtf8(const CefString& text) {
  SecretBytes out;
  if (text.empty())
    return out;
  cef_string_utf8_t utf8 = {};
  cef_string_utf16_to_utf8(text.c_str(), text.length(), &utf8);
  if (utf8.str) {
    out.assign(utf8.str, utf8.str + utf8.length);
    SecureWipe(utf8.str, utf8.length);
  }
  cef_string_utf8_clear(&utf8);
  return out;
}
