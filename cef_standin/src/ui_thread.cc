#include "ui_thread.h"

#include <windows.h>

#include <deque>
#include <map>
#include <mutex>
#include <utility>

#include "window_class.h"

namespace standin {

namespace {

constexpr UINT kRunTaskMessage = WM_APP + 1;
const wchar_t kTaskWindowClass[] = L"StandinTaskWindow";

// Loop work drained by one CefDoMessageLoopWork call at most; tasks that post
// tasks would otherwise keep it busy for ever.
constexpr int kMaxPendingWork = 1000;

struct UiState {
  std::mutex lock;  // guards window and tasks
  HWND window = nullptr;
  std::deque<Task> tasks;
  DWORD thread_id = 0;
  // UI thread only.
  std::map<UINT_PTR, Task> timers;
  UINT_PTR next_timer = 1;
  int loop_depth = 0;
  // Chromium 49's MessageLoop runs no task while another runs: a native modal
  // loop that a task entered (a move loop, a message box) dispatches our task
  // messages, but DoWork and DoDelayedWork refuse them (nestable tasks are not
  // allowed) until that task has returned. The OS-modal flag does not change
  // that; it only narrows what the pump peeks in such a loop.
  bool task_running = false;
  int held_back = 0;  // task messages refused meanwhile, posted again after
  bool os_modal_loop = false;
};

UiState& State() {
  static UiState state;
  return state;
}

// Runs |task| as the message loop's one running task; when it has returned,
// the task messages refused while it ran are posted again.
void RunAsTask(Task& task) {
  State().task_running = true;
  if (task)
    task();
  State().task_running = false;
  if (State().held_back == 0)
    return;
  HWND window = nullptr;
  {
    std::lock_guard<std::mutex> guard(State().lock);
    window = State().window;
  }
  for (; State().held_back > 0; --State().held_back) {
    if (window)
      PostMessageW(window, kRunTaskMessage, 0, 0);
  }
}

void RunNextTask() {
  if (State().task_running) {
    ++State().held_back;
    return;
  }
  Task task;
  {
    std::lock_guard<std::mutex> guard(State().lock);
    if (State().tasks.empty())
      return;
    task = std::move(State().tasks.front());
    State().tasks.pop_front();
  }
  RunAsTask(task);
}

void RunTimer(HWND window, UINT_PTR id) {
  KillTimer(window, id);
  auto it = State().timers.find(id);
  if (it == State().timers.end())
    return;
  Task task = std::move(it->second);
  State().timers.erase(it);
  if (State().task_running) {
    // Due, but refused like any task: it runs once the running one returned.
    {
      std::lock_guard<std::mutex> guard(State().lock);
      State().tasks.push_back(std::move(task));
    }
    ++State().held_back;
    return;
  }
  RunAsTask(task);
}

LRESULT CALLBACK TaskWindowProc(HWND window, UINT message, WPARAM wparam,
                                LPARAM lparam) {
  switch (message) {
    case kRunTaskMessage:
      RunNextTask();
      return 0;
    case WM_TIMER:
      RunTimer(window, wparam);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

void Dispatch(MSG* msg) {
  TranslateMessage(msg);
  DispatchMessageW(msg);
}

}  // namespace

bool StartUiThread() {
  if (UiThreadRunning())
    return OnUiThread();
  if (!RegisterWindowClass(kTaskWindowClass, TaskWindowProc, false))
    return false;
  HWND window = CreateWindowExW(0, kTaskWindowClass, L"", 0, 0, 0, 0, 0,
                                HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (!window)
    return false;
  std::lock_guard<std::mutex> guard(State().lock);
  State().window = window;
  State().thread_id = GetCurrentThreadId();
  return true;
}

void StopUiThread() {
  HWND window = nullptr;
  std::deque<Task> dropped;
  {
    std::lock_guard<std::mutex> guard(State().lock);
    window = State().window;
    State().window = nullptr;
    State().thread_id = 0;
    dropped.swap(State().tasks);
  }
  std::map<UINT_PTR, Task> timers;
  timers.swap(State().timers);
  if (window)
    DestroyWindow(window);
  // Destroyed outside the lock: a task's captures may post on destruction.
  dropped.clear();
  timers.clear();
}

bool UiThreadRunning() {
  std::lock_guard<std::mutex> guard(State().lock);
  return State().window != nullptr;
}

bool OnUiThread() {
  std::lock_guard<std::mutex> guard(State().lock);
  return State().window != nullptr &&
         State().thread_id == GetCurrentThreadId();
}

bool PostUiTask(Task task) {
  HWND window = nullptr;
  {
    std::lock_guard<std::mutex> guard(State().lock);
    if (!State().window)
      return false;
    window = State().window;
    State().tasks.push_back(std::move(task));
  }
  return PostMessageW(window, kRunTaskMessage, 0, 0) != 0;
}

bool PostDelayedUiTask(Task task, long long delay_ms) {
  if (delay_ms <= 0)
    return PostUiTask(std::move(task));
  UINT elapse = delay_ms > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<UINT>(delay_ms);
  // SetTimer needs the window's own thread, so the timer is armed from a task.
  return PostUiTask([task = std::move(task), elapse]() mutable {
    HWND window = nullptr;
    {
      std::lock_guard<std::mutex> guard(State().lock);
      window = State().window;
    }
    UINT_PTR id = State().next_timer++;
    State().timers[id] = std::move(task);
    if (!SetTimer(window, id, elapse, nullptr))
      State().timers.erase(id);
  });
}

void SetOsModalLoop(bool os_modal_loop) {
  State().os_modal_loop = os_modal_loop;
}

bool OsModalLoop() {
  return State().os_modal_loop;
}

void RunUiLoop() {
  ++State().loop_depth;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    Dispatch(&msg);
  --State().loop_depth;
}

bool UiLoopRunning() {
  return State().loop_depth > 0;
}

void RunPendingUiWork() {
  MSG msg;
  for (int i = 0; i < kMaxPendingWork; ++i) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      return;
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Dispatch(&msg);
  }
}

PumpResult RunOneUiMessage(int timeout_ms) {
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    DWORD wait = timeout_ms < 0 ? 0 : static_cast<DWORD>(timeout_ms);
    if (MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE) == WAIT_TIMEOUT)
      return PumpResult::kTimedOut;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      return PumpResult::kTimedOut;
  }
  if (msg.message == WM_QUIT) {
    PostQuitMessage(static_cast<int>(msg.wParam));
    return PumpResult::kQuit;
  }
  Dispatch(&msg);
  return PumpResult::kDispatched;
}

}  // namespace standin
