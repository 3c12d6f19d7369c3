#include "accounts/account_store.h"

#include "accounts/store_file.h"
#include "accounts/store_lock.h"
#include "accounts/user_protection.h"

namespace {

constexpr wchar_t kBlobDescription[] = L"zlm-accounts";

// Far above any real store (a thousand logins take some 100 KB), low enough
// that a stray huge file is never read into memory. Saves keep below it too,
// so everything the store writes it can read back.
constexpr std::size_t kMaxFileBytes = 64u << 20;

enum class StoreState {
  kAbsent,
  kEmpty,
  kLoaded,
  kNotOurs,     // unprotect failed: another Windows user's, damaged, or foreign
  kUnreadable,  // exists, but could not be read (locked, access denied)
};

struct Store {
  StoreState state;
  AccountList accounts;
};

Store ReadStore(const std::wstring& path) {
  std::string blob;
  switch (ReadWholeFile(path, kMaxFileBytes, blob)) {
    case FileRead::kAbsent:
      return {StoreState::kAbsent, {}};
    case FileRead::kFailed:
      return {StoreState::kUnreadable, {}};
    case FileRead::kTooLarge:
      return {StoreState::kNotOurs, {}};
    case FileRead::kRead:
      break;
  }
  if (blob.empty())
    return {StoreState::kEmpty, {}};
  SecretBytes plaintext;
  if (!UnprotectForUser(blob, plaintext))
    return {StoreState::kNotOurs, {}};
  return {StoreState::kLoaded, ParseAccountLines(AsStringView(plaintext))};
}

// The caller holds the store's lock: only then may the leftovers of killed
// saves be removed, since another process's temporary file is closed but not
// yet renamed between its flush and its rename.
bool SaveLocked(const AccountList& accounts, const std::wstring& path) {
  const std::optional<std::string> blob =
      ProtectForUser(AsStringView(BuildAccountLines(accounts)), kBlobDescription);
  if (!blob || blob->size() > kMaxFileBytes)
    return false;
  if (!ReplaceFileDurably(path, *blob))
    return false;
  RemoveLeftoverTemporaries(path);
  return true;
}

// A change starts from what the file holds, and never overwrites logins it
// could not read: a file that cannot be unprotected is first kept aside
// under a new name, and while the file cannot be read at all (or kept aside)
// the change is dropped. Another launcher's change waits for this one (and
// this one for it) rather than be overwritten; when the lock cannot be had,
// the change is dropped as a failed save is. False whenever the change was
// dropped.
template <typename Change>
bool ChangeStore(const std::wstring& path, Change&& change) {
  const StoreLock lock(path);
  if (!lock.held())
    return false;
  Store store = ReadStore(path);
  if (store.state == StoreState::kUnreadable)
    return false;
  if (store.state == StoreState::kNotOurs && !KeepFileAside(path))
    return false;
  change(store.accounts);
  return SaveLocked(store.accounts, path);
}

}  // namespace

AccountList LoadAccounts(const std::wstring& path) {
  return ReadStore(path).accounts;
}

bool SaveAccounts(const AccountList& accounts, const std::wstring& path) {
  const StoreLock lock(path);
  return lock.held() && SaveLocked(accounts, path);
}

std::string AccountsListJson(const std::wstring& path) {
  return BuildAccountsListJson(LoadAccounts(path));
}

bool AddAccount(std::string_view user, std::string_view password, const std::wstring& path) {
  return ChangeStore(path, [&](AccountList& accounts) { PutAccount(accounts, user, password); });
}

bool DeleteAccount(std::string_view user, const std::wstring& path) {
  bool read = false;
  bool wasStored = false;
  const bool saved = ChangeStore(path, [&](AccountList& accounts) {
    read = true;
    wasStored = FindAccount(accounts, user) != nullptr;
    RemoveAccount(accounts, user);
  });
  // A name the store did not hold is gone either way; only the rewrite failed.
  return saved || (read && !wasStored);
}

std::string GetAccountPassword(std::string_view user, const std::wstring& path) {
  const AccountList accounts = LoadAccounts(path);
  const Account* account = FindAccount(accounts, user);
  return account ? std::string(AsStringView(account->password)) : std::string();
}
