// Names of the named mutexes that launcher processes derive from a path: the
// one that serialises the changes of one account store, and the one a
// restarting copy holds for its install folder. Portable, so that they are
// the same in every process and testable natively; the Windows side supplies
// the full path, already upper-cased, as UTF-16 units.

#ifndef ZLM_ACCOUNTS_STORE_LOCK_NAME_H_
#define ZLM_ACCOUNTS_STORE_LOCK_NAME_H_

#include <cstdint>
#include <string>
#include <string_view>

// 64-bit FNV-1a over |units|, each taken as two bytes, low byte first.
std::uint64_t Fnv1a64(std::u16string_view units);

// |prefix| and the hash as 16 lower-case hex digits: far within the kernel's
// limit on object names. Two paths that collide only share a lock.
std::string PathLockName(std::string_view prefix, std::u16string_view foldedFullPath);

// "Local\zlm-accounts-" and the hash: per logon session (one Windows user's
// launchers).
inline constexpr std::string_view kStoreLockPrefix = "Local\\zlm-accounts-";
std::string StoreLockName(std::u16string_view foldedFullPath);

#endif  // ZLM_ACCOUNTS_STORE_LOCK_NAME_H_
