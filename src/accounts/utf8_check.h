// Whether bytes are well-formed UTF-8, as the page's UTF-16 strings need them:
// the shortest form of every code point up to U+10FFFF, no surrogate halves,
// no sequence cut off. Portable.

#ifndef ZLM_ACCOUNTS_UTF8_CHECK_H_
#define ZLM_ACCOUNTS_UTF8_CHECK_H_

#include <string_view>

bool IsValidUtf8(std::string_view bytes);

#endif  // ZLM_ACCOUNTS_UTF8_CHECK_H_
