// The browser process's threads other than the UI thread (IO, FILE, DB, ...),
// one real thread per id, started on first use and stopped by CefShutdown. As
// in the real engine, CefCurrentlyOn(id) is true only on that id's own thread,
// so code that a callback runs there sees what it would see in 2623 (the IO
// thread is where OnBeforePopup runs, for example).
#ifndef CEF_STANDIN_SRC_TASK_THREADS_H_
#define CEF_STANDIN_SRC_TASK_THREADS_H_

#include "include/internal/cef_types.h"
#include "ui_thread.h"

namespace standin {

// True for the ids that name a thread of their own here. TID_UI, and
// TID_RENDERER (the stand-in's renderer side runs on the UI thread), do not.
bool IsWorkerThreadId(cef_thread_id_t id);

// Any thread. False when the engine is not running (the task is dropped).
bool PostWorkerTask(cef_thread_id_t id, Task task, long long delay_ms);

// True on the thread of that id.
bool OnWorkerThread(cef_thread_id_t id);

// Allows or refuses new threads; refusing also stops and joins the running
// ones, dropping the tasks they have not run. UI thread.
void EnableWorkerThreads();
void StopWorkerThreads();

}  // namespace standin

#endif  // CEF_STANDIN_SRC_TASK_THREADS_H_
