// The remembered logins as one ordered list, and the two texts made from it:
// the plaintext that accounts.dat protects and the list the page receives.
// Portable: the file and DPAPI work is in account_store_win.cpp.

#ifndef ZLM_ACCOUNTS_ACCOUNT_LIST_H_
#define ZLM_ACCOUNTS_ACCOUNT_LIST_H_

#include <string>
#include <string_view>
#include <vector>

#include "accounts/secret_memory.h"

// One login. |user| is the key, compared byte for byte; both fields are
// UTF-8 as the page sent them, already percent-decoded.
struct Account {
  std::string user;
  SecretBytes password;
};

// In file order. A file written by hand may hold one user twice; both records
// are kept, in order.
using AccountList = std::vector<Account>;

// One line per account: PercentEncode(user) '|' PercentEncode(password) '\n'.
// An empty list gives an empty text.
SecretBytes BuildAccountLines(const AccountList& accounts);

// Splits at line feeds (the last line may lack one) and each line at its
// first '|'; a line without '|', an empty one included, is skipped. Nothing
// is trimmed: a carriage return before a line feed stays in the password.
AccountList ParseAccountLines(std::string_view plaintext);

// [{"u":"name"},...] without whitespace, in list order, "[]" when empty.
// Names are JSON-escaped, so the text is valid JSON whatever a name holds.
std::string BuildAccountsListJson(const AccountList& accounts);

// The first record of |user| gets |password| and keeps its place; without
// one, a new record goes at the end.
void PutAccount(AccountList& accounts, std::string_view user, std::string_view password);

// Removes every record of |user|.
void RemoveAccount(AccountList& accounts, std::string_view user);

// The first record of |user|, or null.
const Account* FindAccount(const AccountList& accounts, std::string_view user);

#endif  // ZLM_ACCOUNTS_ACCOUNT_LIST_H_
