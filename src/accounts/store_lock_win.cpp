#include "accounts/store_lock.h"

#include <windows.h>

#include "accounts/store_lock_name.h"

namespace {

bool skipLocks = false;

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
  const std::wstring folded = UpperCased(FullPath(path));
  const std::string name = PathLockName(
      prefix, std::u16string_view(reinterpret_cast<const char16_t*>(folded.data()), folded.size()));
  return std::wstring(name.begin(), name.end());  // ASCII
}

std::wstring StoreLockNameFor(const std::wstring& storePath) {
  return PathLockNameFor(kStoreLockPrefix, storePath);
}

StoreLock::StoreLock(const std::wstring& storePath, unsigned long waitMs) {
  if (skipLocks) {
    held_ = true;
    return;
  }
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

void SkipStoreLocksForBenchmark(bool skip) {
  skipLocks = skip;
}
