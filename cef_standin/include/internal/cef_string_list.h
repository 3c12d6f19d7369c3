// An opaque list of strings for the function interface. Values are copied
// in and out; a NULL list or value makes a call do nothing.

#ifndef CEF_INCLUDE_INTERNAL_CEF_STRING_LIST_H_
#define CEF_INCLUDE_INTERNAL_CEF_STRING_LIST_H_
#pragma once

#include "include/internal/cef_export.h"
#include "include/internal/cef_string.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef void* cef_string_list_t;

CEF_EXPORT cef_string_list_t cef_string_list_alloc();

CEF_EXPORT int cef_string_list_size(cef_string_list_t list);

// Copies the value at |index| into |value|; returns false when |index| is out
// of range.
CEF_EXPORT int cef_string_list_value(cef_string_list_t list, int index,
                                     cef_string_t* value);

CEF_EXPORT void cef_string_list_append(cef_string_list_t list,
                                       const cef_string_t* value);

CEF_EXPORT void cef_string_list_clear(cef_string_list_t list);

CEF_EXPORT void cef_string_list_free(cef_string_list_t list);

CEF_EXPORT cef_string_list_t cef_string_list_copy(cef_string_list_t list);

#ifdef __cplusplus
}
#endif

#endif  // CEF_INCLUDE_INTERNAL_CEF_STRING_LIST_H_
