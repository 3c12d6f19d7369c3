// Data protection bound to the current Windows user (DPAPI without entropy
// or prompt): only the same user on the same machine can unprotect a blob.
// Windows only (user_protection_win.cpp).

#ifndef ZLM_ACCOUNTS_USER_PROTECTION_H_
#define ZLM_ACCOUNTS_USER_PROTECTION_H_

#include <optional>
#include <string>
#include <string_view>

#include "accounts/secret_memory.h"

// The blob for |plaintext|, with |description| recorded inside it; nullopt
// when DPAPI refuses.
std::optional<std::string> ProtectForUser(std::string_view plaintext, const wchar_t* description);

// Fills |plaintext| from |blob|. False for a blob of another user or machine,
// a damaged one, or bytes that are no blob at all; also for one that would
// have to ask the user first, since no prompt may block the caller's thread.
bool UnprotectForUser(std::string_view blob, SecretBytes& plaintext);

#endif  // ZLM_ACCOUNTS_USER_PROTECTION_H_
