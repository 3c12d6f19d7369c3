// What the page's account commands cost with 1, 100 and 1000 stored logins,
// next to the work none of them can avoid: one DPAPI protect and one unprotect
// of the store's plaintext, and one durable replace of a file of its size.
// A change (add) pays all three plus parsing and building the lines; a read
// (list, get) pays the unprotect plus parsing. Changes take the store's
// cross-process lock; the "-nolock" rows are the same operations with it
// skipped, in the same run, and "lock" is taking and letting go of it alone.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "accounts/account_store.h"
#include "accounts/store_file.h"
#include "accounts/store_lock.h"
#include "accounts/user_protection.h"
#include "bench_timing.h"

namespace {

using bench::Measure;
using bench::Timing;

AccountList SampleAccounts(int count) {
  AccountList accounts;
  for (int i = 0; i < count; ++i) {
    Account& account = accounts.emplace_back();
    account.user = "player." + std::to_string(i) + "@example.com";
    const std::string password = "Pw|" + std::to_string(i * 7919) + " %x!";
    account.password.assign(password.begin(), password.end());
  }
  return accounts;
}

std::wstring FreshFolder() {
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  for (int n = 0;; ++n) {
    const std::wstring folder = std::wstring(temp) + L"zlm-accounts-bench-" +
                                std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(n);
    if (CreateDirectoryW(folder.c_str(), nullptr))
      return folder;
  }
}

void RemoveFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

void PrintRow(const char* what, int count, std::size_t bytes, const Timing& timing) {
  std::printf("%-11s %8d %10zu %12.3f %12.3f\n", what, count, bytes, timing.medianMs,
              timing.minMs);
}

}  // namespace

int wmain() {
  std::printf("%-11s %8s %10s %12s %12s\n", "operation", "accounts", "file bytes", "median ms",
              "min ms");
  for (const int count : {1, 100, 1000}) {
    const std::wstring folder = FreshFolder();
    const std::wstring path = folder + L"\\accounts.dat";
    const AccountList accounts = SampleAccounts(count);
    SaveAccounts(accounts, path);

    const SecretBytes plaintext = BuildAccountLines(accounts);
    std::string blob;
    ReadWholeFile(path, SIZE_MAX, blob);
    const std::string middleUser = accounts[accounts.size() / 2].user;
    const std::string lastUser = accounts.back().user;

    int round = 0;
    const auto add = [&] { AddAccount(middleUser, "changed " + std::to_string(++round), path); };
    const auto list = [&] { AccountsListJson(path); };
    PrintRow("add", count, blob.size(), Measure(add));
    SkipStoreLocksForBenchmark(true);
    PrintRow("add-nolock", count, blob.size(), Measure(add));
    SkipStoreLocksForBenchmark(false);
    PrintRow("list", count, blob.size(), Measure(list));
    SkipStoreLocksForBenchmark(true);
    PrintRow("list-nolock", count, blob.size(), Measure(list));
    SkipStoreLocksForBenchmark(false);
    PrintRow("lock", count, blob.size(), Measure([&] { StoreLock lock(path); }));
    PrintRow("get", count, blob.size(), Measure([&] { GetAccountPassword(lastUser, path); }));
    PrintRow("protect", count, blob.size(), Measure([&] {
               ProtectForUser(AsStringView(plaintext), L"zlm-accounts");
             }));
    SecretBytes unprotected;
    PrintRow("unprotect", count, blob.size(),
             Measure([&] { UnprotectForUser(blob, unprotected); }));
    const std::wstring other = folder + L"\\replaced.dat";
    PrintRow("replace", count, blob.size(),
             Measure([&] { ReplaceFileDurably(other, blob); }));
    std::printf("\n");
    RemoveFolder(folder);
  }
  return 0;
}
