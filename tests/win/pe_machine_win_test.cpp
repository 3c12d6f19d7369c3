#include "app/pe_machine.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/pe_image.h"

namespace {

std::string PeImage(uint16_t machine, uint32_t peOffset = fixtures::kPeHeaderOffset) {
  return fixtures::MinimalPeImage(machine, peOffset);
}

std::string WithLfanew(std::string image, uint32_t peOffset) {
  return fixtures::WithHeaderOffset(std::move(image), peOffset);
}

class PeMachineWinTest : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
    dir_ = std::wstring(temp) + L"zlm_pe_machine_" + std::to_wstring(GetCurrentProcessId()) +
           L"_" + std::to_wstring(GetTickCount64());
    ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
  }

  void TearDown() override {
    for (const std::wstring& path : files_)
      DeleteFileW(path.c_str());
    RemoveDirectoryW(dir_.c_str());
  }

  std::wstring PathOf(const std::wstring& name) {
    files_.push_back(dir_ + L"\\" + name);
    return files_.back();
  }

  // Opens |name| for writing with the given sharing and writes |bytes|; the
  // caller closes the handle.
  HANDLE CreateWith(const std::wstring& name, const std::string& bytes, DWORD share) {
    HANDLE file = CreateFileW(PathOf(name).c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    EXPECT_EQ(written, bytes.size());
    return file;
  }

  std::wstring Write(const std::wstring& name, const std::string& bytes) {
    CloseHandle(CreateWith(name, bytes, 0));
    return files_.back();
  }

  std::wstring dir_;
  std::vector<std::wstring> files_;
};

TEST_F(PeMachineWinTest, ReadsTheMachineOfFilesOnDisk) {
  struct Case {
    const wchar_t* name;
    std::string bytes;
    uint16_t expected;
  };
  const std::string x86 = PeImage(kMachineX86);
  const Case cases[] = {
      {L"x86.dll", x86, kMachineX86},
      {L"x64.dll", PeImage(kMachineX64), kMachineX64},
      {L"arm64.dll", PeImage(0xAA64), 0xAA64},
      {L"eklenti-\u011F\u00FC\u015F.dll", PeImage(kMachineX64), kMachineX64},
      // Inside and well beyond what the first read of the header brings in.
      {L"near.dll", PeImage(kMachineX64, 100), kMachineX64},
      {L"far.dll", PeImage(kMachineX64, 0x23456), kMachineX64},
      {L"past-end.dll", WithLfanew(x86, 0x1000), 0},
      {L"huge-offset.dll", WithLfanew(x86, 0xFFFFFFF0u), 0},
      {L"short.dll", x86.substr(0, 40), 0},
      {L"empty.dll", std::string(), 0},
  };
  for (const Case& c : cases) {
    const std::wstring path = Write(c.name, c.bytes);
    EXPECT_EQ(ReadPeMachine(path), c.expected) << testing::PrintToString(std::wstring(c.name));
  }
}

TEST_F(PeMachineWinTest, ReadsARealExecutableOfThisBuild) {
  wchar_t self[32768] = {};
  ASSERT_NE(GetModuleFileNameW(nullptr, self, 32768), 0u);
  EXPECT_EQ(ReadPeMachine(self), kMachineX86);
}

TEST_F(PeMachineWinTest, WhatCannotBeOpenedCountsAsNoMachine) {
  EXPECT_EQ(ReadPeMachine(PathOf(L"pepflashplayer.dll")), 0);
  EXPECT_EQ(ReadPeMachine(dir_), 0);
  EXPECT_EQ(ReadPeMachine(L""), 0);
}

TEST_F(PeMachineWinTest, ReadsAFileThatAnotherHandleHoldsOpenForWriting) {
  HANDLE writer = CreateWith(L"held.dll", PeImage(kMachineX64), FILE_SHARE_READ | FILE_SHARE_WRITE);
  EXPECT_EQ(ReadPeMachine(files_.back()), kMachineX64);
  CloseHandle(writer);
}

TEST_F(PeMachineWinTest, AFileLockedAgainstReadersCountsAsNoMachine) {
  HANDLE owner = CreateWith(L"locked.dll", PeImage(kMachineX64), 0);
  EXPECT_EQ(ReadPeMachine(files_.back()), 0);
  CloseHandle(owner);
}

}  // namespace
