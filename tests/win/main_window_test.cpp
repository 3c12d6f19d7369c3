// The main window's set-up and frame behaviour, on real windows under Wine.

#include "browser/main_window.h"

#include <gtest/gtest.h>

namespace {

constexpr wchar_t kClassName[] = L"ZlmMainWindowTest";

struct RectSnapshot {
  RECT window;
  RECT client;  // in screen coordinates
};

RectSnapshot Snapshot(HWND window) {
  RectSnapshot s = {};
  GetWindowRect(window, &s.window);
  GetClientRect(window, &s.client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&s.client), 2);
  return s;
}

HWND MakeWindow(DWORD style) {
  return CreateWindowExW(0, kClassName, L"Zelmora Launcher", style, 100, 100, 640, 400, nullptr,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// One window per process gets the frameless procedure, so the suite shares it.
class MainWindowTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
    // As the engine makes it: the caption bits present, to be taken away.
    window_ = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
    ASSERT_NE(window_, nullptr);
    SetUpMainWindow(window_);
    PumpMessages();
  }
  static void TearDownTestSuite() { DestroyWindow(window_); }
  void TearDown() override {
    fullScreenActive = false;
    ShowWindow(window_, SW_RESTORE);
    SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
  }
  static HWND window_;
};
HWND MainWindowTest::window_ = nullptr;

TEST_F(MainWindowTest, LosesItsCaptionAndKeepsFrameMenuAndBoxes) {
  const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, 0);
  EXPECT_EQ(style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
            WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  EXPECT_EQ(GetWindowLongPtrW(window_, GWLP_WNDPROC),
            reinterpret_cast<LONG_PTR>(&FramelessWindowProc));
  EXPECT_NE(previousWindowProc, nullptr);
}

TEST_F(MainWindowTest, NormalWindowHasNoTopBorderButKeepsSideAndBottomBorders) {
  const RectSnapshot s = Snapshot(window_);
  EXPECT_EQ(s.client.top, s.window.top);
  EXPECT_GT(s.client.left, s.window.left);
  EXPECT_LT(s.client.right, s.window.right);
  EXPECT_LT(s.client.bottom, s.window.bottom);
}

TEST_F(MainWindowTest, MaximisedWindowKeepsTheWholeInset) {
  ShowWindow(window_, SW_MAXIMIZE);
  PumpMessages();
  const RectSnapshot s = Snapshot(window_);
  const LONG sideInset = s.client.left - s.window.left;
  EXPECT_GT(sideInset, 0);
  EXPECT_EQ(s.client.top - s.window.top, sideInset);
}

bool SameRect(const RECT& a, const RECT& b) {
  return EqualRect(&a, &b) != 0;
}

RECT MonitorArea(HWND window) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  return info.rcMonitor;
}

BOOL WINAPI FailingMonitorInfo(HMONITOR, LPMONITORINFO) {
  return FALSE;
}

TEST_F(MainWindowTest, FullScreenCoversTheMonitorWithoutFrameAndTogglesBackExactly) {
  SetWindowPos(window_, nullptr, 130, 90, 700, 450, SWP_NOZORDER);
  PumpMessages();
  const RectSnapshot before = Snapshot(window_);

  ToggleFullScreen(window_);
  PumpMessages();
  EXPECT_TRUE(fullScreenActive);
  const RectSnapshot full = Snapshot(window_);
  EXPECT_TRUE(SameRect(full.window, MonitorArea(window_)));
  EXPECT_TRUE(SameRect(full.client, full.window)) << "no frame at all";
  EXPECT_TRUE(SameRect(windowedRect, before.window));

  ToggleFullScreen(window_);
  PumpMessages();
  EXPECT_FALSE(fullScreenActive);
  const RectSnapshot after = Snapshot(window_);
  EXPECT_TRUE(SameRect(after.window, before.window));
  EXPECT_TRUE(SameRect(after.client, before.client)) << "the frame was recomputed";
}

TEST_F(MainWindowTest, AMaximisedWindowStaysMaximisedThroughFullScreen) {
  ShowWindow(window_, SW_MAXIMIZE);
  PumpMessages();
  const RectSnapshot maximised = Snapshot(window_);
  ToggleFullScreen(window_);
  PumpMessages();
  EXPECT_TRUE(SameRect(Snapshot(window_).window, MonitorArea(window_)));
  EXPECT_TRUE(IsZoomed(window_)) << "the show state is not touched";
  ToggleFullScreen(window_);
  PumpMessages();
  EXPECT_TRUE(IsZoomed(window_));
  EXPECT_TRUE(SameRect(Snapshot(window_).window, maximised.window));
  EXPECT_TRUE(SameRect(Snapshot(window_).client, maximised.client));
}

TEST_F(MainWindowTest, AFailedMonitorQueryLeavesTheWindowWindowed) {
  SetWindowPos(window_, nullptr, 150, 120, 600, 380, SWP_NOZORDER);
  PumpMessages();
  const RectSnapshot before = Snapshot(window_);
  ToggleFullScreen(window_, &FailingMonitorInfo);
  PumpMessages();
  EXPECT_FALSE(fullScreenActive);
  EXPECT_TRUE(SameRect(Snapshot(window_).window, before.window));
  EXPECT_TRUE(SameRect(windowedRect, before.window)) << "the rectangle was taken first";
  ToggleFullScreen(nullptr);
  EXPECT_FALSE(fullScreenActive);
  ToggleFullScreen(window_);  // the next toggle tries again
  PumpMessages();
  EXPECT_TRUE(fullScreenActive);
}

TEST_F(MainWindowTest, CarriesTheApplicationIcons) {
  EXPECT_NE(SendMessageW(window_, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(SendMessageW(window_, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(MainWindowTest, SecondSetUpDoesNotInstallTheProcedureAgain) {
  const WNDPROC first = previousWindowProc;
  HWND other = MakeWindow(WS_OVERLAPPEDWINDOW);
  ASSERT_NE(other, nullptr);
  const LONG_PTR before = GetWindowLongPtrW(other, GWLP_WNDPROC);
  SetUpMainWindow(other);
  EXPECT_EQ(GetWindowLongPtrW(other, GWLP_WNDPROC), before);
  EXPECT_EQ(previousWindowProc, first);
  EXPECT_EQ(GetWindowLongPtrW(other, GWL_STYLE) & WS_CAPTION, 0);
  DestroyWindow(other);
}

}  // namespace
