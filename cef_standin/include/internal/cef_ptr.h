// CefRefPtr: the counted reference used for every interface object.

#ifndef CEF_INCLUDE_INTERNAL_CEF_PTR_H_
#define CEF_INCLUDE_INTERNAL_CEF_PTR_H_
#pragma once

#include "include/base/cef_build.h"
#include "include/base/cef_ref_counted.h"

template <class T>
class CefRefPtr : public scoped_refptr<T> {
 public:
  typedef scoped_refptr<T> parent;

  CefRefPtr() : parent() {}

  CefRefPtr(T* p) : parent(p) {}  // NOLINT(runtime/explicit)

  CefRefPtr(const scoped_refptr<T>& r) : parent(r) {}  // NOLINT

  template <typename U>
  CefRefPtr(const scoped_refptr<U>& r) : parent(r) {}  // NOLINT
};

#endif  // CEF_INCLUDE_INTERNAL_CEF_PTR_H_
