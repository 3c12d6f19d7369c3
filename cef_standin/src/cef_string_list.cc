// The opaque string list of the function interface: a vector of CefString
// behind a void pointer. A NULL list or value makes a call do nothing.

#include <vector>

#include "include/internal/cef_string_list.h"

namespace {

typedef std::vector<CefString> StringList;

StringList* AsList(cef_string_list_t list) {
  return static_cast<StringList*>(list);
}

}  // namespace

extern "C" {

CEF_EXPORT cef_string_list_t cef_string_list_alloc() {
  return new StringList;
}

CEF_EXPORT int cef_string_list_size(cef_string_list_t list) {
  return list ? static_cast<int>(AsList(list)->size()) : 0;
}

CEF_EXPORT int cef_string_list_value(cef_string_list_t list, int index,
                                     cef_string_t* value) {
  if (!list || !value || index < 0)
    return false;
  const StringList* impl = AsList(list);
  if (static_cast<size_t>(index) >= impl->size())
    return false;
  const CefString& str = (*impl)[index];
  return cef_string_set(str.c_str(), str.length(), value, true);
}

CEF_EXPORT void cef_string_list_append(cef_string_list_t list,
                                       const cef_string_t* value) {
  if (!list || !value)
    return;
  AsList(list)->push_back(CefString(value->str, value->length, true));
}

CEF_EXPORT void cef_string_list_clear(cef_string_list_t list) {
  if (list)
    AsList(list)->clear();
}

CEF_EXPORT void cef_string_list_free(cef_string_list_t list) {
  delete AsList(list);
}

CEF_EXPORT cef_string_list_t cef_string_list_copy(cef_string_list_t list) {
  if (!list)
    return nullptr;
  return new StringList(*AsList(list));
}

}  // extern "C"
