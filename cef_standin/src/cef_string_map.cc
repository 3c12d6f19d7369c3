// The opaque string maps of the function interface. As in CEF, a map is kept
// sorted by key and an append never replaces a key that is there; a multimap
// keeps every pair, sorted by key and in append order within a key. A NULL map
// or string makes a call do nothing (and answer false or 0).

#include <iterator>
#include <map>

#include "include/internal/cef_string_map.h"
#include "include/internal/cef_string_multimap.h"

namespace {

typedef std::map<CefString, CefString> StringMap;
typedef std::multimap<CefString, CefString> StringMultimap;

StringMap* AsMap(cef_string_map_t map) {
  return static_cast<StringMap*>(map);
}

StringMultimap* AsMultimap(cef_string_multimap_t map) {
  return static_cast<StringMultimap*>(map);
}

CefString Borrow(const cef_string_t* str) {
  return CefString(str->str, str->length, false);
}

int CopyOut(const CefString& from, cef_string_t* to) {
  return cef_string_set(from.c_str(), from.length(), to, true);
}

// The pair at a zero-based position, or end() when there is none.
template <typename Map>
typename Map::const_iterator At(const Map& map, int index) {
  if (index < 0 || static_cast<size_t>(index) >= map.size())
    return map.end();
  return std::next(map.begin(), index);
}

}  // namespace

extern "C" {

CEF_EXPORT cef_string_map_t cef_string_map_alloc() {
  return new StringMap;
}

CEF_EXPORT int cef_string_map_size(cef_string_map_t map) {
  return map ? static_cast<int>(AsMap(map)->size()) : 0;
}

CEF_EXPORT int cef_string_map_find(cef_string_map_t map, const cef_string_t* key,
                                   cef_string_t* value) {
  if (!map || !key || !value)
    return false;
  const StringMap& impl = *AsMap(map);
  auto it = impl.find(Borrow(key));
  return it != impl.end() && CopyOut(it->second, value);
}

CEF_EXPORT int cef_string_map_key(cef_string_map_t map, int index,
                                  cef_string_t* key) {
  if (!map || !key)
    return false;
  auto it = At(*AsMap(map), index);
  return it != AsMap(map)->end() && CopyOut(it->first, key);
}

CEF_EXPORT int cef_string_map_value(cef_string_map_t map, int index,
                                    cef_string_t* value) {
  if (!map || !value)
    return false;
  auto it = At(*AsMap(map), index);
  return it != AsMap(map)->end() && CopyOut(it->second, value);
}

CEF_EXPORT int cef_string_map_append(cef_string_map_t map, const cef_string_t* key,
                                     const cef_string_t* value) {
  if (!map || !key || !value)
    return false;
  AsMap(map)->insert(std::make_pair(CefString(key->str, key->length, true),
                                    CefString(value->str, value->length, true)));
  return true;
}

CEF_EXPORT void cef_string_map_clear(cef_string_map_t map) {
  if (map)
    AsMap(map)->clear();
}

CEF_EXPORT void cef_string_map_free(cef_string_map_t map) {
  delete AsMap(map);
}

CEF_EXPORT cef_string_multimap_t cef_string_multimap_alloc() {
  return new StringMultimap;
}

CEF_EXPORT int cef_string_multimap_size(cef_string_multimap_t map) {
  return map ? static_cast<int>(AsMultimap(map)->size()) : 0;
}

CEF_EXPORT int cef_string_multimap_find_count(cef_string_multimap_t map,
                                              const cef_string_t* key) {
  if (!map || !key)
    return 0;
  return static_cast<int>(AsMultimap(map)->count(Borrow(key)));
}

CEF_EXPORT int cef_string_multimap_enumerate(cef_string_multimap_t map,
                                             const cef_string_t* key,
                                             int value_index,
                                             cef_string_t* value) {
  if (!map || !key || !value || value_index < 0)
    return false;
  auto range = AsMultimap(map)->equal_range(Borrow(key));
  for (auto it = range.first; it != range.second; ++it) {
    if (value_index-- == 0)
      return CopyOut(it->second, value);
  }
  return false;
}

CEF_EXPORT int cef_string_multimap_key(cef_string_multimap_t map, int index,
                                       cef_string_t* key) {
  if (!map || !key)
    return false;
  auto it = At(*AsMultimap(map), index);
  return it != AsMultimap(map)->end() && CopyOut(it->first, key);
}

CEF_EXPORT int cef_string_multimap_value(cef_string_multimap_t map, int index,
                                         cef_string_t* value) {
  if (!map || !value)
    return false;
  auto it = At(*AsMultimap(map), index);
  return it != AsMultimap(map)->end() && CopyOut(it->second, value);
}

CEF_EXPORT int cef_string_multimap_append(cef_string_multimap_t map,
                                          const cef_string_t* key,
                                          const cef_string_t* value) {
  if (!map || !key || !value)
    return false;
  AsMultimap(map)->insert(std::make_pair(CefString(key->str, key->length, true),
                                         CefString(value->str, value->length, true)));
  return true;
}

CEF_EXPORT void cef_string_multimap_clear(cef_string_multimap_t map) {
  if (map)
    AsMultimap(map)->clear();
}

CEF_EXPORT void cef_string_multimap_free(cef_string_multimap_t map) {
  delete AsMultimap(map);
}

}  // extern "C"
