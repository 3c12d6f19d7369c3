// CefStringBase: a C++ wrapper over one of the C string structures. It either
// owns its structure or is attached to a structure that someone else owns
// (the form used for output parameters of the function interface).

#ifndef CEF_INCLUDE_INTERNAL_CEF_STRING_WRAPPERS_H_
#define CEF_INCLUDE_INTERNAL_CEF_STRING_WRAPPERS_H_
#pragma once

#include <memory.h>
#include <string.h>

#include <string>

#include "include/base/cef_string16.h"
#include "include/internal/cef_string_types.h"

// Traits for the wide string structure (wchar_t, UTF-16 on Windows).
struct CefStringTraitsWide {
  typedef wchar_t char_type;
  typedef cef_string_wide_t struct_type;
  typedef cef_string_userfree_wide_t userfree_struct_type;

  static inline void clear(struct_type* s) { cef_string_wide_clear(s); }
  static inline int set(const char_type* src, size_t src_size,
                        struct_type* output, int copy) {
    return cef_string_wide_set(src, src_size, output, copy);
  }
  static inline int compare(const struct_type* s1, const struct_type* s2) {
    return cef_string_wide_cmp(s1, s2);
  }
  static inline userfree_struct_type userfree_alloc() {
    return cef_string_userfree_wide_alloc();
  }
  static inline void userfree_free(userfree_struct_type ufs) {
    cef_string_userfree_wide_free(ufs);
  }

  static inline bool from_ascii(const char* str, size_t len, struct_type* s) {
    return cef_string_ascii_to_wide(str, len, s) ? true : false;
  }
  static inline std::string to_string(const struct_type* s) {
    cef_string_utf8_t cstr;
    memset(&cstr, 0, sizeof(cstr));
    cef_string_wide_to_utf8(s->str, s->length, &cstr);
    std::string str;
    if (cstr.length > 0)
      str = std::string(cstr.str, cstr.length);
    cef_string_utf8_clear(&cstr);
    return str;
  }
  static inline bool from_string(const std::string& str, struct_type* s) {
    return cef_string_utf8_to_wide(str.c_str(), str.length(), s) ? true
                                                                  : false;
  }
  static inline std::wstring to_wstring(const struct_type* s) {
    return s->length > 0 ? std::wstring(s->str, s->length) : std::wstring();
  }
  static inline bool from_wstring(const std::wstring& str, struct_type* s) {
    return cef_string_wide_set(str.c_str(), str.length(), s, true) ? true
                                                                   : false;
  }
  static inline base::string16 to_string16(const struct_type* s) {
    return s->length > 0 ? base::string16(s->str, s->length)
                         : base::string16();
  }
  static inline bool from_string16(const base::string16& str,
                                   struct_type* s) {
    return cef_string_wide_set(str.c_str(), str.length(), s, true) ? true
                                                                   : false;
  }
};

// Traits for the UTF-8 string structure.
struct CefStringTraitsUTF8 {
  typedef char char_type;
  typedef cef_string_utf8_t struct_type;
  typedef cef_string_userfree_utf8_t userfree_struct_type;

  static inline void clear(struct_type* s) { cef_string_utf8_clear(s); }
  static inline int set(const char_type* src, size_t src_size,
                        struct_type* output, int copy) {
    return cef_string_utf8_set(src, src_size, output, copy);
  }
  static inline int compare(const struct_type* s1, const struct_type* s2) {
    return cef_string_utf8_cmp(s1, s2);
  }
  static inline userfree_struct_type userfree_alloc() {
    return cef_string_userfree_utf8_alloc();
  }
  static inline void userfree_free(userfree_struct_type ufs) {
    cef_string_userfree_utf8_free(ufs);
  }

  static inline bool from_ascii(const char* str, size_t len, struct_type* s) {
    return cef_string_utf8_copy(str, len, s) ? true : false;
  }
  static inline std::string to_string(const struct_type* s) {
    return s->length > 0 ? std::string(s->str, s->length) : std::string();
  }
  static inline bool from_string(const std::string& str, struct_type* s) {
    return cef_string_utf8_copy(str.c_str(), str.length(), s) ? true : false;
  }
  static inline std::wstring to_wstring(const struct_type* s) {
    cef_string_wide_t cstr;
    memset(&cstr, 0, sizeof(cstr));
    cef_string_utf8_to_wide(s->str, s->length, &cstr);
    std::wstring str;
    if (cstr.length > 0)
      str = std::wstring(cstr.str, cstr.length);
    cef_string_wide_clear(&cstr);
    return str;
  }
  static inline bool from_wstring(const std::wstring& str, struct_type* s) {
    return cef_string_wide_to_utf8(str.c_str(), str.length(), s) ? true
                                                                  : false;
  }
  static inline base::string16 to_string16(const struct_type* s) {
    cef_string_utf16_t cstr;
    memset(&cstr, 0, sizeof(cstr));
    cef_string_utf8_to_utf16(s->str, s->length, &cstr);
    base::string16 str;
    if (cstr.length > 0)
      str = base::string16(cstr.str, cstr.length);
    cef_string_utf16_clear(&cstr);
    return str;
  }
  static inline bool from_string16(const base::string16& str,
                                   struct_type* s) {
    return cef_string_utf16_to_utf8(str.c_str(), str.length(), s) ? true
                                                                   : false;
  }
};

// Traits for the UTF-16 string structure.
struct CefStringTraitsUTF16 {
  typedef char16 char_type;
  typedef cef_string_utf16_t struct_type;
  typedef cef_string_userfree_utf16_t userfree_struct_type;

  static inline void clear(struct_type* s) { cef_string_utf16_clear(s); }
  static inline int set(const char_type* src, size_t src_size,
                        struct_type* output, int copy) {
    return cef_string_utf16_set(src, src_size, output, copy);
  }
  static inline int compare(const struct_type* s1, const struct_type* s2) {
    return cef_string_utf16_cmp(s1, s2);
  }
  static inline userfree_struct_type userfree_alloc() {
    return cef_string_userfree_utf16_alloc();
  }
  static inline void userfree_free(userfree_struct_type ufs) {
    cef_string_userfree_utf16_free(ufs);
  }

  static inline bool from_ascii(const char* str, size_t len, struct_type* s) {
    return cef_string_ascii_to_utf16(str, len, s) ? true : false;
  }
  static inline std::string to_string(const struct_type* s) {
    cef_string_utf8_t cstr;
    memset(&cstr, 0, sizeof(cstr));
    cef_string_utf16_to_utf8(s->str, s->length, &cstr);
    std::string str;
    if (cstr.length > 0)
      str = std::string(cstr.str, cstr.length);
    cef_string_utf8_clear(&cstr);
    return str;
  }
  static inline bool from_string(const std::string& str, struct_type* s) {
    return cef_string_utf8_to_utf16(str.c_str(), str.length(), s) ? true
                                                                   : false;
  }
  static inline std::wstring to_wstring(const struct_type* s) {
    return s->length > 0 ? std::wstring(s->str, s->length) : std::wstring();
  }
  static inline bool from_wstring(const std::wstring& str, struct_type* s) {
    return cef_string_utf16_set(str.c_str(), str.length(), s, true) ? true
                                                                    : false;
  }
  static inline base::string16 to_string16(const struct_type* s) {
    return s->length > 0 ? base::string16(s->str, s->length)
                         : base::string16();
  }
  static inline bool from_string16(const base::string16& str,
                                   struct_type* s) {
    return cef_string_utf16_set(str.c_str(), str.length(), s, true) ? true
                                                                    : false;
  }
};

template <class traits>
class CefStringBase {
 public:
  typedef typename traits::char_type char_type;
  typedef typename traits::struct_type struct_type;
  typedef typename traits::userfree_struct_type userfree_struct_type;

  CefStringBase() : string_(NULL), owner_(false) {}
  CefStringBase(const CefStringBase& str) : string_(NULL), owner_(false) {
    FromString(str.c_str(), str.length(), true);
  }
  CefStringBase(const std::string& src)  // NOLINT(runtime/explicit)
      : string_(NULL), owner_(false) {
    FromString(src);
  }
  CefStringBase(const char* src)  // NOLINT(runtime/explicit)
      : string_(NULL), owner_(false) {
    if (src)
      FromString(std::string(src));
  }
  CefStringBase(const std::wstring& src)  // NOLINT(runtime/explicit)
      : string_(NULL), owner_(false) {
    FromWString(src);
  }
  CefStringBase(const wchar_t* src)  // NOLINT(runtime/explicit)
      : string_(NULL), owner_(false) {
    if (src)
      FromWString(std::wstring(src));
  }
  // With |copy| false the characters are referenced, not owned: |src| must
  // outlive this object.
  CefStringBase(const char_type* src, size_t src_len, bool copy)
      : string_(NULL), owner_(false) {
    if (src && src_len > 0)
      FromString(src, src_len, copy);
  }
  // Attaches to |src| without taking ownership of the structure.
  CefStringBase(const struct_type* src)  // NOLINT(runtime/explicit)
      : string_(NULL), owner_(false) {
    if (!src)
      return;
    Attach(const_cast<struct_type*>(src), false);
  }

  virtual ~CefStringBase() { ClearAndFree(); }

  // May be NULL for an empty string.
  const char_type* c_str() const { return (string_ ? string_->str : NULL); }

  size_t length() const { return (string_ ? string_->length : 0); }
  inline size_t size() const { return length(); }

  bool empty() const { return (string_ == NULL || string_->length == 0); }

  int compare(const CefStringBase& str) const {
    if (empty() && str.empty())
      return 0;
    if (empty())
      return -1;
    if (str.empty())
      return 1;
    return traits::compare(string_, str.GetStruct());
  }

  void clear() {
    if (string_ != NULL)
      traits::clear(string_);
  }

  void swap(CefStringBase& str) {
    struct_type* tmp_string = string_;
    bool tmp_owner = owner_;
    string_ = str.string_;
    owner_ = str.owner_;
    str.string_ = tmp_string;
    str.owner_ = tmp_owner;
  }

  bool IsOwner() const { return owner_; }

  const struct_type* GetStruct() const { return string_; }

  struct_type* GetWritableStruct() {
    AllocIfNeeded();
    return string_;
  }

  void ClearAndFree() {
    if (string_ == NULL)
      return;
    if (owner_) {
      clear();
      delete string_;
    }
    string_ = NULL;
    owner_ = false;
  }

  // With |owner| true this object frees |str| (structure and characters).
  void Attach(struct_type* str, bool owner) {
    ClearAndFree();
    string_ = str;
    owner_ = owner;
  }

  // Takes the characters of |str| and frees the userfree structure itself.
  void AttachToUserFree(userfree_struct_type str) {
    ClearAndFree();
    if (!str)
      return;
    AllocIfNeeded();
    owner_ = true;
    memcpy(string_, str, sizeof(struct_type));
    memset(str, 0, sizeof(struct_type));
    traits::userfree_free(str);
  }

  // Forgets the structure without freeing anything.
  void Detach() {
    string_ = NULL;
    owner_ = false;
  }

  // Hands the characters over in a userfree structure; NULL when empty.
  userfree_struct_type DetachToUserFree() {
    if (empty())
      return NULL;
    userfree_struct_type str = traits::userfree_alloc();
    if (!str)
      return NULL;
    memcpy(str, string_, sizeof(struct_type));
    memset(string_, 0, sizeof(struct_type));
    ClearAndFree();
    return str;
  }

  bool FromString(const char_type* src, size_t src_len, bool copy) {
    if (src == NULL || src_len == 0) {
      clear();
      return true;
    }
    AllocIfNeeded();
    return traits::set(src, src_len, string_, copy) ? true : false;
  }

  bool FromASCII(const char* str) {
    size_t len = str ? strlen(str) : 0;
    if (len == 0) {
      clear();
      return true;
    }
    AllocIfNeeded();
    return traits::from_ascii(str, len, string_);
  }

  std::string ToString() const {
    if (empty())
      return std::string();
    return traits::to_string(string_);
  }

  bool FromString(const std::string& str) {
    if (str.empty()) {
      clear();
      return true;
    }
    AllocIfNeeded();
    return traits::from_string(str, string_);
  }

  std::wstring ToWString() const {
    if (empty())
      return std::wstring();
    return traits::to_wstring(string_);
  }

  bool FromWString(const std::wstring& str) {
    if (str.empty()) {
      clear();
      return true;
    }
    AllocIfNeeded();
    return traits::from_wstring(str, string_);
  }

  base::string16 ToString16() const {
    if (empty())
      return base::string16();
    return traits::to_string16(string_);
  }

  bool FromString16(const base::string16& str) {
    if (str.empty()) {
      clear();
      return true;
    }
    AllocIfNeeded();
    return traits::from_string16(str, string_);
  }

  bool operator<(const CefStringBase& str) const { return (compare(str) < 0); }
  bool operator<=(const CefStringBase& str) const {
    return (compare(str) <= 0);
  }
  bool operator>(const CefStringBase& str) const { return (compare(str) > 0); }
  bool operator>=(const CefStringBase& str) const {
    return (compare(str) >= 0);
  }
  bool operator==(const CefStringBase& str) const {
    return (compare(str) == 0);
  }
  bool operator!=(const CefStringBase& str) const {
    return (compare(str) != 0);
  }

  CefStringBase& operator=(const CefStringBase& str) {
    FromString(str.c_str(), str.length(), true);
    return *this;
  }
  operator std::string() const { return ToString(); }
  CefStringBase& operator=(const std::string& str) {
    FromString(str);
    return *this;
  }
  CefStringBase& operator=(const char* str) {
    FromString(str ? std::string(str) : std::string());
    return *this;
  }
  operator std::wstring() const { return ToWString(); }
  CefStringBase& operator=(const std::wstring& str) {
    FromWString(str);
    return *this;
  }
  CefStringBase& operator=(const wchar_t* str) {
    FromWString(str ? std::wstring(str) : std::wstring());
    return *this;
  }

 private:
  void AllocIfNeeded() {
    if (string_ == NULL) {
      string_ = new struct_type;
      memset(string_, 0, sizeof(struct_type));
      owner_ = true;
    }
  }

  struct_type* string_;
  bool owner_;
};

typedef CefStringBase<CefStringTraitsWide> CefStringWide;
typedef CefStringBase<CefStringTraitsUTF8> CefStringUTF8;
typedef CefStringBase<CefStringTraitsUTF16> CefStringUTF16;

#endif  // CEF_INCLUDE_INTERNAL_CEF_STRING_WRAPPERS_H_
