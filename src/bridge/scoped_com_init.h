// COM for the current thread for one scope. Windows only.

#ifndef ZLM_BRIDGE_SCOPED_COM_INIT_H_
#define ZLM_BRIDGE_SCOPED_COM_INIT_H_

#include <objbase.h>

// Uninitialises only what it initialised: when the thread already has COM in
// another apartment model, CoInitializeEx fails, the work goes on in that
// apartment, and the thread is left exactly as it was found.
class ScopedComInit {
 public:
  explicit ScopedComInit(DWORD model) : result_(CoInitializeEx(nullptr, model)) {}
  ~ScopedComInit() {
    if (SUCCEEDED(result_))
      CoUninitialize();
  }

  ScopedComInit(const ScopedComInit&) = delete;
  ScopedComInit& operator=(const ScopedComInit&) = delete;

 private:
  const HRESULT result_;
};

#endif  // ZLM_BRIDGE_SCOPED_COM_INIT_H_
