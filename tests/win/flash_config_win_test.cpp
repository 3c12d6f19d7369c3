// mms.cfg put in place below the cache folder before the engine starts.

#include "app/flash_config.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/support/temp_dir.h"

namespace {

constexpr char kSite[] = "https://play.zelmora.example/";
const std::wstring kFile = std::wstring(L"cache\\") + kFlashConfigPath;

FILETIME LastWrite(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

TEST(FlashConfigWinTest, WritesTheFileOnceAndReplacesWhatDiffers) {
  e2e::TempDir dir;
  ASSERT_TRUE(dir.IsValid()) << dir.error();
  ASSERT_TRUE(WriteFlashConfig(dir.PathOf(L"cache"), kSite)) << "folders made on the way";
  EXPECT_EQ(dir.ReadBytes(kFile), FlashConfigText(kSite));

  // The same content is left alone: not even its time changes.
  const FILETIME before = LastWrite(dir.PathOf(kFile));
  Sleep(50);
  ASSERT_TRUE(WriteFlashConfig(dir.PathOf(L"cache"), kSite));
  const FILETIME after = LastWrite(dir.PathOf(kFile));
  EXPECT_EQ(CompareFileTime(&before, &after), 0);

  // Anything else in its place is replaced whole, and no temporary is left.
  ASSERT_TRUE(dir.WriteBytes(kFile, "EnableAllowList=0\r\nAllowListUrlPattern=https://old/\r\nmore"));
  ASSERT_TRUE(WriteFlashConfig(dir.PathOf(L"cache"), kSite));
  EXPECT_EQ(dir.ReadBytes(kFile), FlashConfigText(kSite));
  WIN32_FIND_DATAW found = {};
  HANDLE search = FindFirstFileW(dir.PathOf(kFile + L"*").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(FindNextFileW(search, &found)) << "left beside it: " << found.cFileName;
  FindClose(search);
}

TEST(FlashConfigWinTest, ReachesADeepInstallFolderAndSaysWhenItCannotWrite) {
  e2e::TempDir dir;
  ASSERT_TRUE(dir.IsValid()) << dir.error();
  std::wstring deep = dir.path();
  for (int i = 0; i < 8; ++i)
    deep += L"\\a-folder-name-of-some-thirty-units";
  ASSERT_GT(deep.size() + kFile.size(), 260u);
  ASSERT_TRUE(WriteFlashConfig(deep + L"\\cache", kSite));
  const std::wstring file = L"\\\\?\\" + deep + L"\\" + kFile;
  EXPECT_NE(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES);

  // A file where a folder of the path should be.
  ASSERT_TRUE(dir.WriteBytes(L"blocked\\cache", "a file, not a folder"));
  EXPECT_FALSE(WriteFlashConfig(dir.PathOf(L"blocked\\cache"), kSite));
}

}  // namespace
