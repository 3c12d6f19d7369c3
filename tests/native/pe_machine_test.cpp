#include "app/pe_machine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "common/pe_image.h"

namespace {

using fixtures::kMachineArm64;
using fixtures::WithByte;

std::string PeImage(uint16_t machine, uint32_t peOffset = fixtures::kPeHeaderOffset) {
  return fixtures::MinimalPeImage(machine, peOffset);
}

std::string WithLfanew(std::string image, uint32_t peOffset) {
  return fixtures::WithHeaderOffset(std::move(image), peOffset);
}

struct ImageCase {
  const char* name;
  std::string bytes;
  uint16_t expected;
};

std::vector<ImageCase> ImageCases() {
  const std::string x86 = PeImage(kMachineX86);
  return {
      {"x86", x86, kMachineX86},
      {"x64", PeImage(kMachineX64), kMachineX64},
      {"arm64", PeImage(kMachineArm64), kMachineArm64},
      {"pe header right after the dos header", PeImage(kMachineX64, 64), kMachineX64},
      {"pe header far into the file", PeImage(kMachineX64, 0x12345), kMachineX64},
      {"pe header ends exactly at end of file", x86.substr(0, 0x80 + 6), kMachineX86},
      {"machine cut short by end of file", x86.substr(0, 0x80 + 5), 0},
      {"e_lfanew past the end", WithLfanew(x86, 0x1000), 0},
      {"e_lfanew exactly at the end", WithLfanew(x86, static_cast<uint32_t>(x86.size())), 0},
      // Only all four bytes of e_lfanew name the valid header at 0x80.
      {"e_lfanew high bytes set", WithLfanew(x86, 0x01000080), 0},
      {"huge e_lfanew", WithLfanew(x86, 0xFFFFFFF0u), 0},
      {"largest e_lfanew", WithLfanew(x86, 0xFFFFFFFFu), 0},
      {"signature NE", WithByte(x86, 0x80, 'N'), 0},
      {"signature PE with nonzero third byte", WithByte(x86, 0x82, 1), 0},
      {"signature PE with nonzero fourth byte", WithByte(x86, 0x83, 1), 0},
      {"no MZ", WithByte(x86, 1, 'M'), 0},
      {"ZM swapped", WithByte(WithByte(x86, 0, 'Z'), 1, 'M'), 0},
      {"63 bytes", x86.substr(0, 63), 0},
      {"only MZ", std::string("MZ"), 0},
      {"empty", std::string(), 0},
  };
}

TEST(PeMachineTest, ReadsTheMachineFromInMemoryImages) {
  for (const ImageCase& c : ImageCases()) {
    std::istringstream in(c.bytes, std::ios::binary);
    EXPECT_EQ(ReadPeMachineFrom(in), c.expected) << c.name;
  }
}

// A file stream lets a seek go past the end and fails only the read; a string
// stream fails the seek itself. Both must give the same answers.
TEST(PeMachineTest, ReadsTheMachineFromFiles) {
  // Several test runs may share the temporary folder.
  const std::string path =
      testing::TempDir() + "zlm_pe_machine_" + std::to_string(std::random_device()()) + ".bin";
  for (const ImageCase& c : ImageCases()) {
    {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out.write(c.bytes.data(), static_cast<std::streamsize>(c.bytes.size()));
      ASSERT_TRUE(out.good()) << path;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.is_open()) << path;
    EXPECT_EQ(ReadPeMachineFrom(in), c.expected) << c.name;
  }
  std::remove(path.c_str());
}

TEST(PeMachineTest, WordsAndAcceptanceOfMachineValues) {
  struct Case {
    uint16_t machine;
    const wchar_t* archName;
    const char* traceWord;
    bool accepted;
  };
  const Case cases[] = {
      {kMachineX86, L"x86", "x86", true},
      {0, L"bilinmiyor", "unknown", true},
      {kMachineX64, L"x64", "x64", false},
      {kMachineArm64, L"bilinmiyor", "unknown", false},
      {0x0200, L"bilinmiyor", "unknown", false},  // Itanium
      {0x4C01, L"bilinmiyor", "unknown", false},  // x86 with its bytes swapped
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "machine=0x" << std::hex << c.machine);
    EXPECT_EQ(ArchName(c.machine), c.archName);
    EXPECT_EQ(ArchTraceWord(c.machine), c.traceWord);
    EXPECT_EQ(FlashMachineAccepted(c.machine), c.accepted);
  }
}

TEST(PeMachineTest, MessageForARefusedPlugin) {
  EXPECT_EQ(FlashArchMessage(kMachineX64),
            L"Flash DLL mimarisi uyumsuz.\n\nUygulama: x86\npepflashplayer.dll: x64"
            L"\n\nDogru mimaride pepflashplayer.dll kullanin.");
  EXPECT_EQ(FlashArchMessage(kMachineArm64),
            L"Flash DLL mimarisi uyumsuz.\n\nUygulama: x86\npepflashplayer.dll: bilinmiyor"
            L"\n\nDogru mimaride pepflashplayer.dll kullanin.");
}

TEST(PeMachineTest, StartupTraceLine) {
  const std::string site = "https://play.zelmora.example/";
  EXPECT_EQ(StartupTraceLine(kMachineX86, site),
            "v3 startup app=x86 flash=x86 site=https://play.zelmora.example/");
  EXPECT_EQ(StartupTraceLine(0, site),
            "v3 startup app=x86 flash=unknown site=https://play.zelmora.example/");
}

}  // namespace
