#include "accounts/store_lock.h"

#include <windows.h>

#include "accounts/store_lock_name.h"

namespace {

std::wstring FullPath(const std::wstring& path) {
  const DWORD units = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (units == 0)
    return path;
  std::wstring full(units, L'\0');
  const DWORD written = GetFullPathNameW(path.c_str(), units, &full[0], nullptr);
  if (written == 0 || written >= units)
    return path;
  full.resize(written);
  return full;
}

// The path that the file system itself gives the folder: junctions and
// substituted drives resolved, short (8.3) names long. Empty when it cannot
// be had (no such folder, no access).
std::wstring FinalFolderPath(const std::wstring& folder) {
  HANDLE handle = CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return std::wstring();
  std::wstring final(MAX_PATH, L'\0');
  DWORD units = GetFinalPathNameByHandleW(handle, &final[0], static_cast<DWORD>(final.size()),
                                          FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (units >= final.size()) {
    final.resize(units);
    units = GetFinalPathNameByHandleW(handle, &final[0], static_cast<DWORD>(final.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  }
  CloseHandle(handle);
  if (units == 0 || units >= final.size())
    return std::wstring();
  final.resize(units);
  return final;
}

// The identity of |path| rather than its spelling: the final path of the
// folder it names, or of its parent folder with its own name after it (a
// store file need not exist yet). The full path when neither can be had.
std::wstring IdentityPath(const std::wstring& path) {
  const std::wstring full = FullPath(path);
  const DWORD attributes = GetFileAttributesW(full.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    const std::wstring final = FinalFolderPath(full);
    return final.empty() ? full : final;
  }
  const std::wstring::size_type slash = full.find_last_of(L"\\/");
  if (slash == std::wstring::npos)
    return full;
  const std::wstring parent = FinalFolderPath(full.substr(0, slash));
  return parent.empty() ? full : parent + L"\\" + full.substr(slash + 1);
}

// File names compare without regard to case; the invariant mapping makes the
// folding the same whatever the user's locale.
std::wstring UpperCased(const std::wstring& text) {
  if (text.empty())
    return text;
  const int length = static_cast<int>(text.size());
  const int units = LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, text.c_str(), length, nullptr, 0);
  if (units <= 0)
    return text;
  std::wstring upper(static_cast<std::size_t>(units), L'\0');
  if (LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, text.c_str(), length, &upper[0], units) !=
      units)
    return text;
  return upper;
}

}  // namespace

std::wstring PathLockNameFor(std::string_view prefix, const std::wstring& path) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows strings are UTF-16");
  const std::wstring folded = UpperCased(IdentityPath(path));
  const std::string name = PathLockName(
      prefix, std::u16string_view(reinterpret_cast<const char16_t*>(folded.data()), folded.size()));
  return std::wstring(name.begin(), name.end());  // ASCII
}

std::wstring StoreLockNameFor(const std::wstring& storePath) {
  return PathLockNameFor(kStoreLockPrefix, storePath);
}

StoreLock::StoreLock(const std::wstring& storePath, unsigned long waitMs) {
  mutex_ = CreateMutexW(nullptr, FALSE, StoreLockNameFor(storePath).c_str());
  if (!mutex_)
    return;
  const DWORD waited = WaitForSingleObject(mutex_, waitMs);
  held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

StoreLock::~StoreLock() {
  if (!mutex_)
    return;
  if (held_)
    ReleaseMutex(mutex_);
  CloseHandle(mutex_);
}
