// Windows sandbox information for CefExecuteProcess and CefInitialize.

#ifndef CEF_INCLUDE_CEF_SANDBOX_WIN_H_
#define CEF_INCLUDE_CEF_SANDBOX_WIN_H_
#pragma once

#include "include/cef_base.h"

#if defined(OS_WIN)

#ifdef __cplusplus
extern "C" {
#endif

void* cef_sandbox_info_create();
void cef_sandbox_info_destroy(void* sandbox_info);

#ifdef __cplusplus
}

// Owns sandbox information for the life of the scope.
class CefScopedSandboxInfo {
 public:
  CefScopedSandboxInfo() { sandbox_info_ = cef_sandbox_info_create(); }
  ~CefScopedSandboxInfo() { cef_sandbox_info_destroy(sandbox_info_); }

  void* sandbox_info() const { return sandbox_info_; }

 private:
  void* sandbox_info_;

  DISALLOW_COPY_AND_ASSIGN(CefScopedSandboxInfo);
};
#endif  // __cplusplus

#endif  // OS_WIN

#endif  // CEF_INCLUDE_CEF_SANDBOX_WIN_H_
