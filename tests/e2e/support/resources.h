// Editing an executable's resources, to make fixtures from a copy of a
// shipped program.
#ifndef ZLM_TESTS_E2E_SUPPORT_RESOURCES_H_
#define ZLM_TESTS_E2E_SUPPORT_RESOURCES_H_

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace e2e {

// Rewrites |exe| with every resource it has except those of |type| and
// integer id |id| (all languages). Every other resource keeps its type, name,
// language and bytes.
testing::AssertionResult RemoveResource(const std::wstring& exe, LPCWSTR type, WORD id);

}  // namespace e2e

#endif  // ZLM_TESTS_E2E_SUPPORT_RESOURCES_H_
