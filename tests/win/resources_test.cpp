// The executable's resources, read back from the module as Windows reads them.

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "resource.h"

namespace {

#pragma pack(push, 2)
struct GroupIconEntry {  // GRPICONDIRENTRY
  BYTE width, height, colorCount, reserved;
  WORD planes, bitCount;
  DWORD bytesInRes;
  WORD id;
};
struct GroupIconHeader {  // GRPICONDIR without its entries
  WORD reserved, type, count;
};
#pragma pack(pop)

std::string ResourceBytes(LPCWSTR name, LPCWSTR type, WORD language) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC res = FindResourceExW(module, type, name, language);
  if (!res)
    return {};
  HGLOBAL data = LoadResource(module, res);
  const DWORD size = SizeofResource(module, res);
  const void* bytes = data ? LockResource(data) : nullptr;
  return bytes ? std::string(static_cast<const char*>(bytes), size) : std::string();
}

constexpr WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

TEST(ResourcesTest, IconGroupHoldsSixTrueColourSizes) {
  const std::string group = ResourceBytes(MAKEINTRESOURCEW(IDI_APP_ICON), RT_GROUP_ICON, kEnglishUs);
  ASSERT_GE(group.size(), sizeof(GroupIconHeader));
  const auto* header = reinterpret_cast<const GroupIconHeader*>(group.data());
  ASSERT_EQ(header->type, 1);
  ASSERT_EQ(group.size(), sizeof(GroupIconHeader) + header->count * sizeof(GroupIconEntry));
  const auto* entries = reinterpret_cast<const GroupIconEntry*>(header + 1);
  std::set<int> sizes;
  for (int i = 0; i < header->count; ++i) {
    EXPECT_EQ(entries[i].bitCount, 32);
    sizes.insert(entries[i].width == 0 ? 256 : entries[i].width);  // 0 stands for 256
    EXPECT_EQ(entries[i].width, entries[i].height);
  }
  EXPECT_EQ(sizes, (std::set<int>{16, 32, 48, 64, 128, 256}));
}

TEST(ResourcesTest, IconLoadsAtEverySystemSize) {
  for (int size : {16, 32, 48, 256}) {
    HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                               MAKEINTRESOURCEW(IDI_APP_ICON), IMAGE_ICON, size,
                                               size, 0));
    EXPECT_NE(icon, nullptr) << size;
    if (icon)
      DestroyIcon(icon);
  }
}

TEST(ResourcesTest, PageScriptIsEmbeddedByteForByte) {
  std::ifstream in(PAGE_SCRIPT_JS_PATH, std::ios::binary);
  ASSERT_TRUE(in) << PAGE_SCRIPT_JS_PATH;
  std::ostringstream file;
  file << in.rdbuf();
  ASSERT_FALSE(file.str().empty());
  EXPECT_EQ(ResourceBytes(MAKEINTRESOURCEW(IDR_PAGE_SCRIPT), RT_RCDATA, kEnglishUs), file.str());
}

TEST(ResourcesTest, ManifestAndVersionArePresent) {
  const std::string manifest =
      ResourceBytes(MAKEINTRESOURCEW(1), RT_MANIFEST, kEnglishUs);
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_EQ(manifest.find("<dpiAware"), std::string::npos);  // set at run time instead
  EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos);
  const std::string version = ResourceBytes(MAKEINTRESOURCEW(1), RT_VERSION, kEnglishUs);
  const std::wstring product = L"Zelmora Launcher";
  EXPECT_NE(version.find(std::string(reinterpret_cast<const char*>(product.data()),
                                     product.size() * sizeof(wchar_t))),
            std::string::npos);
}

}  // namespace
