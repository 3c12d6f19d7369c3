// What the page's account commands cost with 1, 100 and 1000 stored logins,
// next to their floor: the system calls that none of them can do without,
// made bare in the same run.
//   read (acc:list, acc:getpass): read the file, one DPAPI unprotect.
//   change (acc:add, acc:del): take a named mutex, read the file, unprotect,
//     protect the changed plaintext, write it to a temporary file, flush it
//     and rename it over the old one.
// Everything above the floor is the store's own work: the lock's name, the
// lines, the list text, wiping plaintext, clearing leftovers of killed
// saves. Commands and floors are timed in turn, round by round.

#include <windows.h>

#include <wincrypt.h>

#include <cstdio>
#include <string>
#include <vector>

#include "accounts/account_store.h"
#include "accounts/store_file.h"
#include "accounts/store_lock.h"
#include "bench_timing.h"

namespace {

using bench::Timing;
using bench::Work;

constexpr wchar_t kBareMutexName[] = L"Local\\zlm-accounts-bench-floor";

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

// The floor's system calls, bare: no checks beyond what keeps them going.
namespace bare {

DATA_BLOB Blob(const std::string& bytes) {
  return {static_cast<DWORD>(bytes.size()),
          reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()))};
}

void ReadFileInto(const std::wstring& path, std::string& buffer) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  LARGE_INTEGER size;
  GetFileSizeEx(file, &size);
  buffer.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  ReadFile(file, &buffer[0], static_cast<DWORD>(buffer.size()), &read, nullptr);
  CloseHandle(file);
}

bool Unprotect(const std::string& blob) {
  DATA_BLOB in = Blob(blob);
  DATA_BLOB out = {};
  const bool ok =
      CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out);
  LocalFree(out.pbData);
  return ok;
}

std::string Protect(const std::string& plaintext) {
  DATA_BLOB in = Blob(plaintext);
  DATA_BLOB out = {};
  CryptProtectData(&in, L"zlm-accounts", nullptr, nullptr, nullptr, 0, &out);
  std::string blob(reinterpret_cast<const char*>(out.pbData), out.cbData);
  LocalFree(out.pbData);
  return blob;
}

void Replace(const std::wstring& path, const std::string& bytes) {
  const std::wstring temporary = path + L".tmp";
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  FlushFileBuffers(file);
  CloseHandle(file);
  MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

void TakeAndReleaseMutex() {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, kBareMutexName);
  WaitForSingleObject(mutex, INFINITE);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
}

}  // namespace bare

std::string LinesOf(const AccountList& accounts) {
  return std::string(AsStringView(BuildAccountLines(accounts)));
}

struct Row {
  const char* what;
  Work work;
};

// False when a command or the floor did not do its work: its time would
// say nothing.
bool Run(int count) {
  const std::wstring folder = FreshFolder();
  const std::wstring path = folder + L"\\accounts.dat";
  const std::wstring floorPath = folder + L"\\floor.dat";
  const AccountList accounts = SampleAccounts(count);
  SaveAccounts(accounts, path);
  std::string stored;
  ReadWholeFile(path, SIZE_MAX, stored);
  const auto restore = [&] { ReplaceFileDurably(path, stored); };

  const std::string middleUser = accounts[accounts.size() / 2].user;
  const std::string lastUser = accounts.back().user;
  const std::string newPassword = "changed 1";
  AccountList added = accounts;
  added[added.size() / 2].password.assign(newPassword.begin(), newPassword.end());
  AccountList deleted = accounts;
  deleted.erase(deleted.begin() + static_cast<std::ptrdiff_t>(deleted.size() / 2));
  const std::string addedLines = LinesOf(added);
  const std::string deletedLines = LinesOf(deleted);

  std::string buffer;
  const auto readFloor = [&] {
    bare::ReadFileInto(path, buffer);
    bare::Unprotect(buffer);
  };
  const auto changeFloor = [&](const std::string& lines) {
    bare::TakeAndReleaseMutex();
    readFloor();
    bare::Replace(floorPath, bare::Protect(lines));
  };
  const std::string addedBlob = bare::Protect(addedLines);
  const std::string lastPassword(AsStringView(accounts.back().password));
  const std::string listText = AccountsListJson(path);
  if (stored.empty() || !bare::Unprotect(stored) || addedBlob.empty() ||
      listText.size() < 2 + 10 * accounts.size()) {
    std::fprintf(stderr, "accounts bench: the store or DPAPI does not work here\n");
    RemoveFolder(folder);
    return false;
  }
  bool ok = true;

  // The commands first, the floors next, the parts of the floors last.
  const std::vector<Row> rows = {
      {"acc:list", Work([&] { ok &= AccountsListJson(path) == listText; })},
      {"acc:getpass", Work([&] { ok &= GetAccountPassword(lastUser, path) == lastPassword; })},
      {"acc:add", Work([&] { ok &= AddAccount(middleUser, newPassword, path); }, restore)},
      {"acc:del", Work([&] { ok &= DeleteAccount(middleUser, path); }, restore)},
      {"read floor", Work(readFloor)},
      {"add floor", Work([&] { changeFloor(addedLines); })},
      {"del floor", Work([&] { changeFloor(deletedLines); })},
      {"  file read", Work([&] { bare::ReadFileInto(path, buffer); })},
      {"  unprotect", Work([&] { bare::Unprotect(stored); })},
      {"  protect", Work([&] { bare::Protect(addedLines); })},
      {"  replace", Work([&] { bare::Replace(floorPath, addedBlob); })},
      {"  mutex", Work(bare::TakeAndReleaseMutex)},
      {"store lock", Work([&] { StoreLock lock(path); })},
  };
  std::vector<Work> works;
  for (const Row& row : rows)
    works.push_back(row.work);
  const std::vector<Timing> timings = bench::MeasureInTurn(works, 61, 5.0);

  std::printf("%d account%s, a file of %zu bytes: ms per call, %zu rounds\n", count,
              count == 1 ? "" : "s", stored.size(), timings.front().runs);
  std::printf("  %-12s %10s %10s\n", "", "median", "fastest");
  for (std::size_t i = 0; i < rows.size(); ++i)
    std::printf("  %-12s %10.3f %10.3f\n", rows[i].what, timings[i].medianMs, timings[i].minMs);
  std::printf("\n");

  const auto median = [&](const char* what) {
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (std::string(rows[i].what) == what)
        return timings[i].medianMs;
    return 0.0;
  };
  if (ok && (count == 1 || count == 1000)) {
    const std::string accountsText =
        ", " + std::to_string(count) + (count == 1 ? " account" : " accounts");
    const char* readParts = "file read + unprotect";
    const char* changeParts = "mutex + file read + unprotect + protect + replace";
    const auto ratio = [&](const char* command, const char* floor, const char* parts) {
      bench::PrintRatio(command + accountsText, median(command), median(floor), parts);
    };
    ratio("acc:list", "read floor", readParts);
    ratio("acc:getpass", "read floor", readParts);
    ratio("acc:add", "add floor", changeParts);
    ratio("acc:del", "del floor", changeParts);
  }
  RemoveFolder(folder);
  if (!ok)
    std::fprintf(stderr, "accounts bench: a command failed with %d accounts\n", count);
  return ok;
}

}  // namespace

int wmain() {
  bool ok = true;
  for (const int count : {1, 100, 1000})
    ok &= Run(count);
  return ok ? 0 : 1;
}
