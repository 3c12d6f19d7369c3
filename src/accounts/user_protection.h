// Data protection bound to the current Windows user (DPAPI without entropy
// or prompt): only the same user on the same machine can unprotect a blob.
// Windows only (user_protection_win.cpp).

#ifndef ZLM_ACCOUNTS_USER_PROTECTION_H_
#define ZLM_ACCOUNTS_USER_PROTECTION_H_

#include <cstddef>
#include <optional>
#include <string_view>

// Bytes that DPAPI allocated, read where they lie and handed back to it
// (LocalFree) when this goes; wiped first when they are plaintext. Move-only.
class DpapiBytes {
 public:
  DpapiBytes(DpapiBytes&& other) noexcept;
  DpapiBytes& operator=(DpapiBytes&& other) noexcept;
  DpapiBytes(const DpapiBytes&) = delete;
  DpapiBytes& operator=(const DpapiBytes&) = delete;
  ~DpapiBytes();

  std::string_view view() const { return std::string_view(data_, size_); }

 private:
  friend std::optional<DpapiBytes> ProtectForUser(std::string_view, const wchar_t*);
  friend std::optional<DpapiBytes> UnprotectForUser(std::string_view);
  DpapiBytes(void* block, std::size_t size, bool secret);
  void Release();

  char* data_ = nullptr;
  std::size_t size_ = 0;
  bool secret_ = false;
};

// The blob for |plaintext|, with |description| recorded inside it; nullopt
// when DPAPI refuses.
std::optional<DpapiBytes> ProtectForUser(std::string_view plaintext, const wchar_t* description);

// The plaintext of |blob|. nullopt for a blob of another user or machine, a
// damaged one, or bytes that are no blob at all; also for one that would
// have to ask the user first, since no prompt may block the caller's thread.
std::optional<DpapiBytes> UnprotectForUser(std::string_view blob);

#endif  // ZLM_ACCOUNTS_USER_PROTECTION_H_
