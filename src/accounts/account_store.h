// The store of game logins: accounts.dat in the executable's folder, exactly
// one DPAPI blob (description "zlm-accounts", bound to the current Windows
// user) over the lines of account_list.h.
//
// Nothing is kept in memory between calls: every operation reads the whole
// file, every change rewrites it. Used only on CEF's UI thread, one call at a
// time. Changes and saves of several launcher processes take turns on a lock
// of the file (store_lock.h), so none is lost; a change that cannot have the
// lock within kStoreLockWaitMs fails. Reads that fail behave as an empty
// store; a change or save that fails leaves the file as it was and says so,
// so that the page is never told a login was kept that is not.
//
// No change overwrites logins it could not read. A file that cannot be
// unprotected (another Windows user's, damaged) is first renamed to
// "accounts.dat.unreadable-<n>", never over an earlier one; while the file
// cannot be read at all (locked, access denied), changes are dropped.
//
// Every operation takes the file's path, by default AccountsFilePath(), so
// that tests can point the store at a folder of their own.

#ifndef ZLM_ACCOUNTS_ACCOUNT_STORE_H_
#define ZLM_ACCOUNTS_ACCOUNT_STORE_H_

#include <string>
#include <string_view>

#include "accounts/account_list.h"

// exeDir joined with "accounts.dat".
std::wstring AccountsFilePath();

// The stored list; empty when the file is missing, empty, unreadable or
// cannot be unprotected.
AccountList LoadAccounts(const std::wstring& path = AccountsFilePath());

// Protects the list and puts it in place of the file in one step: a crash,
// a full disk or a refused write leaves either the old file or the new one,
// never a torn or empty one. Overwrites whatever the file held. False when
// the list was not put in place.
bool SaveAccounts(const AccountList& accounts, const std::wstring& path = AccountsFilePath());

// The list text for the page: [{"u":"name"},...], "[]" for an empty store.
std::string AccountsListJson(const std::wstring& path = AccountsFilePath());

// Stores |password| for |user| (replacing the first record of that user in
// place, or appending), and rewrites the file even when nothing changed.
// False when the changed list was not saved.
bool AddAccount(std::string_view user, std::string_view password,
                const std::wstring& path = AccountsFilePath());

// Removes every record of |user| and rewrites the file, which is created
// holding the protected empty list when it did not exist. False when |user|
// may still be stored: the store could not be read, or the list without it
// could not be saved.
bool DeleteAccount(std::string_view user, const std::wstring& path = AccountsFilePath());

// The password of the first record of |user|, or "" when there is none. The
// store wipes its own copies; the one returned is the caller's.
std::string GetAccountPassword(std::string_view user,
                               const std::wstring& path = AccountsFilePath());

#endif  // ZLM_ACCOUNTS_ACCOUNT_STORE_H_
