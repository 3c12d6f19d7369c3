#include "app/paths.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PathsWinTest, ExeDirIsTheFolderHoldingTheRunningExecutable) {
  wchar_t self[32768] = {};
  ASSERT_NE(GetModuleFileNameW(nullptr, self, 32768), 0u);
  const std::wstring modulePath = self;
  const std::wstring name = modulePath.substr(modulePath.find_last_of(L"\\/") + 1);

  const std::wstring dir = GetExeDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_NE(dir.back(), L'\\');
  const DWORD attributes = GetFileAttributesW(dir.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_NE(GetFileAttributesW(JoinPath(dir, name).c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
