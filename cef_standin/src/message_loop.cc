// The message loop and task posting. TID_UI is the thread that called
// CefInitialize; TID_RENDERER names it too, since the stand-in's renderer side
// runs there. Every other thread id is a real thread of its own (task_threads.h).

#include <windows.h>

#include "include/cef_app.h"
#include "include/cef_task.h"
#include "task_threads.h"
#include "ui_thread.h"

namespace standin {

namespace {

bool OnThread(CefThreadId id) {
  return IsWorkerThreadId(id) ? OnWorkerThread(id) : OnUiThread();
}

bool PostTo(CefThreadId id, CefRefPtr<CefTask> task, int64 delay_ms) {
  if (!task)
    return false;
  Task run = [task] { task->Execute(); };
  if (IsWorkerThreadId(id))
    return PostWorkerTask(id, std::move(run), delay_ms);
  return delay_ms > 0 ? PostDelayedUiTask(std::move(run), delay_ms)
                      : PostUiTask(std::move(run));
}

class TaskRunner : public CefTaskRunner {
 public:
  explicit TaskRunner(CefThreadId id) : id_(IsWorkerThreadId(id) ? id : TID_UI) {}

  bool IsSame(CefRefPtr<CefTaskRunner> that) override {
    return that && that->BelongsToThread(id_);
  }
  bool BelongsToCurrentThread() override { return OnThread(id_); }
  bool BelongsToThread(CefThreadId id) override {
    return (IsWorkerThreadId(id) ? id : TID_UI) == id_;
  }
  bool PostTask(CefRefPtr<CefTask> task) override { return PostTo(id_, task, 0); }
  bool PostDelayedTask(CefRefPtr<CefTask> task, int64 delay_ms) override {
    return PostTo(id_, task, delay_ms);
  }

 private:
  const CefThreadId id_;

  IMPLEMENT_REFCOUNTING(TaskRunner);
};

}  // namespace

}  // namespace standin

void CefRunMessageLoop() {
  if (standin::OnUiThread())
    standin::RunUiLoop();
}

void CefDoMessageLoopWork() {
  if (standin::OnUiThread())
    standin::RunPendingUiWork();
}

// As in 2623, a quit asks the running loop to end once it is idle: a quit made
// before CefRunMessageLoop was entered, or from another thread, is lost.
void CefQuitMessageLoop() {
  if (standin::OnUiThread() && standin::UiLoopRunning())
    PostQuitMessage(0);
}

// As 2623: set on the UI thread, or from there when called elsewhere.
void CefSetOSModalLoop(bool osModalLoop) {
  if (standin::OnUiThread())
    standin::SetOsModalLoop(osModalLoop);
  else
    standin::PostUiTask([osModalLoop] { standin::SetOsModalLoop(osModalLoop); });
}

bool CefCurrentlyOn(CefThreadId threadId) {
  return standin::OnThread(threadId);
}

bool CefPostTask(CefThreadId threadId, CefRefPtr<CefTask> task) {
  return standin::PostTo(threadId, task, 0);
}

bool CefPostDelayedTask(CefThreadId threadId, CefRefPtr<CefTask> task,
                        int64 delay_ms) {
  return standin::PostTo(threadId, task, delay_ms);
}

CefRefPtr<CefTaskRunner> CefTaskRunner::GetForCurrentThread() {
  for (CefThreadId id : {TID_IO, TID_FILE, TID_DB, TID_FILE_USER_BLOCKING,
                         TID_PROCESS_LAUNCHER, TID_CACHE}) {
    if (standin::OnWorkerThread(id))
      return new standin::TaskRunner(id);
  }
  return standin::OnUiThread() ? new standin::TaskRunner(TID_UI) : NULL;
}

CefRefPtr<CefTaskRunner> CefTaskRunner::GetForThread(CefThreadId threadId) {
  return standin::UiThreadRunning() ? new standin::TaskRunner(threadId) : NULL;
}
