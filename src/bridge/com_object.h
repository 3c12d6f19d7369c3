// Reference counting and interface lookup for COM objects this program
// implements itself. Windows only.

#ifndef ZLM_BRIDGE_COM_OBJECT_H_
#define ZLM_BRIDGE_COM_OBJECT_H_

#include <unknwn.h>

#include <atomic>
#include <tuple>

// A new object has no reference yet: the first ComPtr made from it takes the
// first one. (ComPtr::Attach does not serve: MinGW's adds a reference,
// Microsoft's does not.) It deletes itself when the last one goes, on
// whichever thread that is.
template <typename... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object)
      return E_POINTER;
    *object = Find(iid);
    if (!*object)
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0)
      delete this;
    return left;
  }

  ULONG references() const { return references_; }

 protected:
  ComObject() = default;
  virtual ~ComObject() = default;

  // The interface asked for, or null: IUnknown and each of Interfaces.
  virtual void* Find(REFIID iid) {
    using First = std::tuple_element_t<0, std::tuple<Interfaces...>>;
    void* found = iid == __uuidof(IUnknown) ? static_cast<First*>(this) : nullptr;
    ((found = found ? found : iid == __uuidof(Interfaces) ? static_cast<Interfaces*>(this) : nullptr),
     ...);
    return found;
  }

 private:
  std::atomic<ULONG> references_{0};
};

#endif  // ZLM_BRIDGE_COM_OBJECT_H_
