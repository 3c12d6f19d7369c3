// Intrusive reference counting: base::RefCounted, base::RefCountedThreadSafe
// and the smart pointer scoped_refptr. scoped_refptr is deliberately C++03
// shaped (no move operations) and converts implicitly to the raw pointer.

#ifndef CEF_INCLUDE_BASE_CEF_REF_COUNTED_H_
#define CEF_INCLUDE_BASE_CEF_REF_COUNTED_H_
#pragma once

#include <assert.h>
#include <stddef.h>

#include "include/base/cef_atomic_ref_count.h"
#include "include/base/cef_build.h"
#include "include/base/cef_macros.h"

namespace base {

namespace cef_subtle {

class RefCountedBase {
 public:
  bool HasOneRef() const { return ref_count_ == 1; }

 protected:
  RefCountedBase() : ref_count_(0) {}
  ~RefCountedBase() {}

  void AddRef() const { ++ref_count_; }

  // Returns true if the object should self-delete.
  bool Release() const { return --ref_count_ == 0; }

 private:
  mutable int ref_count_;

  DISALLOW_COPY_AND_ASSIGN(RefCountedBase);
};

class RefCountedThreadSafeBase {
 public:
  bool HasOneRef() const {
    return AtomicRefCountIsOne(&ref_count_);
  }

 protected:
  RefCountedThreadSafeBase() : ref_count_(0) {}
  ~RefCountedThreadSafeBase() {}

  void AddRef() const { AtomicRefCountInc(&ref_count_); }

  // Returns true if the object should self-delete.
  bool Release() const { return !AtomicRefCountDec(&ref_count_); }

 private:
  mutable AtomicRefCount ref_count_;

  DISALLOW_COPY_AND_ASSIGN(RefCountedThreadSafeBase);
};

}  // namespace cef_subtle

// Single-threaded reference counting. Use RefCountedThreadSafe when
// references cross threads.
template <class T>
class RefCounted : public cef_subtle::RefCountedBase {
 public:
  RefCounted() {}

  void AddRef() const { cef_subtle::RefCountedBase::AddRef(); }

  void Release() const {
    if (cef_subtle::RefCountedBase::Release())
      delete static_cast<const T*>(this);
  }

 protected:
  ~RefCounted() {}

 private:
  DISALLOW_COPY_AND_ASSIGN(RefCounted<T>);
};

template <class T, typename Traits>
class RefCountedThreadSafe;

// Default destruction policy: delete on whichever thread drops the last
// reference.
template <typename T>
struct DefaultRefCountedThreadSafeTraits {
  static void Destruct(const T* x) {
    RefCountedThreadSafe<T, DefaultRefCountedThreadSafeTraits>::DeleteInternal(
        x);
  }
};

// Thread-safe reference counting with an atomic count. A derived class with a
// protected destructor must befriend base::RefCountedThreadSafe<Derived>.
template <class T, typename Traits = DefaultRefCountedThreadSafeTraits<T> >
class RefCountedThreadSafe : public cef_subtle::RefCountedThreadSafeBase {
 public:
  RefCountedThreadSafe() {}

  void AddRef() const { cef_subtle::RefCountedThreadSafeBase::AddRef(); }

  void Release() const {
    if (cef_subtle::RefCountedThreadSafeBase::Release())
      Traits::Destruct(static_cast<const T*>(this));
  }

 protected:
  ~RefCountedThreadSafe() {}

 private:
  friend struct DefaultRefCountedThreadSafeTraits<T>;
  static void DeleteInternal(const T* x) { delete x; }

  DISALLOW_COPY_AND_ASSIGN(RefCountedThreadSafe);
};

// A thread-safe, reference-counted holder for a value.
template <typename T>
class RefCountedData
    : public base::RefCountedThreadSafe<base::RefCountedData<T> > {
 public:
  RefCountedData() : data() {}
  RefCountedData(const T& in_value) : data(in_value) {}  // NOLINT

  T data;

 private:
  friend class base::RefCountedThreadSafe<base::RefCountedData<T> >;
  ~RefCountedData() {}
};

}  // namespace base

// Smart pointer for reference-counted objects. T needs AddRef() and
// Release(); the pointer converts implicitly to T*, so comparisons with NULL
// and conversions to a pointer to a base class work as with raw pointers.
template <class T>
class scoped_refptr {
 public:
  typedef T element_type;

  scoped_refptr() : ptr_(NULL) {}

  scoped_refptr(T* p) : ptr_(p) {  // NOLINT(runtime/explicit)
    if (ptr_)
      ptr_->AddRef();
  }

  scoped_refptr(const scoped_refptr<T>& r) : ptr_(r.ptr_) {
    if (ptr_)
      ptr_->AddRef();
  }

  template <typename U>
  scoped_refptr(const scoped_refptr<U>& r) : ptr_(r.get()) {
    if (ptr_)
      ptr_->AddRef();
  }

  ~scoped_refptr() {
    if (ptr_)
      ptr_->Release();
  }

  T* get() const { return ptr_; }

  operator T*() const { return ptr_; }

  T* operator->() const {
    assert(ptr_ != NULL);
    return ptr_;
  }

  scoped_refptr<T>& operator=(T* p) {
    // AddRef first so that self-assignment is safe.
    if (p)
      p->AddRef();
    T* old_ptr = ptr_;
    ptr_ = p;
    if (old_ptr)
      old_ptr->Release();
    return *this;
  }

  scoped_refptr<T>& operator=(const scoped_refptr<T>& r) {
    return *this = r.ptr_;
  }

  template <typename U>
  scoped_refptr<T>& operator=(const scoped_refptr<U>& r) {
    return *this = r.get();
  }

  void swap(T** pp) {
    T* p = ptr_;
    ptr_ = *pp;
    *pp = p;
  }

  void swap(scoped_refptr<T>& r) { swap(&r.ptr_); }

 protected:
  T* ptr_;
};

template <typename T>
scoped_refptr<T> make_scoped_refptr(T* t) {
  return scoped_refptr<T>(t);
}

#endif  // CEF_INCLUDE_BASE_CEF_REF_COUNTED_H_
