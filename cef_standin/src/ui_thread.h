// The engine's UI thread: the thread that called CefInitialize. Work from other
// threads, and every asynchronous callback, reaches it as a task posted to a
// message-only window, so tasks also run inside modal loops (menus, moves, boxes).
#ifndef CEF_STANDIN_SRC_UI_THREAD_H_
#define CEF_STANDIN_SRC_UI_THREAD_H_

#include <functional>

namespace standin {

using Task = std::function<void()>;

// UI thread only. Start makes the calling thread the UI thread; Stop drops the
// tasks not yet run.
bool StartUiThread();
void StopUiThread();
bool UiThreadRunning();

bool OnUiThread();

// Any thread. One task runs per message-loop turn, in posting order. False when
// the UI thread is not running (the task is dropped).
bool PostUiTask(Task task);
bool PostDelayedUiTask(Task task, long long delay_ms);

// UI thread: CefSetOSModalLoop's flag, which a client sets around a native
// modal loop (it changes nothing of what runs here; see ui_thread.cc).
void SetOsModalLoop(bool os_modal_loop);
bool OsModalLoop();

// UI thread: dispatches messages until a WM_QUIT arrives.
void RunUiLoop();
// UI thread: true while RunUiLoop runs (a quit then has a loop to end).
bool UiLoopRunning();
// UI thread: dispatches what is queued now, without waiting.
void RunPendingUiWork();
enum class PumpResult { kDispatched, kTimedOut, kQuit };
// UI thread: waits at most timeout_ms for one message and dispatches it. A WM_QUIT
// is put back for the outer loop.
PumpResult RunOneUiMessage(int timeout_ms);

}  // namespace standin

#endif  // CEF_STANDIN_SRC_UI_THREAD_H_
