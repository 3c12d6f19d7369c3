// Chromium 49 runs no task while another one runs, not even inside a native
// modal loop (a move loop, a message box) that the running task entered; a
// modal loop entered from a window message runs them. The OS-modal flag does
// not change that.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "engine_fixture.h"

namespace standin_test {
namespace {

class LambdaTask : public CefTask {
 public:
  explicit LambdaTask(std::function<void()> work) : work_(std::move(work)) {}
  void Execute() override { work_(); }

 private:
  std::function<void()> work_;
  IMPLEMENT_REFCOUNTING(LambdaTask);
};

// What a native modal loop does: it dispatches every message for a while.
void NativeModalLoop(DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  }
}

constexpr UINT kEnterLoop = WM_APP + 7;
bool in_window_loop = false;

LRESULT CALLBACK LoopWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kEnterLoop) {
    in_window_loop = true;
    NativeModalLoop(300);
    in_window_loop = false;
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

class ModalLoopTest : public EngineTest {};

TEST_F(ModalLoopTest, TasksWaitForTheTaskThatEnteredAModalLoopButRunInOneOfAWindowMessage) {
  Open();
  // Entered from a task: a task and a delayed task posted before it, both due
  // during the loop, run only after that task returned, in order.
  std::vector<std::string> order;
  CefSetOSModalLoop(true);
  ASSERT_TRUE(CefPostTask(TID_UI, new LambdaTask([&] {
    order.push_back("loop starts");
    CefPostTask(TID_UI, new LambdaTask([&] { order.push_back("task"); }));
    CefPostDelayedTask(TID_UI, new LambdaTask([&] { order.push_back("delayed task"); }), 20);
    NativeModalLoop(300);
    order.push_back("loop ends");
  })));
  Pump([&] { return order.size() == 4; });
  CefSetOSModalLoop(false);
  EXPECT_EQ(order, (std::vector<std::string>{"loop starts", "loop ends", "task", "delayed task"}))
      << "the OS-modal flag does not let tasks in";

  // Entered from a window message that the loop dispatched: tasks run inside.
  static const wchar_t kClass[] = L"StandinModalLoopTest";
  WNDCLASSW wc = {};
  wc.lpfnWndProc = LoopWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClass;
  RegisterClassW(&wc);
  HWND window = CreateWindowW(kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(window);
  order.clear();
  PostMessageW(window, kEnterLoop, 0, 0);
  ASSERT_TRUE(CefPostTask(TID_UI, new LambdaTask([&] {
    order.push_back(in_window_loop ? "task in the loop" : "task after it");
  })));
  Pump([&] { return !order.empty(); });
  EXPECT_EQ(order, std::vector<std::string>{"task in the loop"});
  DestroyWindow(window);
  UnregisterClassW(kClass, GetModuleHandleW(nullptr));
}

}  // namespace
}  // namespace standin_test
