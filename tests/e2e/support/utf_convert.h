// UTF-8 inside the tests, UTF-16 at the Windows API edge.
#ifndef ZLM_TESTS_E2E_SUPPORT_UTF_CONVERT_H_
#define ZLM_TESTS_E2E_SUPPORT_UTF_CONVERT_H_

#include <string>

namespace e2e {

// Invalid input is replaced (U+FFFD), never rejected: these feed messages.
std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);

}  // namespace e2e

#endif  // ZLM_TESTS_E2E_SUPPORT_UTF_CONVERT_H_
