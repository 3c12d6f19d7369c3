// Atomic reference-count primitives. Increments are relaxed; the decrement
// that may free the object is a full barrier so that writes made through
// other references are visible to the destructor.

#ifndef CEF_INCLUDE_BASE_CEF_ATOMIC_REF_COUNT_H_
#define CEF_INCLUDE_BASE_CEF_ATOMIC_REF_COUNT_H_
#pragma once

#include "include/base/cef_basictypes.h"

namespace base {

namespace subtle {
typedef int32 Atomic32;
}  // namespace subtle

typedef subtle::Atomic32 AtomicRefCount;

inline void AtomicRefCountIncN(volatile AtomicRefCount* ptr,
                               AtomicRefCount increment) {
  __atomic_add_fetch(ptr, increment, __ATOMIC_RELAXED);
}

// Returns false if the count reached zero.
inline bool AtomicRefCountDecN(volatile AtomicRefCount* ptr,
                               AtomicRefCount decrement) {
  return __atomic_sub_fetch(ptr, decrement, __ATOMIC_ACQ_REL) != 0;
}

inline void AtomicRefCountInc(volatile AtomicRefCount* ptr) {
  AtomicRefCountIncN(ptr, 1);
}

inline bool AtomicRefCountDec(volatile AtomicRefCount* ptr) {
  return AtomicRefCountDecN(ptr, 1);
}

inline bool AtomicRefCountIsOne(volatile AtomicRefCount* ptr) {
  return __atomic_load_n(ptr, __ATOMIC_ACQUIRE) == 1;
}

inline bool AtomicRefCountIsZero(volatile AtomicRefCount* ptr) {
  return __atomic_load_n(ptr, __ATOMIC_ACQUIRE) == 0;
}

}  // namespace base

#endif  // CEF_INCLUDE_BASE_CEF_ATOMIC_REF_COUNT_H_
