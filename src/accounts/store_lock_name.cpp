#include "accounts/store_lock_name.h"

#include <initializer_list>

namespace {

constexpr std::uint64_t kFnvOffsetBasis = 0xcbf29ce484222325ULL;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ULL;

}  // namespace

std::uint64_t Fnv1a64(std::u16string_view units) {
  std::uint64_t hash = kFnvOffsetBasis;
  for (const char16_t unit : units) {
    for (const unsigned byte : {unit & 0xFFu, (unit >> 8) & 0xFFu}) {
      hash ^= byte;
      hash *= kFnvPrime;
    }
  }
  return hash;
}

std::string PathLockName(std::string_view prefix, std::u16string_view foldedFullPath) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::uint64_t hash = Fnv1a64(foldedFullPath);
  std::string digits(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4)
    digits[static_cast<std::size_t>(i)] = kHex[hash & 0xF];
  return std::string(prefix) + digits;
}

std::string StoreLockName(std::u16string_view foldedFullPath) {
  return PathLockName(kStoreLockPrefix, foldedFullPath);
}
