// The plaintext that accounts.dat protects, and what the page's account
// commands make of it. Portable: the file and DPAPI work is in
// account_store_win.cpp.
//
// The plaintext holds one line per login, in order:
// PercentEncode(user) '|' PercentEncode(password) '\n'. Read back, it splits
// at line feeds (the last line may lack one) and each line at its first '|';
// a line without '|', an empty one included, is skipped, and nothing is
// trimmed: a carriage return before a line feed stays in the password. A
// file written by hand may hold one user twice; both records are kept, in
// order. User names are compared byte for byte, after decoding.
//
// The commands work on the lines as they stand, without a list of records in
// between: every command reads the whole store, and a list would cost each of
// them two allocations and a decoding per login. A rewritten store holds each
// kept line as BuildAccountLines would write its record; a line already in
// that form (IsEncodedForm) is copied, only the others are decoded and encoded
// again.

#ifndef ZLM_ACCOUNTS_ACCOUNT_LIST_H_
#define ZLM_ACCOUNTS_ACCOUNT_LIST_H_

#include <string>
#include <string_view>
#include <vector>

#include "accounts/secret_memory.h"

// One login. |user| is the key; both fields are UTF-8 as the page sent them,
// already percent-decoded.
struct Account {
  std::string user;
  SecretBytes password;
};

// In file order.
using AccountList = std::vector<Account>;

// One line per account; an empty list gives an empty text.
SecretBytes BuildAccountLines(const AccountList& accounts);

// Every record of |lines|, in order.
AccountList ParseAccountLines(std::string_view lines);

// The list text for the page: [{"u":"name"},...] without whitespace, in
// order, "[]" for none. Names are JSON-escaped, so the text is valid JSON
// whatever a name holds. Passwords are not even decoded.
std::string AccountsListJsonFromLines(std::string_view lines);

// The password of the first record of |user|, or "" when there is none.
std::string PasswordFromLines(std::string_view lines, std::string_view user);

// The lines rewritten with |password| for |user|: the first record of |user|
// gets it and keeps its place; without one, a new record goes at the end.
SecretBytes LinesWithAccount(std::string_view lines, std::string_view user,
                             std::string_view password);

// The lines rewritten without any record of |user|; |wasStored| says whether
// there was one.
SecretBytes LinesWithoutAccount(std::string_view lines, std::string_view user, bool& wasStored);

#endif  // ZLM_ACCOUNTS_ACCOUNT_LIST_H_
