// Times DeleteTree on a cache-sized tree (10,000 files in 500 folders) against
// `cmd /c rmdir /s /q` on the same tree, and cmd's start-up alone, so that
// the ratio compares the deletions themselves. Run by `make bench`; not a test.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/cache_restart.h"
#include "app/paths.h"
#include "bench_timing.h"

namespace {

constexpr int kTopFolders = 20;
constexpr int kSubFoldersEach = 24;  // 20 + 20 * 24 = 500 folders
constexpr int kFilesPerFolder = 20;  // 500 * 20 = 10,000 files
constexpr int kRounds = 3;
constexpr DWORD kFileBytes = 512;

using Millis = std::chrono::duration<double, std::milli>;

bool WriteEntry(const std::wstring& path, const std::string& bytes) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  return ok;
}

bool FillFolder(const std::wstring& folder, const std::string& bytes) {
  if (!CreateDirectoryW(folder.c_str(), nullptr))
    return false;
  for (int f = 0; f < kFilesPerFolder; ++f)
    if (!WriteEntry(JoinPath(folder, L"f_" + std::to_wstring(f)), bytes))
      return false;
  return true;
}

bool MakeCacheTree(const std::wstring& root) {
  const std::string bytes(kFileBytes, 'c');
  if (!CreateDirectoryW(root.c_str(), nullptr))
    return false;
  for (int t = 0; t < kTopFolders; ++t) {
    const std::wstring top = JoinPath(root, L"d" + std::to_wstring(t));
    if (!FillFolder(top, bytes))
      return false;
    for (int s = 0; s < kSubFoldersEach; ++s)
      if (!FillFolder(JoinPath(top, L"s" + std::to_wstring(s)), bytes))
        return false;
  }
  return true;
}

bool RunAndWait(std::wstring commandLine) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION created = {};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &created))
    return false;
  WaitForSingleObject(created.hProcess, INFINITE);
  CloseHandle(created.hThread);
  CloseHandle(created.hProcess);
  return true;
}

std::wstring CmdPath() {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  return JoinPath(system, L"cmd.exe");
}

struct Method {
  Method(const char* name, std::function<bool(const std::wstring& root)> run) : name(name), run(std::move(run)) {}

  const char* name;
  std::function<bool(const std::wstring& root)> run;
  std::vector<double> ms;
  bool leftovers = false;
};

// Prints the method's line and gives its median.
double Report(const Method& m) {
  std::vector<double> sorted = m.ms;
  std::sort(sorted.begin(), sorted.end());
  const double median = sorted[sorted.size() / 2];
  std::printf("%-28s median %8.1f ms   best %8.1f ms   worst %8.1f ms%s\n", m.name, median,
              sorted.front(), sorted.back(), m.leftovers ? "   (left entries behind)" : "");
  return median;
}

}  // namespace

int wmain() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring base = JoinPath(temp, L"zlm_cache_delete_bench_" + std::to_wstring(GetCurrentProcessId()));
  const std::wstring cmd = CmdPath();

  std::vector<Method> methods;
  methods.emplace_back("DeleteTree", [](const std::wstring& root) {
    DeleteTree(root);
    return true;
  });
  methods.emplace_back("cmd /c rmdir /s /q", [&cmd](const std::wstring& root) {
    return RunAndWait(L"\"" + cmd + L"\" /c rmdir /s /q \"" + root + L"\"");
  });

  std::printf("Deleting %d files in %d folders (%lu bytes each), %d rounds per method, alternating.\n",
              kTopFolders * (1 + kSubFoldersEach) * kFilesPerFolder, kTopFolders * (1 + kSubFoldersEach),
              static_cast<unsigned long>(kFileBytes), kRounds);
  for (int round = 0; round < kRounds; ++round) {
    for (Method& m : methods) {
      const std::wstring root = base + L"_" + std::to_wstring(round);
      if (!MakeCacheTree(root)) {
        std::fprintf(stderr, "cannot build the tree (error %lu)\n", GetLastError());
        DeleteTree(root);
        return 1;
      }
      const auto start = std::chrono::steady_clock::now();
      if (!m.run(root)) {
        std::fprintf(stderr, "%s could not run (error %lu)\n", m.name, GetLastError());
        DeleteTree(root);
        return 1;
      }
      m.ms.push_back(Millis(std::chrono::steady_clock::now() - start).count());
      if (GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES) {
        m.leftovers = true;
        DeleteTree(root);
      }
    }
  }

  // What starting cmd costs by itself, so the rest can be told apart.
  Method startOnly("cmd /c exit (start-up only)", [&cmd](const std::wstring&) {
    return RunAndWait(L"\"" + cmd + L"\" /c exit");
  });
  for (int round = 0; round < kRounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    startOnly.run(L"");
    startOnly.ms.push_back(Millis(std::chrono::steady_clock::now() - start).count());
  }

  const double deleteTree = Report(methods[0]);
  const double rmdir = Report(methods[1]);
  const double start = Report(startOnly);
  bench::PrintRatio("cache deletion, 10,000 files", deleteTree, rmdir - start,
                    "cmd /c rmdir /s /q, less cmd's start-up");
  return methods[0].leftovers ? 1 : 0;
}
