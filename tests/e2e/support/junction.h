// Folder junctions, for trees that must not be followed out of.
#ifndef ZLM_TESTS_E2E_SUPPORT_JUNCTION_H_
#define ZLM_TESTS_E2E_SUPPORT_JUNCTION_H_

#include <gtest/gtest.h>

#include <string>

namespace e2e {

// Creates folder `link` as a junction to the existing folder `target`
// (both full paths).
testing::AssertionResult MakeJunction(const std::wstring& link,
                                      const std::wstring& target);

bool IsReparsePoint(const std::wstring& path);

}  // namespace e2e

#endif  // ZLM_TESTS_E2E_SUPPORT_JUNCTION_H_
