// The message loop and task posting. Every CEF thread id names the one UI
// thread: the stand-in runs browser, IO and renderer work all on it.

#include <windows.h>

#include "include/cef_app.h"
#include "include/cef_task.h"
#include "ui_thread.h"

namespace standin {

namespace {

class UiTaskRunner : public CefTaskRunner {
 public:
  bool IsSame(CefRefPtr<CefTaskRunner> that) override {
    return that && that->BelongsToThread(TID_UI);
  }
  bool BelongsToCurrentThread() override { return OnUiThread(); }
  bool BelongsToThread(CefThreadId) override { return true; }
  bool PostTask(CefRefPtr<CefTask> task) override {
    return CefPostTask(TID_UI, task);
  }
  bool PostDelayedTask(CefRefPtr<CefTask> task, int64 delay_ms) override {
    return CefPostDelayedTask(TID_UI, task, delay_ms);
  }

 private:
  IMPLEMENT_REFCOUNTING(UiTaskRunner);
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

void CefQuitMessageLoop() {
  if (standin::OnUiThread())
    PostQuitMessage(0);
  else
    standin::PostUiTask([] { PostQuitMessage(0); });
}

void CefSetOSModalLoop(bool /*osModalLoop*/) {}

bool CefCurrentlyOn(CefThreadId /*threadId*/) {
  return standin::OnUiThread();
}

bool CefPostTask(CefThreadId /*threadId*/, CefRefPtr<CefTask> task) {
  if (!task)
    return false;
  return standin::PostUiTask([task] { task->Execute(); });
}

bool CefPostDelayedTask(CefThreadId /*threadId*/, CefRefPtr<CefTask> task,
                        int64 delay_ms) {
  if (!task)
    return false;
  return standin::PostDelayedUiTask([task] { task->Execute(); }, delay_ms);
}

CefRefPtr<CefTaskRunner> CefTaskRunner::GetForCurrentThread() {
  return standin::OnUiThread() ? new standin::UiTaskRunner() : NULL;
}

CefRefPtr<CefTaskRunner> CefTaskRunner::GetForThread(CefThreadId /*threadId*/) {
  return standin::UiThreadRunning() ? new standin::UiTaskRunner() : NULL;
}
