// The launcher executable started from outside, each run in a fresh folder.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/pe_image.h"
#include "support/message_box.h"
#include "support/process.h"
#include "support/screen.h"
#include "support/temp_dir.h"
#include "support/window_info.h"

namespace {

using fixtures::MakePeFile;
using fixtures::PeDefect;

constexpr wchar_t kPlugin[] = L"pepflashplayer.dll";
constexpr unsigned long kWrongPluginExit = 0xFFFFFFFEu;  // -2

class LauncherStartupTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.IsValid()) << dir_.error();
    ASSERT_TRUE(dir_.CopyProgramIn(LAUNCHER_EXE));
    exe_ = dir_.PathOf(e2e::FileNameOf(LAUNCHER_EXE));
  }

  testing::AssertionResult Start(const std::wstring& arguments = {}) {
    return launcher_.Start(exe_, arguments, dir_.path());
  }

  e2e::TempDir dir_;
  std::wstring exe_;
  e2e::Process launcher_;
};

TEST_F(LauncherStartupTest, RefusesAPluginBuiltForAnotherProcessor) {
  const struct {
    uint16_t machine;
    const wchar_t* word;
  } cases[] = {{fixtures::kMachineX64, L"x64"}, {fixtures::kMachineArm64, L"bilinmiyor"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "machine 0x" << std::hex << c.machine);
    ASSERT_TRUE(dir_.WriteBytes(kPlugin, MakePeFile(c.machine)));
    e2e::Process launcher;
    ASSERT_TRUE(launcher.Start(exe_, {}, dir_.path()));

    const auto box = e2e::WaitForMessageBox(launcher.id());
    ASSERT_TRUE(box.has_value()) << "no message box";
    EXPECT_EQ(box->caption, L"Zelmora Launcher");
    EXPECT_EQ(box->text, std::wstring(L"Flash DLL mimarisi uyumsuz.\n\nUygulama: x86\n"
                                      L"pepflashplayer.dll: ") +
                             c.word + L"\n\nDogru mimaride pepflashplayer.dll kullanin.");
    EXPECT_TRUE(box->has_icon);
    // Nothing but the box: CEF was never started.
    for (const e2e::WindowInfo& w : e2e::TopLevelWindows(launcher.id()))
      EXPECT_EQ(w.class_name, L"#32770") << w;
    EXPECT_FALSE(dir_.Exists(L"cache"));

    ASSERT_TRUE(e2e::PressOk(*box));
    const auto code = launcher.WaitForExit();
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(static_cast<unsigned long>(*code), kWrongPluginExit);
  }
}

// What the main window must look like once it is up.
void ExpectMainWindow(const e2e::WindowInfo& w) {
  const long width = 1280, height = 800;
  const e2e::Size screen = e2e::PrimaryScreenSize();
  const long x = screen.width > width ? (screen.width - width) / 2 : 0;
  const long y = screen.height > height ? (screen.height - height) / 2 : 0;
  EXPECT_EQ(w.title, L"Zelmora Launcher");
  EXPECT_EQ(w.window_rect, e2e::Rect::FromOriginSize(x, y, width, height)) << "screen " << screen;
  EXPECT_EQ(w.ex_style & ~static_cast<unsigned long>(WS_EX_WINDOWEDGE), 0u) << std::hex << w.ex_style;
  EXPECT_FALSE(e2e::HasStyle(w, WS_CAPTION & ~WS_BORDER)) << std::hex << w.style;
  EXPECT_TRUE(e2e::HasStyle(w, WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX |
                                   WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS))
      << std::hex << w.style;
  // No caption and no top border, sizing borders on the other three sides.
  EXPECT_EQ(w.client_screen_rect.top, w.window_rect.top);
  EXPECT_GT(w.client_screen_rect.left, w.window_rect.left);
  EXPECT_LT(w.client_screen_rect.bottom, w.window_rect.bottom);
}

TEST_F(LauncherStartupTest, OpensTheMainWindowWithAnAcceptablePlugin) {
  const struct {
    const char* name;
    bool write;
    std::string bytes;
  } cases[] = {
      {"missing", false, {}},
      {"x86", true, MakePeFile(fixtures::kMachineX86)},
      {"not a PE file", true, "just text"},
      {"MZ with header past the end", true, MakePeFile(fixtures::kMachineX64, PeDefect::kHeaderPastEnd)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    e2e::TempDir dir;
    ASSERT_TRUE(dir.CopyProgramIn(LAUNCHER_EXE));
    if (c.write) {
      ASSERT_TRUE(dir.WriteBytes(kPlugin, c.bytes));
    }
    e2e::Process launcher;
    ASSERT_TRUE(launcher.Start(dir.PathOf(e2e::FileNameOf(LAUNCHER_EXE)), {}, dir.path()));
    auto window = e2e::WaitForTopLevelWindow(
        launcher.id(), [](const e2e::WindowInfo& w) { return w.class_name != L"#32770"; });
    ASSERT_TRUE(window.has_value()) << "no main window";
    // The system gives every new top-level window a caption; the launcher
    // takes it away once the browser exists.
    ASSERT_TRUE(e2e::WaitForWindow(
        window->handle, [](const e2e::WindowInfo& w) { return !e2e::HasStyle(w, WS_DLGFRAME); },
        "caption removed"));
    window = e2e::DescribeWindow(window->handle);
    ASSERT_TRUE(window.has_value());
    EXPECT_FALSE(e2e::FindMessageBox(launcher.id()).has_value());
    ExpectMainWindow(*window);
    EXPECT_TRUE(dir.Exists(L"cache"));
    e2e::PostClose(window->handle);
    const auto code = launcher.WaitForExit();
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0);
  }
}

TEST_F(LauncherStartupTest, SubProcessCopyReturnsTheEngineCodeAndLeavesTheCacheAlone) {
  ASSERT_TRUE(Start(L"--type=renderer"));
  const auto code = launcher_.WaitForExit();
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(*code, 0);
  EXPECT_FALSE(dir_.Exists(L"cache"));
}

TEST_F(LauncherStartupTest, EndsWithMinusOneWhenTheBrowserCannotBeCreated) {
  SetEnvironmentVariableW(L"ZLM_STANDIN_REFUSE_BROWSERS", L"1");
  const auto started = Start();
  SetEnvironmentVariableW(L"ZLM_STANDIN_REFUSE_BROWSERS", nullptr);
  ASSERT_TRUE(started);
  const auto code = launcher_.WaitForExit();
  ASSERT_TRUE(code.has_value()) << "the launcher kept running without a window";
  EXPECT_EQ(*code, -1);
}

}  // namespace
