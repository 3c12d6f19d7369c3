// Value containers. CefListValue is complete for null, bool, int, double,
// string and nested list values; the other value kinds are declared only as
// far as its signatures name them.

#ifndef CEF_INCLUDE_CEF_VALUES_H_
#define CEF_INCLUDE_CEF_VALUES_H_
#pragma once

#include <vector>

#include "include/cef_base.h"

class CefBinaryValue;
class CefDictionaryValue;
class CefListValue;

typedef cef_value_type_t CefValueType;

class CefValue : public virtual CefBase {
 public:
};

class CefBinaryValue : public virtual CefBase {
 public:
};

class CefDictionaryValue : public virtual CefBase {
 public:
};

// A list of values indexed from 0. Setting an index past the end grows the
// list with null values. A list owned by a read-only object (a received
// process message) refuses every change.
class CefListValue : public virtual CefBase {
 public:
  static CefRefPtr<CefListValue> Create();

  virtual bool IsValid() = 0;
  virtual bool IsOwned() = 0;
  virtual bool IsReadOnly() = 0;
  virtual bool IsSame(CefRefPtr<CefListValue> that) = 0;
  virtual bool IsEqual(CefRefPtr<CefListValue> that) = 0;
  virtual CefRefPtr<CefListValue> Copy() = 0;

  virtual bool SetSize(size_t size) = 0;
  virtual size_t GetSize() = 0;
  virtual bool Clear() = 0;
  virtual bool Remove(int index) = 0;
  virtual CefValueType GetType(int index) = 0;

  virtual CefRefPtr<CefValue> GetValue(int index) = 0;
  virtual bool GetBool(int index) = 0;
  virtual int GetInt(int index) = 0;
  virtual double GetDouble(int index) = 0;
  virtual CefString GetString(int index) = 0;
  virtual CefRefPtr<CefBinaryValue> GetBinary(int index) = 0;
  virtual CefRefPtr<CefDictionaryValue> GetDictionary(int index) = 0;
  virtual CefRefPtr<CefListValue> GetList(int index) = 0;

  virtual bool SetValue(int index, CefRefPtr<CefValue> value) = 0;
  virtual bool SetNull(int index) = 0;
  virtual bool SetBool(int index, bool value) = 0;
  virtual bool SetInt(int index, int value) = 0;
  virtual bool SetDouble(int index, double value) = 0;
  virtual bool SetString(int index, const CefString& value) = 0;
  virtual bool SetBinary(int index, CefRefPtr<CefBinaryValue> value) = 0;
  virtual bool SetDictionary(int index, CefRefPtr<CefDictionaryValue> value) = 0;
  virtual bool SetList(int index, CefRefPtr<CefListValue> value) = 0;
};

#endif  // CEF_INCLUDE_CEF_VALUES_H_
