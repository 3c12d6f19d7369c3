// Shared by the crash-safety test and its helper program: the list the helper
// saves at each generation. Every line names the generation and the lists
// differ in length and size, so a torn, mixed or empty file cannot pass for
// one of them.

#ifndef ZLM_TESTS_WIN_ACCOUNTS_CRASH_HELPER_H_
#define ZLM_TESTS_WIN_ACCOUNTS_CRASH_HELPER_H_

#include <string>

#include "accounts/account_list.h"

inline AccountList CrashTestList(unsigned long long generation) {
  AccountList accounts;
  const unsigned long long count = 1 + generation % 8;
  for (unsigned long long i = 0; i < count; ++i) {
    Account& account = accounts.emplace_back();
    account.user = "gen-" + std::to_string(generation) + "-" + std::to_string(i);
    const std::string password = std::string((generation * 131 + i * 977) % 3000, 'x') + "|\n%" +
                                 std::to_string(generation);
    account.password.assign(password.begin(), password.end());
  }
  return accounts;
}

#endif  // ZLM_TESTS_WIN_ACCOUNTS_CRASH_HELPER_H_
