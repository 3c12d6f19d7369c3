// CefListValue. Reads of a missing index or of another type give the type's
// default (false, 0, 0.0, empty), except that an int reads as a double.
// Writes fail on an invalid or read-only list, on a negative index, or when
// the list cannot grow that far.

#include "list_value_impl.h"

#include <new>
#include <stdexcept>
#include <utility>

CefListValueImpl::CefListValueImpl()
    : valid_(true), owned_(false), read_only_(false) {}

CefRefPtr<CefListValueImpl> CefListValueImpl::DeepCopy() const {
  CefRefPtr<CefListValueImpl> copy = new CefListValueImpl();
  copy->items_.reserve(items_.size());
  for (const Element& element : items_) {
    if (const auto* child = std::get_if<CefRefPtr<CefListValueImpl> >(
            &element)) {
      CefRefPtr<CefListValueImpl> nested = (*child)->DeepCopy();
      nested->SetOwned(true);
      copy->items_.push_back(nested);
    } else {
      copy->items_.push_back(element);
    }
  }
  return copy;
}

void CefListValueImpl::SetReadOnly(bool read_only) {
  read_only_ = read_only;
  for (Element& element : items_) {
    if (auto* child = std::get_if<CefRefPtr<CefListValueImpl> >(&element))
      (*child)->SetReadOnly(read_only);
  }
}

const CefListValueImpl::Element* CefListValueImpl::Find(int index) const {
  if (!valid_ || index < 0 || static_cast<size_t>(index) >= items_.size())
    return nullptr;
  return &items_[index];
}

// A nested list that leaves its parent no longer refers to anything.
void CefListValueImpl::Release(Element& element) {
  if (auto* child = std::get_if<CefRefPtr<CefListValueImpl> >(&element)) {
    (*child)->valid_ = false;
    (*child)->items_.clear();
  }
}

bool CefListValueImpl::Resize(size_t size) {
  for (size_t i = size; i < items_.size(); ++i)
    Release(items_[i]);
  try {
    items_.resize(size);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

bool CefListValueImpl::Store(int index, Element element) {
  if (!valid_ || read_only_ || index < 0)
    return false;
  const size_t position = static_cast<size_t>(index);
  if (position >= items_.size() && !Resize(position + 1))
    return false;
  Release(items_[position]);
  items_[position] = std::move(element);
  return true;
}

bool CefListValueImpl::IsValid() { return valid_; }

bool CefListValueImpl::IsOwned() { return owned_; }

bool CefListValueImpl::IsReadOnly() { return read_only_; }

bool CefListValueImpl::IsSame(CefRefPtr<CefListValue> that) {
  return valid_ && that.get() == this;
}

bool CefListValueImpl::IsEqual(CefRefPtr<CefListValue> that) {
  if (!valid_ || !that || !that->IsValid())
    return false;
  if (that.get() == this)
    return true;
  if (that->GetSize() != items_.size())
    return false;
  for (size_t i = 0; i < items_.size(); ++i) {
    const int index = static_cast<int>(i);
    if (that->GetType(index) != GetType(index))
      return false;
    const Element& element = items_[i];
    switch (element.index()) {
      case 1:
        if (that->GetBool(index) != std::get<bool>(element))
          return false;
        break;
      case 2:
        if (that->GetInt(index) != std::get<int>(element))
          return false;
        break;
      case 3:
        if (that->GetDouble(index) != std::get<double>(element))
          return false;
        break;
      case 4:
        if (that->GetString(index) != std::get<CefString>(element))
          return false;
        break;
      case 5:
        if (!std::get<CefRefPtr<CefListValueImpl> >(element)->IsEqual(
                that->GetList(index)))
          return false;
        break;
      default:
        break;
    }
  }
  return true;
}

CefRefPtr<CefListValue> CefListValueImpl::Copy() {
  if (!valid_)
    return nullptr;
  return DeepCopy().get();
}

bool CefListValueImpl::SetSize(size_t size) {
  if (!valid_ || read_only_)
    return false;
  return Resize(size);
}

size_t CefListValueImpl::GetSize() { return valid_ ? items_.size() : 0; }

bool CefListValueImpl::Clear() {
  if (!valid_ || read_only_)
    return false;
  return Resize(0);
}

bool CefListValueImpl::Remove(int index) {
  if (read_only_ || !Find(index))
    return false;
  Release(items_[index]);
  items_.erase(items_.begin() + index);
  return true;
}

CefValueType CefListValueImpl::GetType(int index) {
  const Element* element = Find(index);
  if (!element)
    return VTYPE_INVALID;
  switch (element->index()) {
    case 0:
      return VTYPE_NULL;
    case 1:
      return VTYPE_BOOL;
    case 2:
      return VTYPE_INT;
    case 3:
      return VTYPE_DOUBLE;
    case 4:
      return VTYPE_STRING;
    default:
      return VTYPE_LIST;
  }
}

CefRefPtr<CefValue> CefListValueImpl::GetValue(int /*index*/) {
  return nullptr;
}

bool CefListValueImpl::GetBool(int index) {
  const Element* element = Find(index);
  const bool* value = element ? std::get_if<bool>(element) : nullptr;
  return value ? *value : false;
}

int CefListValueImpl::GetInt(int index) {
  const Element* element = Find(index);
  const int* value = element ? std::get_if<int>(element) : nullptr;
  return value ? *value : 0;
}

double CefListValueImpl::GetDouble(int index) {
  const Element* element = Find(index);
  if (!element)
    return 0.0;
  if (const double* value = std::get_if<double>(element))
    return *value;
  if (const int* value = std::get_if<int>(element))
    return *value;
  return 0.0;
}

CefString CefListValueImpl::GetString(int index) {
  const Element* element = Find(index);
  const CefString* value =
      element ? std::get_if<CefString>(element) : nullptr;
  return value ? *value : CefString();
}

CefRefPtr<CefBinaryValue> CefListValueImpl::GetBinary(int /*index*/) {
  return nullptr;
}

CefRefPtr<CefDictionaryValue> CefListValueImpl::GetDictionary(
    int /*index*/) {
  return nullptr;
}

CefRefPtr<CefListValue> CefListValueImpl::GetList(int index) {
  const Element* element = Find(index);
  const auto* value =
      element ? std::get_if<CefRefPtr<CefListValueImpl> >(element) : nullptr;
  return value ? CefRefPtr<CefListValue>(value->get()) : nullptr;
}

bool CefListValueImpl::SetValue(int /*index*/,
                                CefRefPtr<CefValue> /*value*/) {
  return false;
}

bool CefListValueImpl::SetNull(int index) {
  return Store(index, std::monostate());
}

bool CefListValueImpl::SetBool(int index, bool value) {
  return Store(index, value);
}

bool CefListValueImpl::SetInt(int index, int value) {
  return Store(index, value);
}

bool CefListValueImpl::SetDouble(int index, double value) {
  return Store(index, value);
}

bool CefListValueImpl::SetString(int index, const CefString& value) {
  return Store(index, value);
}

bool CefListValueImpl::SetBinary(int /*index*/,
                                 CefRefPtr<CefBinaryValue> /*value*/) {
  return false;
}

bool CefListValueImpl::SetDictionary(
    int /*index*/, CefRefPtr<CefDictionaryValue> /*value*/) {
  return false;
}

// As in 2623: a list that belongs to another object is copied and stays as
// it is; one that belongs to nobody is taken over, and the caller's reference
// to it becomes invalid. A list cannot hold itself.
bool CefListValueImpl::SetList(int index, CefRefPtr<CefListValue> value) {
  auto* source = static_cast<CefListValueImpl*>(value.get());
  if (!source || !source->IsValid() || source == this || !valid_ || read_only_)
    return false;
  CefRefPtr<CefListValueImpl> copy = source->DeepCopy();
  copy->SetOwned(true);
  copy->SetReadOnly(read_only_);
  if (!Store(index, copy))
    return false;
  if (!source->owned_)
    source->Invalidate();
  return true;
}

void CefListValueImpl::Invalidate() {
  valid_ = false;
  for (Element& element : items_)
    Release(element);
  items_.clear();
}

// static
CefRefPtr<CefListValue> CefListValue::Create() {
  return new CefListValueImpl();
}
