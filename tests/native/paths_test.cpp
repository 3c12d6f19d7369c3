#include "app/paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/config.h"

namespace {

TEST(PathsTest, JoinPathUsesExactlyOneSeparator) {
  struct Case {
    const wchar_t* dir;
    const wchar_t* name;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"C:\\Games\\Zelmora", L"cache", L"C:\\Games\\Zelmora\\cache"},
      {L"C:\\Games\\Zelmora\\", L"cache", L"C:\\Games\\Zelmora\\cache"},
      {L"C:/Games/Zelmora/", L"cache", L"C:/Games/Zelmora/cache"},
      {L"C:/Games/Zelmora", L"cache", L"C:/Games/Zelmora\\cache"},
      {L".", L"pepflashplayer.dll", L".\\pepflashplayer.dll"},
      {L"", L"accounts.dat", L"accounts.dat"},
      {L"", L"", L""},
      {L"C:\\Games", L"", L"C:\\Games\\"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(JoinPath(c.dir, c.name), c.expected) << "dir=" << testing::PrintToString(c.dir);
}

TEST(PathsTest, ExeDirIsTheTextBeforeTheLastSeparator) {
  struct Case {
    const wchar_t* modulePath;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"C:\\Games\\Zelmora\\ZelmoraLauncher.exe", L"C:\\Games\\Zelmora"},
      {L"C:/Games/Zelmora/ZelmoraLauncher.exe", L"C:/Games/Zelmora"},
      {L"C:\\Games/Zelmora\\ZelmoraLauncher.exe", L"C:\\Games/Zelmora"},
      {L"C:/Games\\Zelmora/ZelmoraLauncher.exe", L"C:/Games\\Zelmora"},
      {L"\\\\server\\share\\ZelmoraLauncher.exe", L"\\\\server\\share"},
      {L"C:\\ZelmoraLauncher.exe", L"C:"},
      {L"ZelmoraLauncher.exe", L"."},
      {L"", L"."},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ExeDirFromPath(c.modulePath), c.expected) << testing::PrintToString(c.modulePath);
}

TEST(PathsTest, AFolderWithoutSeparatorStillGivesUsablePaths) {
  const std::wstring dir = ExeDirFromPath(L"ZelmoraLauncher.exe");
  EXPECT_EQ(JoinPath(dir, L"pepflashplayer.dll"), L".\\pepflashplayer.dll");
  EXPECT_EQ(JoinPath(dir, L"cache"), L".\\cache");
}

TEST(PathsTest, SiteHostOfUrls) {
  struct Case {
    const char* url;
    const char* expected;
  };
  const Case cases[] = {
      {"https://play.zelmora.example/", "play.zelmora.example"},
      {"https://play.zelmora.example/game/start?x=1", "play.zelmora.example"},
      {"https://play.zelmora.example:8443/", "play.zelmora.example:8443"},
      {"https://play.zelmora.example", "play.zelmora.example"},
      {"play.zelmora.example/start", "play.zelmora.example"},
      {"play.zelmora.example", "play.zelmora.example"},
      {"a://b://c/d", "b:"},  // only the first "://" ends the scheme
      {"https://", ""},
      {"https:///path", ""},
      {"/path", ""},
      {"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SiteHostOf(c.url), c.expected) << "url=" << c.url;
}

TEST(PathsTest, ConfiguredSiteUrlIsAnHttpsRootWithAHost) {
  const std::string url = kSiteUrl;
  EXPECT_EQ(url.rfind("https://", 0), 0u) << url;
  EXPECT_EQ(url.back(), '/') << url;
  const std::string host = SiteHostOf(url);
  EXPECT_FALSE(host.empty());
  EXPECT_EQ(url, "https://" + host + "/");
}

// A fake GetModuleFileNameW over a path of the given length: what fits, with
// its terminator, and the size when it did not fit.
TEST(PathsTest, ModulePathIsReadWholeHoweverLong) {
  struct Case {
    std::size_t length;
    std::vector<std::uint32_t> sizes_asked;
    std::size_t length_read;
  };
  const Case cases[] = {
      {40, {260}, 40},
      {259, {260}, 259},
      {260, {260, 520}, 260},  // exactly full counts as cut off
      {1000, {260, 520, 1040}, 1000},
      {32767, {260, 520, 1040, 2080, 4160, 8320, 16640, 33280}, 32767},
      {0, {260}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    std::wstring path = L"C:\\" + std::wstring(c.length > 3 ? c.length - 3 : 0, L'x');
    path.resize(c.length, L'y');
    std::vector<std::uint32_t> sizes;
    const std::wstring read = ReadFullModulePath([&](wchar_t* buffer, std::uint32_t size) {
      sizes.push_back(size);
      const std::size_t copied = std::min<std::size_t>(path.size(), size - 1);
      std::copy(path.begin(), path.begin() + copied, buffer);
      buffer[copied] = L'\0';
      return path.size() < size ? static_cast<std::uint32_t>(path.size()) : size;
    });
    EXPECT_EQ(sizes, c.sizes_asked);
    EXPECT_EQ(read.size(), c.length_read);
    EXPECT_EQ(read, path.substr(0, c.length_read));
  }
}

}  // namespace
