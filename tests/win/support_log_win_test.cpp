// The support log on the real file system: asked for or not, set aside at its
// size limit, sharing the file with the engine, written by several threads.

#include "app/support_log.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/paths.h"
#include "app/trace.h"
#include "e2e/support/scoped_handle.h"
#include "e2e/support/temp_dir.h"
#include "win_test_support.h"

namespace {

using e2e::ScopedFileHandle;

class SupportLogWinTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.IsValid()) << dir_.error(); }
  void TearDown() override { StopSupportLogForTesting(); }

  std::string Log() const { return dir_.ReadBytes(kSupportLogFile).value_or("<none>"); }
  std::uint64_t LogSize() const { return Log().size(); }

  e2e::TempDir dir_;
  ScopedExeDir exeDir_{dir_.path()};
};

TEST_F(SupportLogWinTest, OnlyTheRequestFileOrTheSwitchTurnsItOn) {
  // This suite's own command line has no switch.
  EXPECT_FALSE(StartSupportLogIfAsked());
  Trace("nobody asked");
  EXPECT_FALSE(dir_.Exists(kSupportLogFile));
  EXPECT_EQ(SupportLogPath(), L"");

  ASSERT_TRUE(dir_.WriteBytes(kSupportLogRequestFile, ""));
  EXPECT_TRUE(StartSupportLogIfAsked());
  EXPECT_EQ(SupportLogPath(), JoinPath(dir_.path(), kSupportLogFile));
  Trace("first");
  Trace("second");
  const std::string log = Log();
  const std::string tag = " [browser " + std::to_string(GetCurrentProcessId()) + "] ";
  ASSERT_EQ(log.size(), 2 * (23 + tag.size() + 2) + 5 + 6) << log;
  EXPECT_EQ(log.substr(23, tag.size() + 5 + 2), tag + "first\r\n");
  EXPECT_EQ(log.substr(log.size() - tag.size() - 6 - 2), tag + "second\r\n");
}

// At its limit the file becomes the one previous copy, replacing an older one.
TEST_F(SupportLogWinTest, AFullLogIsSetAsideAsTheOnePreviousCopy) {
  const std::string full(kSupportLogMaxBytes - 10, 'a');
  ASSERT_TRUE(dir_.WriteBytes(kSupportLogFile, full));
  ASSERT_TRUE(dir_.WriteBytes(kSupportLogPreviousFile, "older"));
  StartSupportLog(dir_.path(), "renderer");

  Trace("next");

  EXPECT_EQ(dir_.ReadBytes(kSupportLogPreviousFile), full);
  const std::string log = Log();
  EXPECT_NE(log.find("[renderer "), std::string::npos);
  EXPECT_EQ(log.substr(log.size() - 6), "next\r\n");
  EXPECT_LT(log.size(), 100u);
}

// The engine holds the file open for appending, without delete sharing, as
// Chromium's logging does: the log cannot be set aside while it runs. Lines
// still go in, up to the hard limit; after it they are dropped, and the
// engine's handle keeps working.
TEST_F(SupportLogWinTest, WhileTheEngineHoldsTheFileItGrowsToTheHardLimitOnly) {
  ASSERT_TRUE(dir_.WriteBytes(kSupportLogFile, std::string(kSupportLogMaxBytes, 'a')));
  const std::wstring path = JoinPath(dir_.path(), kSupportLogFile);
  ScopedFileHandle engine(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(engine.IsValid());
  StartSupportLog(dir_.path(), "browser");

  Trace("kept");
  EXPECT_FALSE(dir_.Exists(kSupportLogPreviousFile));
  EXPECT_EQ(Log().substr(Log().size() - 6), "kept\r\n");

  const std::uint64_t room = kSupportLogHardCapBytes - LogSize();
  {
    const std::string pad(static_cast<std::size_t>(room) - 10, 'b');
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(engine.Get(), pad.data(), static_cast<DWORD>(pad.size()), &written, nullptr));
  }
  const std::uint64_t before = LogSize();
  Trace("dropped");
  EXPECT_EQ(LogSize(), before);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(engine.Get(), "[engine]\n", 9, &written, nullptr));
  EXPECT_EQ(LogSize(), before + 9);

  // The next start, with the engine gone, sets it aside.
  engine.Reset();
  Trace("fresh");
  EXPECT_TRUE(dir_.Exists(kSupportLogPreviousFile));
  EXPECT_LT(LogSize(), 100u);
}

TEST_F(SupportLogWinTest, LinesOfSeveralThreadsStayWhole) {
  StartSupportLog(dir_.path(), "browser");
  constexpr int kLines = 200;
  std::vector<std::thread> threads;
  for (const char* name : {"first-thread-line", "second-thread-line"}) {
    threads.emplace_back([name] {
      for (int i = 0; i < kLines; ++i)
        Trace(name);
    });
  }
  for (std::thread& t : threads)
    t.join();

  const std::string log = Log();
  int whole = 0;
  std::size_t at = 0;
  while (at < log.size()) {
    const std::size_t end = log.find("\r\n", at);
    ASSERT_NE(end, std::string::npos);
    const std::string line = log.substr(at, end - at);
    EXPECT_TRUE(line.size() > 18 && (line.substr(line.size() - 17) == "first-thread-line" ||
                                     line.substr(line.size() - 18) == "second-thread-line"))
        << line;
    ++whole;
    at = end + 2;
  }
  EXPECT_EQ(whole, 2 * kLines);
}

}  // namespace
