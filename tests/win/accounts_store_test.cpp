// The account store on real files in a fresh folder, with the system's real
// DPAPI. The file is checked from outside with DPAPI itself, not with the
// store's own reading code.

#include "accounts/account_store.h"

#include <windows.h>

#include <wincrypt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "accounts/store_file.h"
#include "accounts/store_lock.h"
#include "accounts_crash_helper.h"
#include "app/paths.h"
#include "support/junction.h"
#include "support/process.h"
#include "support/scoped_handle.h"
#include "support/temp_dir.h"
#include "support/utf_convert.h"
#include "support/win_error.h"
#include "win_test_support.h"

namespace {

using namespace std::string_literals;

DATA_BLOB BlobOf(const std::string& bytes) {
  static BYTE nothing = 0;
  return {static_cast<DWORD>(bytes.size()),
          bytes.empty() ? &nothing : reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()))};
}

std::string Protect(const std::string& plaintext, const std::string& entropy = {}) {
  DATA_BLOB in = BlobOf(plaintext);
  DATA_BLOB salt = BlobOf(entropy);
  DATA_BLOB out = {};
  if (!CryptProtectData(&in, L"zlm-accounts", entropy.empty() ? nullptr : &salt, nullptr, nullptr,
                        0, &out))
    return {};
  std::string blob(reinterpret_cast<const char*>(out.pbData), out.cbData);
  LocalFree(out.pbData);
  return blob;
}

struct Unprotected {
  std::string plaintext;
  std::wstring description;
};

std::optional<Unprotected> Unprotect(const std::string& blob) {
  DATA_BLOB in = BlobOf(blob);
  DATA_BLOB out = {};
  LPWSTR description = nullptr;
  if (!CryptUnprotectData(&in, &description, nullptr, nullptr, nullptr, 0, &out))
    return std::nullopt;
  Unprotected result{std::string(reinterpret_cast<const char*>(out.pbData), out.cbData),
                     description ? description : L""};
  LocalFree(out.pbData);
  LocalFree(description);
  return result;
}

// The names in |folder|, sorted.
std::vector<std::wstring> NamesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return names;
  do {
    if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0)
      names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// Another program holding the file open, sharing only what |share| allows.
e2e::ScopedFileHandle HoldOpen(const std::wstring& path, DWORD share, DWORD disposition) {
  return e2e::ScopedFileHandle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, share,
                                           nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

class AccountStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.IsValid()) << dir_.error();
    path_ = dir_.PathOf(L"accounts.dat");
  }

  // The stored plaintext, after checking that the file is exactly one DPAPI
  // blob described "zlm-accounts": no header, nothing after it (a fresh blob
  // of the same text has the same size). nullopt, and a failure, otherwise.
  std::optional<std::string> StoredPlaintext() const {
    const std::optional<std::string> bytes = dir_.ReadBytes(L"accounts.dat");
    if (!bytes) {
      ADD_FAILURE() << "accounts.dat cannot be read";
      return std::nullopt;
    }
    const std::optional<Unprotected> clear = Unprotect(*bytes);
    if (!clear) {
      ADD_FAILURE() << "accounts.dat is not a blob of this user: " << e2e::LastErrorText();
      return std::nullopt;
    }
    EXPECT_EQ(e2e::WideToUtf8(clear->description), "zlm-accounts");
    EXPECT_EQ(bytes->size(), Protect(clear->plaintext).size());
    return clear->plaintext;
  }

  testing::AssertionResult WriteStore(const std::string& bytes) const {
    return dir_.WriteBytes(L"accounts.dat", bytes);
  }

  e2e::TempDir dir_;
  std::wstring path_;
};

TEST_F(AccountStoreTest, WithoutAFileTheStoreIsEmptyAndReadsCreateNothing) {
  EXPECT_EQ(AccountsListJson(path_), "[]");
  EXPECT_EQ(GetAccountPassword("anyone", path_), "");
  EXPECT_TRUE(LoadAccounts(path_).empty());
  EXPECT_TRUE(NamesIn(dir_.path()).empty());
}

TEST_F(AccountStoreTest, AddsInInsertionOrderAndReplacesAPasswordInPlace) {
  EXPECT_TRUE(AddAccount("b", "1", path_));
  AddAccount("a", "2", path_);
  AddAccount("b", "3", path_);

  EXPECT_EQ(StoredPlaintext(), "b|3\na|2\n");
  EXPECT_EQ(AccountsListJson(path_), R"([{"u":"b"},{"u":"a"}])");
  EXPECT_EQ(GetAccountPassword("b", path_), "3");
  EXPECT_EQ(GetAccountPassword("B", path_), "");
  EXPECT_EQ(NamesIn(dir_.path()), std::vector<std::wstring>{L"accounts.dat"});
}

TEST_F(AccountStoreTest, NamesAndPasswordsComeBackByteForByte) {
  struct Case {
    std::string user;
    std::string password;
  };
  const Case cases[] = {
      {"a b", "p|w"},
      {"\xC5\x9F\xC3\xBC", "line\nfeed\r\n"},
      {"percent", "100% +%2B"},
      {"quote\"back\\slash", "\t\0\x7F\xFF"s},
      {"empty", ""},
  };
  for (const Case& c : cases)
    AddAccount(c.user, c.password, path_);

  for (const Case& c : cases)
    EXPECT_EQ(GetAccountPassword(c.user, path_), c.password) << c.user;
  const std::optional<std::string> plaintext = StoredPlaintext();
  ASSERT_TRUE(plaintext);
  EXPECT_EQ(plaintext->rfind("a%20b|p%7Cw\n", 0), 0u) << *plaintext;
  EXPECT_EQ(std::count(plaintext->begin(), plaintext->end(), '\n'), 5);
  EXPECT_EQ(AccountsListJson(path_), "[{\"u\":\"a b\"},{\"u\":\"\xC5\x9F\xC3\xBC\"},"
                                    R"({"u":"percent"},{"u":"quote\"back\\slash"},{"u":"empty"}])");
}

TEST_F(AccountStoreTest, DeletingAnAbsentUserCreatesTheProtectedEmptyList) {
  EXPECT_TRUE(DeleteAccount("nobody", path_));
  EXPECT_EQ(StoredPlaintext(), "");
  EXPECT_EQ(AccountsListJson(path_), "[]");
}

TEST_F(AccountStoreTest, AHandWrittenDuplicateIsReadFirstUpdatedFirstAndDeletedWithTheOther) {
  ASSERT_TRUE(WriteStore(Protect("d|1\ne|3\nd|2\n")));

  EXPECT_EQ(GetAccountPassword("d", path_), "1");
  AddAccount("d", "new", path_);
  EXPECT_EQ(StoredPlaintext(), "d|new\ne|3\nd|2\n");
  DeleteAccount("d", path_);
  EXPECT_EQ(StoredPlaintext(), "e|3\n");
}

// The bridge refuses new names that are not UTF-8; a store that already holds
// one (from an earlier version) still loads, lists and keeps it as it is.
TEST_F(AccountStoreTest, AStoredNameThatIsNotUtf8StillLoadsAndIsKept) {
  ASSERT_TRUE(WriteStore(Protect("%FFold|pw\n")));
  EXPECT_EQ(AccountsListJson(path_), "[{\"u\":\"\xFFold\"}]");
  EXPECT_EQ(GetAccountPassword("\xFFold", path_), "pw");
  AddAccount("new", "q", path_);
  EXPECT_EQ(StoredPlaintext(), "%FFold|pw\nnew|q\n");
}

TEST_F(AccountStoreTest, AFileThatCannotBeUnprotectedReadsEmptyAndIsKeptAsideOnAChange) {
  const std::string blob = Protect("u|p\n");
  ASSERT_FALSE(blob.empty());
  std::string flipped = blob;
  flipped[flipped.size() / 2] ^= 0x55;
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"damaged blob", flipped},
      {"cut-off blob", blob.substr(0, blob.size() - 7)},
      {"blob made with entropy", Protect("u|p\n", "salt")},
      {"no blob at all", "u|p\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    e2e::TempDir dir;
    ASSERT_TRUE(dir.IsValid()) << dir.error();
    const std::wstring path = dir.PathOf(L"accounts.dat");
    ASSERT_TRUE(dir.WriteBytes(L"accounts.dat", c.bytes));

    EXPECT_EQ(AccountsListJson(path), "[]");
    EXPECT_EQ(GetAccountPassword("u", path), "");
    EXPECT_EQ(NamesIn(dir.path()), std::vector<std::wstring>{L"accounts.dat"});

    AddAccount("new", "pw", path);
    EXPECT_EQ(dir.ReadBytes(L"accounts.dat.unreadable-1"), c.bytes);
    EXPECT_EQ(GetAccountPassword("new", path), "pw");
    EXPECT_EQ(AccountsListJson(path), R"([{"u":"new"}])");
  }
}

TEST_F(AccountStoreTest, AKeptFileIsNeverOverwrittenByTheNextOne) {
  ASSERT_TRUE(WriteStore("first"));
  AddAccount("u", "p", path_);
  ASSERT_TRUE(WriteStore("second"));
  DeleteAccount("u", path_);
  ASSERT_TRUE(WriteStore("third"));
  AddAccount("v", "q", path_);

  EXPECT_EQ(dir_.ReadBytes(L"accounts.dat.unreadable-1"), "first");
  EXPECT_EQ(dir_.ReadBytes(L"accounts.dat.unreadable-2"), "second");
  EXPECT_EQ(dir_.ReadBytes(L"accounts.dat.unreadable-3"), "third");
  EXPECT_EQ(StoredPlaintext(), "v|q\n");
}

TEST_F(AccountStoreTest, AnEmptyFileIsAnEmptyStoreWithNothingToKeep) {
  ASSERT_TRUE(WriteStore(""));
  EXPECT_EQ(AccountsListJson(path_), "[]");
  AddAccount("u", "p", path_);
  EXPECT_EQ(StoredPlaintext(), "u|p\n");
  EXPECT_EQ(NamesIn(dir_.path()), std::vector<std::wstring>{L"accounts.dat"});
}

TEST_F(AccountStoreTest, AnOversizedFileIsNotReadAndIsKeptAsideOnAChange) {
  constexpr LONGLONG kSize = (64LL << 20) + 1;
  {
    e2e::ScopedFileHandle file = HoldOpen(path_, 0, CREATE_NEW);
    ASSERT_TRUE(file.IsValid()) << e2e::LastErrorText();
    LARGE_INTEGER end;
    end.QuadPart = kSize;
    ASSERT_TRUE(SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file.Get()));
  }
  EXPECT_EQ(AccountsListJson(path_), "[]");
  AddAccount("u", "p", path_);

  WIN32_FILE_ATTRIBUTE_DATA kept;
  ASSERT_TRUE(GetFileAttributesExW(dir_.PathOf(L"accounts.dat.unreadable-1").c_str(),
                                   GetFileExInfoStandard, &kept));
  EXPECT_EQ((LONGLONG(kept.nFileSizeHigh) << 32) | kept.nFileSizeLow, kSize);
  EXPECT_EQ(StoredPlaintext(), "u|p\n");
}

TEST_F(AccountStoreTest, AStoreThatCannotBeReadIsNeverOverwritten) {
  AddAccount("u", "p", path_);
  {
    // Another program holds it and lets nobody else in.
    const e2e::ScopedFileHandle locked = HoldOpen(path_, 0, OPEN_EXISTING);
    ASSERT_TRUE(locked.IsValid()) << e2e::LastErrorText();
    EXPECT_EQ(AccountsListJson(path_), "[]");
    EXPECT_FALSE(AddAccount("v", "q", path_));
    EXPECT_FALSE(DeleteAccount("u", path_));
    EXPECT_FALSE(DeleteAccount("nobody", path_)) << "unread, so it may be stored";
  }
  EXPECT_EQ(StoredPlaintext(), "u|p\n");
  EXPECT_EQ(NamesIn(dir_.path()), std::vector<std::wstring>{L"accounts.dat"});
}

TEST_F(AccountStoreTest, ASaveThatCannotWriteItsTemporaryFileLeavesTheStoreAsItWas) {
  AddAccount("u", "p", path_);
  {
    const e2e::ScopedFileHandle locked = HoldOpen(TemporaryPathFor(path_), 0, CREATE_NEW);
    ASSERT_TRUE(locked.IsValid()) << e2e::LastErrorText();
    EXPECT_FALSE(AddAccount("v", "q", path_));
    EXPECT_FALSE(DeleteAccount("u", path_));
    EXPECT_EQ(StoredPlaintext(), "u|p\n");
  }
  // The file left by the "other program" is taken over by the next save.
  EXPECT_TRUE(AddAccount("w", "r", path_));
  EXPECT_EQ(StoredPlaintext(), "u|p\nw|r\n");
  EXPECT_EQ(NamesIn(dir_.path()), std::vector<std::wstring>{L"accounts.dat"});
}

TEST_F(AccountStoreTest, ASaveThatCannotReplaceTheFileLeavesItAsItWasAndNoTemporaryFile) {
  AddAccount("u", "p", path_);
  {
    // Readable and writable by others, but not to be deleted or renamed over.
    const e2e::ScopedFileHandle held =
        HoldOpen(path_, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    ASSERT_TRUE(held.IsValid()) << e2e::LastErrorText();
    EXPECT_FALSE(AddAccount("v", "q", path_));
    EXPECT_FALSE(DeleteAccount("u", path_));
    EXPECT_TRUE(DeleteAccount("nobody", path_)) << "not stored, whether or not rewritten";
    EXPECT_EQ(GetAccountPassword("u", path_), "p");
    EXPECT_EQ(GetAccountPassword("v", path_), "");
  }
  EXPECT_EQ(StoredPlaintext(), "u|p\n");
  EXPECT_EQ(NamesIn(dir_.path()), std::vector<std::wstring>{L"accounts.dat"});
}

// A folder where the file should be: nothing can be read or saved, and every
// change says so. The folder stays as it was.
TEST_F(AccountStoreTest, AStorePathThatIsAFolderFailsEveryChange) {
  ASSERT_TRUE(CreateDirectoryW(path_.c_str(), nullptr)) << e2e::LastErrorText();
  ASSERT_TRUE(dir_.WriteBytes(L"accounts.dat\\inside", "player's"));

  EXPECT_FALSE(AddAccount("u", "p", path_));
  EXPECT_FALSE(DeleteAccount("u", path_));
  EXPECT_FALSE(SaveAccounts(AccountList(), path_));
  EXPECT_EQ(AccountsListJson(path_), "[]");
  EXPECT_EQ(dir_.ReadBytes(L"accounts.dat\\inside"), "player's");
  EXPECT_EQ(NamesIn(dir_.path()), std::vector<std::wstring>{L"accounts.dat"});
}

TEST_F(AccountStoreTest, TheDefaultFileIsBesideTheExecutable) {
  {
    const ScopedExeDir beside(dir_.path());
    AddAccount("u", "p");
    EXPECT_EQ(GetAccountPassword("u"), "p");
  }
  EXPECT_EQ(StoredPlaintext(), "u|p\n");
}

// A helper process saves ever new lists until it is killed at a random
// moment; the store must then hold one complete list, the last one saved or
// the one being saved, and the leftovers of a cut-off save must not matter.
TEST(AccountStoreCrashTest, AKilledSaveLeavesOneCompleteListNeverATornOne) {
  constexpr int kKills = 30;
  constexpr unsigned long long kGenerationsPerRun = 1000000;
  e2e::TempDir dir;
  ASSERT_TRUE(dir.IsValid()) << dir.error();
  const std::wstring path = dir.PathOf(L"accounts.dat");
  const std::wstring helper = JoinPath(GetExeDir(), L"accounts_crash_helper.exe");
  const std::wstring eventName =
      L"Local\\zlm-accounts-crash-test-" + std::to_wstring(GetCurrentProcessId());
  const e2e::ScopedHandle started(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
  ASSERT_TRUE(started.IsValid()) << e2e::LastErrorText();

  const unsigned seed = std::random_device()();
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> delayMs(0, 40);
  int killedMidSave = 0;
  unsigned long long lastGeneration = 0;
  for (int run = 1; run <= kKills; ++run) {
    SCOPED_TRACE("run " + std::to_string(run) + ", seed " + std::to_string(seed));
    const unsigned long long first = run * kGenerationsPerRun;
    ResetEvent(started.Get());
    e2e::Process saver;
    ASSERT_TRUE(saver.Start(helper, L"\"" + path + L"\" " + std::to_wstring(first) + L" " +
                                        eventName));
    ASSERT_EQ(WaitForSingleObject(started.Get(), 30000), WAIT_OBJECT_0) << "the helper never saved";
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(random)));
    saver.Kill();
    ASSERT_FALSE(saver.IsRunning());

    const std::optional<std::string> bytes = dir.ReadBytes(L"accounts.dat");
    ASSERT_TRUE(bytes);
    const std::optional<Unprotected> clear = Unprotect(*bytes);
    ASSERT_TRUE(clear) << "accounts.dat is torn: " << bytes->size() << " bytes";
    const std::string& plaintext = clear->plaintext;
    ASSERT_EQ(plaintext.rfind("gen-", 0), 0u) << plaintext.substr(0, 40);
    const unsigned long long generation = std::stoull(plaintext.substr(4));
    EXPECT_GE(generation, first) << "a list from before this run";
    EXPECT_GT(generation, lastGeneration);
    EXPECT_EQ(plaintext, AsStringView(BuildAccountLines(CrashTestList(generation))));
    EXPECT_EQ(LoadAccounts(path).size(), CrashTestList(generation).size());
    lastGeneration = generation;

    const std::vector<std::wstring> names = NamesIn(dir.path());
    killedMidSave += names.size() > 1;
    for (const std::wstring& name : names)
      EXPECT_TRUE(name == L"accounts.dat" ||
                  (name.rfind(L"accounts.dat.", 0) == 0 && name.substr(name.size() - 4) == L".tmp"))
          << e2e::WideToUtf8(name);
  }
  std::printf("[          ] %d of %d kills left a save cut off part-way (seed %u)\n", killedMidSave,
              kKills, seed);

  // The next save clears what the killed ones left.
  AddAccount("after", "crash", path);
  EXPECT_EQ(NamesIn(dir.path()), std::vector<std::wstring>{L"accounts.dat"});
  EXPECT_EQ(GetAccountPassword("after", path), "crash");
}

// Two launchers adding at the same moment: each change waits for the other's
// turn on the store's lock instead of overwriting it, and neither's clean-up
// removes the other's temporary file before it is renamed.
TEST(AccountStoreLockTest, TwoProcessesAddingAtOnceKeepEveryLogin) {
  constexpr int kRounds = 3;
  constexpr int kEach = 50;
  const std::wstring helper = JoinPath(GetExeDir(), L"accounts_crash_helper.exe");
  for (int round = 1; round <= kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    e2e::TempDir dir;
    ASSERT_TRUE(dir.IsValid()) << dir.error();
    const std::wstring path = dir.PathOf(L"accounts.dat");
    const std::wstring goName = L"Local\\zlm-accounts-add-test-" +
                                std::to_wstring(GetCurrentProcessId()) + L"-" +
                                std::to_wstring(round);
    const e2e::ScopedHandle go(CreateEventW(nullptr, TRUE, FALSE, goName.c_str()));
    ASSERT_TRUE(go.IsValid()) << e2e::LastErrorText();

    e2e::Process first;
    e2e::Process second;
    ASSERT_TRUE(first.Start(helper, L"add \"" + path + L"\" one " + std::to_wstring(kEach) +
                                        L" " + goName));
    ASSERT_TRUE(second.Start(helper, L"add \"" + path + L"\" two " + std::to_wstring(kEach) +
                                         L" " + goName));
    SetEvent(go.Get());
    EXPECT_EQ(first.WaitForExit(std::chrono::minutes(2)), 0);
    EXPECT_EQ(second.WaitForExit(std::chrono::minutes(2)), 0);

    const AccountList accounts = LoadAccounts(path);
    EXPECT_EQ(accounts.size(), 2u * kEach);
    for (const char* prefix : {"one", "two"}) {
      for (int i = 0; i < kEach; ++i) {
        const std::string user = std::string(prefix) + "-" + std::to_string(i);
        const auto account = std::find_if(accounts.begin(), accounts.end(),
                                          [&](const Account& a) { return a.user == user; });
        ASSERT_NE(account, accounts.end()) << user << " was lost";
        EXPECT_EQ(AsStringView(account->password), "pw-" + user);
      }
    }
    EXPECT_EQ(NamesIn(dir.path()), std::vector<std::wstring>{L"accounts.dat"});
  }
}

// Every spelling of one folder gets one lock: through a junction, in other
// case, with "." and ".." parts, and whether the store file exists yet.
TEST(AccountStoreLockTest, EverySpellingOfOneFolderGetsOneLockName) {
  e2e::TempDir dir;
  ASSERT_TRUE(dir.IsValid()) << dir.error();
  ASSERT_TRUE(dir.MakeFolder(L"Install"));
  ASSERT_TRUE(e2e::MakeJunction(dir.PathOf(L"link"), dir.PathOf(L"Install")));
  const std::wstring real = dir.PathOf(L"Install");
  const std::wstring upper = dir.PathOf(L"INSTALL");
  const std::vector<std::wstring> spellings = {
      real, dir.PathOf(L"link"), upper, dir.PathOf(L"link\\..\\Install\\."), real + L"\\"};
  for (const std::wstring& folder : spellings) {
    EXPECT_EQ(PathLockNameFor("Local\\x-", folder), PathLockNameFor("Local\\x-", real))
        << std::string(folder.begin(), folder.end());
    EXPECT_EQ(StoreLockNameFor(JoinPath(folder, L"accounts.dat")),
              StoreLockNameFor(JoinPath(real, L"accounts.dat")))
        << std::string(folder.begin(), folder.end());
  }
  ASSERT_TRUE(dir.WriteBytes(L"Install\\accounts.dat", "x"));
  EXPECT_EQ(StoreLockNameFor(dir.PathOf(L"link\\accounts.dat")),
            StoreLockNameFor(dir.PathOf(L"Install\\accounts.dat")));
  EXPECT_NE(PathLockNameFor("Local\\x-", dir.PathOf(L"other")), PathLockNameFor("Local\\x-", real));
}

// A launcher that died mid-change leaves the lock abandoned; the file is still
// one complete list (see the crash test), so the next change goes ahead.
TEST(AccountStoreLockTest, ALockWhoseHolderDiedDoesNotBlockTheNextChange) {
  e2e::TempDir dir;
  ASSERT_TRUE(dir.IsValid()) << dir.error();
  const std::wstring path = dir.PathOf(L"accounts.dat");
  AddAccount("before", "1", path);
  // Another launcher's handle keeps the mutex in being after the holder ends.
  const e2e::ScopedHandle other(CreateMutexW(nullptr, FALSE, StoreLockNameFor(path).c_str()));
  ASSERT_TRUE(other.IsValid()) << e2e::LastErrorText();
  e2e::Process holder;
  ASSERT_TRUE(holder.Start(JoinPath(GetExeDir(), L"accounts_crash_helper.exe"),
                           L"hold \"" + path + L"\""));
  ASSERT_EQ(holder.WaitForExit(), 0) << "the helper did not take the lock";

  AddAccount("after", "2", path);
  EXPECT_EQ(GetAccountPassword("before", path), "1");
  EXPECT_EQ(GetAccountPassword("after", path), "2");
  // And the change let go of it: another thread (another owner) gets it at once.
  bool freeAfterwards = false;
  std::thread([&] { freeAfterwards = StoreLock(path, 0).held(); }).join();
  EXPECT_TRUE(freeAfterwards);
}

// Every spelling of the store's path takes the one lock; another store's is
// apart. The lock is checked from a second thread, since a mutex nests for
// the thread that holds it.
TEST(AccountStoreLockTest, EverySpellingOfThePathTakesTheSameLock) {
  e2e::TempDir dir;
  ASSERT_TRUE(dir.IsValid()) << dir.error();
  const std::wstring path = dir.PathOf(L"accounts.dat");
  std::wstring upper = path;
  CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
  std::wstring slashes = path;
  std::replace(slashes.begin(), slashes.end(), L'\\', L'/');
  struct Case {
    const char* what;
    std::wstring path;
    bool sameLock;
  };
  const Case cases[] = {
      {"the path itself", path, true},
      {"upper case", upper, true},
      {"forward slashes", slashes, true},
      {"with a dot folder", dir.path() + L"\\.\\accounts.dat", true},
      {"relative to the current folder", L"accounts.dat", true},
      {"another store in the folder", dir.PathOf(L"other.dat"), false},
  };
  wchar_t savedFolder[MAX_PATH + 1];
  ASSERT_NE(GetCurrentDirectoryW(MAX_PATH + 1, savedFolder), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(dir.path().c_str()));
  {
    const StoreLock held(path);
    ASSERT_TRUE(held.held());
    for (const Case& c : cases) {
      bool had = false;
      std::thread([&] { had = StoreLock(c.path, 50).held(); }).join();
      EXPECT_EQ(had, !c.sameLock) << c.what;
    }
  }
  SetCurrentDirectoryW(savedFolder);
}

}  // namespace
