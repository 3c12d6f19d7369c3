// The C string functions. Conversions are done here rather than through the
// Windows code-page API so that malformed input is replaced the same way
// everywhere: each maximal ill-formed UTF-8 subsequence and each unpaired
// surrogate becomes one U+FFFD, and the function reports the loss by
// returning 0.

#include <stdint.h>
#include <string.h>

#include <limits>
#include <new>
#include <string>

#include "include/internal/cef_string_types.h"

namespace {

const char32_t kReplacement = 0xFFFD;

template <typename CharT>
void DeleteString(CharT* str) {
  delete[] str;
}

void WideDtor(wchar_t* str) { DeleteString(str); }
void Utf8Dtor(char* str) { DeleteString(str); }
void Utf16Dtor(char16* str) { DeleteString(str); }

template <typename StructT>
void ClearString(StructT* str) {
  if (!str)
    return;
  if (str->dtor && str->str)
    str->dtor(str->str);
  str->str = nullptr;
  str->length = 0;
  str->dtor = nullptr;
}

template <typename CharT>
bool Overlaps(const CharT* src, size_t src_len, const CharT* buffer,
              size_t buffer_len) {
  if (!src || !buffer)
    return false;
  const auto begin = reinterpret_cast<uintptr_t>(buffer);
  const auto end = begin + buffer_len * sizeof(CharT);
  const auto s = reinterpret_cast<uintptr_t>(src);
  const auto s_end = s + src_len * sizeof(CharT);
  return s < end + sizeof(CharT) && s_end > begin;
}

// The new value is built before the old one is freed, so |src| may point
// into |output|'s own characters; a reference to characters that are about
// to be freed is taken as a copy instead.
template <typename CharT, typename StructT>
int SetString(const CharT* src, size_t src_len, StructT* output, int copy,
              void (*dtor)(CharT*)) {
  if (!output)
    return 0;
  if (!src || src_len == 0) {
    ClearString(output);
    return 1;
  }

  const bool owned_overlap =
      output->dtor && Overlaps(src, src_len, output->str, output->length);
  if (!copy && !owned_overlap) {
    ClearString(output);
    output->str = const_cast<CharT*>(src);
    output->length = src_len;
    return 1;
  }

  if (src_len > std::numeric_limits<size_t>::max() / sizeof(CharT) - 1)
    return 0;
  CharT* buffer = new (std::nothrow) CharT[src_len + 1];
  if (!buffer)
    return 0;
  memcpy(buffer, src, src_len * sizeof(CharT));
  buffer[src_len] = 0;

  ClearString(output);
  output->str = buffer;
  output->length = src_len;
  output->dtor = dtor;
  return 1;
}

template <typename UnitT, typename StructT>
int CompareStrings(const StructT* str1, const StructT* str2) {
  const size_t len1 = str1 ? str1->length : 0;
  const size_t len2 = str2 ? str2->length : 0;
  const size_t common = len1 < len2 ? len1 : len2;
  for (size_t i = 0; i < common; ++i) {
    const UnitT a = static_cast<UnitT>(str1->str[i]);
    const UnitT b = static_cast<UnitT>(str2->str[i]);
    if (a != b)
      return a < b ? -1 : 1;
  }
  if (len1 == len2)
    return 0;
  return len1 < len2 ? -1 : 1;
}

// Decodes one code point starting at |*pos|; on a malformed sequence
// consumes its maximal ill-formed subpart and returns false.
bool DecodeUtf8(const unsigned char* s, size_t len, size_t* pos,
                char32_t* out) {
  const unsigned char lead = s[*pos];
  if (lead < 0x80) {
    *out = lead;
    ++*pos;
    return true;
  }

  size_t need = 0;
  unsigned char lo = 0x80;
  unsigned char hi = 0xBF;
  char32_t cp = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 2;
    cp = lead & 0x0F;
    if (lead == 0xE0)
      lo = 0xA0;
    else if (lead == 0xED)
      hi = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 3;
    cp = lead & 0x07;
    if (lead == 0xF0)
      lo = 0x90;
    else if (lead == 0xF4)
      hi = 0x8F;
  } else {
    ++*pos;
    return false;
  }

  size_t i = *pos + 1;
  for (size_t k = 0; k < need; ++k, ++i) {
    const unsigned char lower = k == 0 ? lo : 0x80;
    const unsigned char upper = k == 0 ? hi : 0xBF;
    if (i >= len || s[i] < lower || s[i] > upper) {
      *pos = i;
      return false;
    }
    cp = (cp << 6) | (s[i] & 0x3F);
  }
  *pos = i;
  *out = cp;
  return true;
}

void AppendUtf16(char32_t cp, std::u16string* out) {
  if (cp < 0x10000) {
    out->push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

bool Utf8ToUtf16(const char* src, size_t src_len, std::u16string* out) {
  bool valid = true;
  if (!src)
    return valid;
  const auto* s = reinterpret_cast<const unsigned char*>(src);
  out->reserve(src_len);
  size_t pos = 0;
  while (pos < src_len) {
    char32_t cp = 0;
    if (!DecodeUtf8(s, src_len, &pos, &cp)) {
      valid = false;
      cp = kReplacement;
    }
    AppendUtf16(cp, out);
  }
  return valid;
}

void AppendUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

template <typename UnitT>
bool Utf16ToUtf8(const UnitT* src, size_t src_len, std::string* out) {
  bool valid = true;
  if (!src)
    return valid;
  out->reserve(src_len);
  for (size_t i = 0; i < src_len; ++i) {
    char32_t cp = static_cast<char16_t>(src[i]);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < src_len) {
      const char32_t low = static_cast<char16_t>(src[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (cp >= 0xD800 && cp <= 0xDFFF) {
      valid = false;
      cp = kReplacement;
    }
    AppendUtf8(cp, out);
  }
  return valid;
}

template <typename CharT>
bool AsciiToUtf16(const char* src, size_t src_len,
                  std::basic_string<CharT>* out) {
  bool valid = true;
  if (!src)
    return valid;
  out->reserve(src_len);
  for (size_t i = 0; i < src_len; ++i) {
    const auto byte = static_cast<unsigned char>(src[i]);
    if (byte >= 0x80) {
      valid = false;
      out->push_back(static_cast<CharT>(kReplacement));
    } else {
      out->push_back(static_cast<CharT>(byte));
    }
  }
  return valid;
}

// Stores |converted| in |output|; the result is 0 when either the conversion
// lost characters or the store failed.
template <typename CharT, typename StructT, typename StringT>
int StoreConverted(bool valid, const StringT& converted, StructT* output,
                   void (*dtor)(CharT*)) {
  const int stored =
      SetString(reinterpret_cast<const CharT*>(converted.data()),
                converted.size(), output, true, dtor);
  return stored && valid ? 1 : 0;
}

static_assert(sizeof(wchar_t) == sizeof(char16_t) &&
                  sizeof(char16) == sizeof(char16_t),
              "wide strings are UTF-16 on this platform");

}  // namespace

extern "C" {

CEF_EXPORT int cef_string_wide_set(const wchar_t* src, size_t src_len,
                                   cef_string_wide_t* output, int copy) {
  return SetString(src, src_len, output, copy, WideDtor);
}

CEF_EXPORT int cef_string_utf8_set(const char* src, size_t src_len,
                                   cef_string_utf8_t* output, int copy) {
  return SetString(src, src_len, output, copy, Utf8Dtor);
}

CEF_EXPORT int cef_string_utf16_set(const char16* src, size_t src_len,
                                    cef_string_utf16_t* output, int copy) {
  return SetString(src, src_len, output, copy, Utf16Dtor);
}

CEF_EXPORT void cef_string_wide_clear(cef_string_wide_t* str) {
  ClearString(str);
}

CEF_EXPORT void cef_string_utf8_clear(cef_string_utf8_t* str) {
  ClearString(str);
}

CEF_EXPORT void cef_string_utf16_clear(cef_string_utf16_t* str) {
  ClearString(str);
}

CEF_EXPORT int cef_string_wide_cmp(const cef_string_wide_t* str1,
                                   const cef_string_wide_t* str2) {
  return CompareStrings<char16_t>(str1, str2);
}

CEF_EXPORT int cef_string_utf8_cmp(const cef_string_utf8_t* str1,
                                   const cef_string_utf8_t* str2) {
  return CompareStrings<unsigned char>(str1, str2);
}

CEF_EXPORT int cef_string_utf16_cmp(const cef_string_utf16_t* str1,
                                    const cef_string_utf16_t* str2) {
  return CompareStrings<char16_t>(str1, str2);
}

CEF_EXPORT int cef_string_wide_to_utf8(const wchar_t* src, size_t src_len,
                                       cef_string_utf8_t* output) {
  std::string converted;
  const bool valid = Utf16ToUtf8(src, src_len, &converted);
  return StoreConverted(valid, converted, output, Utf8Dtor);
}

CEF_EXPORT int cef_string_utf8_to_wide(const char* src, size_t src_len,
                                       cef_string_wide_t* output) {
  std::u16string converted;
  const bool valid = Utf8ToUtf16(src, src_len, &converted);
  return StoreConverted(valid, converted, output, WideDtor);
}

CEF_EXPORT int cef_string_wide_to_utf16(const wchar_t* src, size_t src_len,
                                        cef_string_utf16_t* output) {
  return cef_string_utf16_set(src, src_len, output, true);
}

CEF_EXPORT int cef_string_utf16_to_wide(const char16* src, size_t src_len,
                                        cef_string_wide_t* output) {
  return cef_string_wide_set(src, src_len, output, true);
}

CEF_EXPORT int cef_string_utf8_to_utf16(const char* src, size_t src_len,
                                        cef_string_utf16_t* output) {
  std::u16string converted;
  const bool valid = Utf8ToUtf16(src, src_len, &converted);
  return StoreConverted(valid, converted, output, Utf16Dtor);
}

CEF_EXPORT int cef_string_utf16_to_utf8(const char16* src, size_t src_len,
                                        cef_string_utf8_t* output) {
  std::string converted;
  const bool valid = Utf16ToUtf8(src, src_len, &converted);
  return StoreConverted(valid, converted, output, Utf8Dtor);
}

CEF_EXPORT int cef_string_ascii_to_wide(const char* src, size_t src_len,
                                        cef_string_wide_t* output) {
  std::u16string converted;
  const bool valid = AsciiToUtf16(src, src_len, &converted);
  return StoreConverted(valid, converted, output, WideDtor);
}

CEF_EXPORT int cef_string_ascii_to_utf16(const char* src, size_t src_len,
                                         cef_string_utf16_t* output) {
  std::u16string converted;
  const bool valid = AsciiToUtf16(src, src_len, &converted);
  return StoreConverted(valid, converted, output, Utf16Dtor);
}

CEF_EXPORT cef_string_userfree_wide_t cef_string_userfree_wide_alloc() {
  return new (std::nothrow) cef_string_wide_t();
}

CEF_EXPORT cef_string_userfree_utf8_t cef_string_userfree_utf8_alloc() {
  return new (std::nothrow) cef_string_utf8_t();
}

CEF_EXPORT cef_string_userfree_utf16_t cef_string_userfree_utf16_alloc() {
  return new (std::nothrow) cef_string_utf16_t();
}

CEF_EXPORT void cef_string_userfree_wide_free(cef_string_userfree_wide_t str) {
  ClearString(str);
  delete str;
}

CEF_EXPORT void cef_string_userfree_utf8_free(cef_string_userfree_utf8_t str) {
  ClearString(str);
  delete str;
}

CEF_EXPORT void cef_string_userfree_utf16_free(
    cef_string_userfree_utf16_t str) {
  ClearString(str);
  delete str;
}

}  // extern "C"
