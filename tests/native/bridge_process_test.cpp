#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "bridge/launcher_processes.h"
#include "bridge/process_memory.h"

namespace {

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

TEST(ProcessMemoryTest, MebibyteTextRoundsDown) {
  struct Case {
    std::uint64_t bytes;
    const char* expected;
  };
  const Case cases[] = {
      {0, "0"},
      {kMiB - 1, "0"},
      {kMiB, "1"},
      {2 * kMiB - 1, "1"},
      {1536 * kMiB + 12345, "1536"},
      {4 * kGiB - 1, "4095"},
      {4 * kGiB, "4096"},
      {~std::uint64_t{0}, "17592186044415"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MebibyteText(c.bytes), c.expected) << c.bytes;
}

// Each figure fits in 32 bits, as in the 32-bit launcher; their sum does not.
TEST(ProcessMemoryTest, TotalOfProcessesDoesNotWrapAt4GiB) {
  MemoryTotal total;
  total.Add(3 * kGiB);
  total.Add(3 * kGiB);
  total.Add(4 * kGiB - 1);
  EXPECT_EQ(total.processes, 3u);
  EXPECT_EQ(total.bytes, 10 * kGiB - 1);
  EXPECT_EQ(MebibyteText(total.bytes), "10239");
}

TEST(LauncherProcessesTest, FileNamesCompareWithOnlyAsciiCaseIgnored) {
  struct Case {
    const wchar_t* a;
    const wchar_t* b;
    bool same;
  };
  const Case cases[] = {
      {L"ZelmoraLauncher.exe", L"ZelmoraLauncher.exe", true},
      {L"ZelmoraLauncher.exe", L"ZELMORALAUNCHER.EXE", true},
      {L"zelmoralauncher.exe", L"ZelmoraLauncher.Exe", true},
      {L"ZelmoraLauncher.exe", L"ZelmoraLauncher.ex", false},
      {L"ZelmoraLauncher.exe", L"ZelmoraLauncher.exe ", false},
      {L"ZelmoraLauncher.exe", L"ZelmoraLauncher2.exe", false},
      {L"", L"", true},
      {L"", L"a", false},
      // Letters beyond ASCII keep their case: A/a umlaut, I with dot and i,
      // the Kelvin sign and k.
      {L"Spiel\u00C4.exe", L"Spiel\u00C4.exe", true},
      {L"Spiel\u00C4.exe", L"Spiel\u00E4.exe", false},
      {L"\u0130.exe", L"i.exe", false},
      {L"\u212A.exe", L"k.exe", false},
      // Characters 0x20 apart that are not letters.
      {L"@.exe", L"`.exe", false},
      {L"[.exe", L"{.exe", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SameExeFileName(c.a, c.b), c.same)
        << testing::PrintToString(c.a) << " vs " << testing::PrintToString(c.b);
    EXPECT_EQ(SameExeFileName(c.b, c.a), c.same);
  }
}

TEST(LauncherProcessesTest, ExeFileNameIsTheTextBehindTheLastSeparator) {
  struct Case {
    const wchar_t* path;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"C:\\Games\\Zelmora\\ZelmoraLauncher.exe", L"ZelmoraLauncher.exe"},
      {L"C:/Games/Zelmora/ZelmoraLauncher.exe", L"ZelmoraLauncher.exe"},
      {L"C:\\Games/Zelmora\\ZelmoraLauncher.exe", L"ZelmoraLauncher.exe"},
      {L"\\\\?\\C:\\Games\\ZelmoraLauncher.exe", L"ZelmoraLauncher.exe"},
      {L"ZelmoraLauncher.exe", L"ZelmoraLauncher.exe"},
      {L"C:\\Games\\", L""},
      {L"", L""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ExeFileNameOf(c.path), c.expected) << testing::PrintToString(c.path);
}

}  // namespace
