// CefBase, the reference-counting interface of every API object, and the
// macros that implement it. Also brings in the common types (CefRefPtr,
// CefString, the structure wrappers and the Windows types).

#ifndef CEF_INCLUDE_CEF_BASE_H_
#define CEF_INCLUDE_CEF_BASE_H_
#pragma once

#include "include/base/cef_atomic_ref_count.h"
#include "include/base/cef_build.h"
#include "include/base/cef_lock.h"
#include "include/base/cef_macros.h"

#include "include/internal/cef_ptr.h"
#include "include/internal/cef_types_wrappers.h"
#if defined(OS_WIN)
#include "include/internal/cef_win.h"
#endif

class CefBase {
 public:
  virtual void AddRef() const = 0;

  // Returns true when this call released the last reference and the object
  // has deleted itself.
  virtual bool Release() const = 0;

  virtual bool HasOneRef() const = 0;

 protected:
  virtual ~CefBase() {}
};

// The atomic counter behind IMPLEMENT_REFCOUNTING.
class CefRefCount {
 public:
  CefRefCount() : ref_count_(0) {}

  void AddRef() const { base::AtomicRefCountInc(&ref_count_); }

  bool Release() const { return !base::AtomicRefCountDec(&ref_count_); }

  bool HasOneRef() const { return base::AtomicRefCountIsOne(&ref_count_); }

 private:
  mutable base::AtomicRefCount ref_count_;

  DISALLOW_COPY_AND_ASSIGN(CefRefCount);
};

// Implements CefBase for |ClassName|. The class is left at private access.
#define IMPLEMENT_REFCOUNTING(ClassName)             \
 public:                                             \
  void AddRef() const OVERRIDE { ref_count_.AddRef(); } \
  bool Release() const OVERRIDE {                    \
    if (ref_count_.Release()) {                      \
      delete static_cast<const ClassName*>(this);    \
      return true;                                   \
    }                                                \
    return false;                                    \
  }                                                  \
  bool HasOneRef() const OVERRIDE { return ref_count_.HasOneRef(); } \
                                                     \
 private:                                            \
  CefRefCount ref_count_;

// Adds Lock(), Unlock() and a scoped AutoLock over a member lock. The class
// is left at private access.
#define IMPLEMENT_LOCKING(ClassName)                          \
 public:                                                      \
  class AutoLock {                                            \
   public:                                                    \
    explicit AutoLock(ClassName* base) : base_(base) {        \
      base_->Lock();                                          \
    }                                                         \
    ~AutoLock() { base_->Unlock(); }                          \
                                                              \
   private:                                                   \
    ClassName* base_;                                         \
    DISALLOW_COPY_AND_ASSIGN(AutoLock);                       \
  };                                                          \
  void Lock() { lock_.Acquire(); }                            \
  void Unlock() { lock_.Release(); }                          \
                                                              \
 private:                                                     \
  base::Lock lock_;

#endif  // CEF_INCLUDE_CEF_BASE_H_
