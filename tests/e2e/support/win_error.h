// Readable Windows error codes for test failure messages.
#ifndef ZLM_TESTS_E2E_SUPPORT_WIN_ERROR_H_
#define ZLM_TESTS_E2E_SUPPORT_WIN_ERROR_H_

#include <string>

namespace e2e {

// "error <code> (<system text>)" for the calling thread's last error.
std::string LastErrorText();
std::string ErrorText(unsigned long code);

}  // namespace e2e

#endif  // ZLM_TESTS_E2E_SUPPORT_WIN_ERROR_H_
