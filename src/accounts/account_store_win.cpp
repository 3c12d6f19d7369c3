#include "accounts/account_store.h"

#include <optional>
#include <utility>

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
  std::optional<DpapiBytes> plaintext;  // when kLoaded

  // The plaintext lines; none unless loaded.
  std::string_view lines() const { return plaintext ? plaintext->view() : std::string_view(); }
};

// The plaintext stays where DPAPI put it: the commands read it there.
Store ReadStore(const std::wstring& path) {
  std::string blob;
  switch (ReadWholeFile(path, kMaxFileBytes, blob)) {
    case FileRead::kAbsent:
      return {StoreState::kAbsent, std::nullopt};
    case FileRead::kFailed:
      return {StoreState::kUnreadable, std::nullopt};
    case FileRead::kTooLarge:
      return {StoreState::kNotOurs, std::nullopt};
    case FileRead::kRead:
      break;
  }
  if (blob.empty())
    return {StoreState::kEmpty, std::nullopt};
  std::optional<DpapiBytes> plaintext = UnprotectForUser(blob);
  if (!plaintext)
    return {StoreState::kNotOurs, std::nullopt};
  return {StoreState::kLoaded, std::move(plaintext)};
}

// The caller holds the store's lock: only then may the leftovers of killed
// saves be removed, since another process's temporary file is closed but not
// yet renamed between its flush and its rename.
bool SaveLocked(std::string_view lines, const std::wstring& path) {
  const std::optional<DpapiBytes> blob = ProtectForUser(lines, kBlobDescription);
  if (!blob || blob->view().size() > kMaxFileBytes)
    return false;
  if (!ReplaceFileDurably(path, blob->view()))
    return false;
  RemoveLeftoverTemporaries(path);
  return true;
}

// A change starts from what the file holds, and never overwrites logins it
// could not read: a file that cannot be unprotected is first kept aside
// under a new name, and while the file cannot be read at all (or kept aside)
// the change is dropped. Another launcher's change waits for this one (and
// this one for it) rather than be overwritten; when the lock cannot be had,
// the change is dropped as a failed save is. |change| gives the new lines
// for the old ones. False whenever the change was dropped.
template <typename Change>
bool ChangeStore(const std::wstring& path, Change&& change) {
  const StoreLock lock(path);
  if (!lock.held())
    return false;
  const Store store = ReadStore(path);
  if (store.state == StoreState::kUnreadable)
    return false;
  if (store.state == StoreState::kNotOurs && !KeepFileAside(path))
    return false;
  return SaveLocked(AsStringView(change(store.lines())), path);
}

}  // namespace

AccountList LoadAccounts(const std::wstring& path) {
  return ParseAccountLines(ReadStore(path).lines());
}

bool SaveAccounts(const AccountList& accounts, const std::wstring& path) {
  const StoreLock lock(path);
  return lock.held() && SaveLocked(AsStringView(BuildAccountLines(accounts)), path);
}

std::string AccountsListJson(const std::wstring& path) {
  return AccountsListJsonFromLines(ReadStore(path).lines());
}

bool AddAccount(std::string_view user, std::string_view password, const std::wstring& path) {
  return ChangeStore(path, [&](std::string_view lines) {
    return LinesWithAccount(lines, user, password);
  });
}

bool DeleteAccount(std::string_view user, const std::wstring& path) {
  bool read = false;
  bool wasStored = false;
  const bool saved = ChangeStore(path, [&](std::string_view lines) {
    read = true;
    return LinesWithoutAccount(lines, user, wasStored);
  });
  // A name the store did not hold is gone either way; only the rewrite failed.
  return saved || (read && !wasStored);
}

std::string GetAccountPassword(std::string_view user, const std::wstring& path) {
  return PasswordFromLines(ReadStore(path).lines(), user);
}
