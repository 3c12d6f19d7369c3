#include "resources.h"

#include <vector>

#include "win_error.h"

namespace e2e {

namespace {

// A resource name or type: an integer id or a string.
struct ResourceKey {
  bool is_id = false;
  WORD id = 0;
  std::wstring text;

  static ResourceKey Of(LPCWSTR name) {
    ResourceKey key;
    key.is_id = IS_INTRESOURCE(name);
    if (key.is_id)
      key.id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    else
      key.text = name;
    return key;
  }
  LPCWSTR get() const { return is_id ? MAKEINTRESOURCEW(id) : text.c_str(); }
};

struct Resource {
  ResourceKey type;
  ResourceKey name;
  WORD language = 0;
  std::vector<char> bytes;
};

struct Walk {
  HMODULE module;
  std::vector<Resource>* found;
  ResourceKey type;
  ResourceKey name;
};

BOOL CALLBACK OnLanguage(HMODULE module, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
  Walk* walk = reinterpret_cast<Walk*>(param);
  HRSRC res = FindResourceExW(module, walk->type.get(), walk->name.get(), language);
  HGLOBAL data = res ? LoadResource(module, res) : nullptr;
  const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
  Resource resource{walk->type, walk->name, language, {}};
  if (bytes)
    resource.bytes.assign(bytes, bytes + SizeofResource(module, res));
  walk->found->push_back(resource);
  return TRUE;
}

BOOL CALLBACK OnName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  Walk* walk = reinterpret_cast<Walk*>(param);
  Walk inner{module, walk->found, walk->type, ResourceKey::Of(name)};
  EnumResourceLanguagesW(module, type, name, OnLanguage, reinterpret_cast<LONG_PTR>(&inner));
  return TRUE;
}

BOOL CALLBACK OnType(HMODULE module, LPWSTR type, LONG_PTR param) {
  Walk* walk = reinterpret_cast<Walk*>(param);
  Walk inner{module, walk->found, ResourceKey::Of(type), {}};
  EnumResourceNamesW(module, type, OnName, reinterpret_cast<LONG_PTR>(&inner));
  return TRUE;
}

}  // namespace

// Deleting one resource in place (UpdateResourceW without data) is not done
// by every implementation (Wine 8 keeps it); rewriting the table without it
// is done by all.
testing::AssertionResult RemoveResource(const std::wstring& exe, LPCWSTR type, WORD id) {
  std::vector<Resource> resources;
  HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module)
    return testing::AssertionFailure() << "cannot read " << LastErrorText();
  Walk walk{module, &resources, {}, {}};
  EnumResourceTypesW(module, OnType, reinterpret_cast<LONG_PTR>(&walk));
  FreeLibrary(module);

  const ResourceKey removed_type = ResourceKey::Of(type);
  HANDLE update = BeginUpdateResourceW(exe.c_str(), TRUE);
  if (!update)
    return testing::AssertionFailure() << "cannot update " << LastErrorText();
  bool removed = false;
  for (Resource& r : resources) {
    if (r.type.is_id == removed_type.is_id && r.type.id == removed_type.id &&
        r.type.text == removed_type.text && r.name.is_id && r.name.id == id) {
      removed = true;
      continue;
    }
    if (!UpdateResourceW(update, r.type.get(), r.name.get(), r.language, r.bytes.data(),
                         static_cast<DWORD>(r.bytes.size()))) {
      EndUpdateResourceW(update, TRUE);
      return testing::AssertionFailure() << "cannot keep a resource " << LastErrorText();
    }
  }
  if (!EndUpdateResourceW(update, FALSE))
    return testing::AssertionFailure() << "cannot write " << LastErrorText();
  if (!removed)
    return testing::AssertionFailure() << "the executable had no such resource";
  return testing::AssertionSuccess();
}

}  // namespace e2e
