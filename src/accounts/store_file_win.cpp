#include "accounts/store_file.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string_view>

namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
// Holds only handles that are valid; CreateFileW's failure value never gets in.
using ScopedFile = std::unique_ptr<void, HandleCloser>;

constexpr DWORD kLargestIo = 1u << 30;

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kLargestIo));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
      return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// Creates or truncates |path|, writes |bytes| and has them on the disk before
// it returns true. Nobody else may open the file meanwhile.
bool WriteFlushedFile(const std::wstring& path, std::string_view bytes) {
  HANDLE raw = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (raw == INVALID_HANDLE_VALUE)
    return false;
  bool written = false;
  {
    const ScopedFile file(raw);
    written = WriteAll(raw, bytes) && FlushFileBuffers(raw);
  }
  if (!written)
    DeleteFileW(path.c_str());
  return written;
}

std::wstring::size_type NameStart(const std::wstring& path) {
  const std::wstring::size_type separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? 0 : separator + 1;
}

// "<store name>.<decimal digits>.tmp", as TemporaryPathFor makes them.
bool IsTemporaryName(std::wstring_view name, std::wstring_view storeName) {
  constexpr std::wstring_view kSuffix = L".tmp";
  const std::size_t digitsStart = storeName.size() + 1;
  if (name.size() <= digitsStart + kSuffix.size() || name.substr(0, storeName.size()) != storeName ||
      name[storeName.size()] != L'.' || name.substr(name.size() - kSuffix.size()) != kSuffix)
    return false;
  const std::wstring_view digits =
      name.substr(digitsStart, name.size() - digitsStart - kSuffix.size());
  return std::all_of(digits.begin(), digits.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

}  // namespace

FileRead ReadWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& bytes) {
  bytes.clear();
  HANDLE raw = CreateFileW(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (raw == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileRead::kAbsent
                                                                           : FileRead::kFailed;
  }
  const ScopedFile file(raw);
  LARGE_INTEGER size;
  if (!GetFileSizeEx(raw, &size) || size.QuadPart < 0)
    return FileRead::kFailed;
  if (static_cast<unsigned long long>(size.QuadPart) > maxBytes)
    return FileRead::kTooLarge;

  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t got = 0;
  while (got < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - got, kLargestIo));
    DWORD read = 0;
    if (!ReadFile(raw, &bytes[got], chunk, &read, nullptr)) {
      bytes.clear();
      return FileRead::kFailed;
    }
    if (read == 0)
      break;  // it shrank since its size was taken
    got += read;
  }
  bytes.resize(got);
  return FileRead::kRead;
}

std::wstring TemporaryPathFor(const std::wstring& path) {
  return path + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
}

bool ReplaceFileDurably(const std::wstring& path, std::string_view bytes) {
  const std::wstring temporary = TemporaryPathFor(path);
  if (!WriteFlushedFile(temporary, bytes))
    return false;
  // One rename: a reader or a crash sees the old file or the new one. Unlike
  // ReplaceFileW it needs no existing target, and it replaces in one step.
  if (!MoveFileExW(temporary.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

// A save that a crash cut short leaves its temporary file behind. The lock
// keeps other savers out; a file some other program holds open without
// delete sharing simply stays.
void RemoveLeftoverTemporaries(const std::wstring& path) {
  const std::wstring folder = path.substr(0, NameStart(path));
  const std::wstring storeName = path.substr(NameStart(path));
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((path + L".*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        IsTemporaryName(found.cFileName, storeName))
      DeleteFileW((folder + found.cFileName).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

bool KeepFileAside(const std::wstring& path) {
  // Bounded, though a folder would need thousands of kept files to reach it.
  constexpr int kMostKept = 9999;
  for (int n = 1; n <= kMostKept; ++n) {
    const std::wstring kept = path + L".unreadable-" + std::to_wstring(n);
    if (MoveFileExW(path.c_str(), kept.c_str(), MOVEFILE_WRITE_THROUGH))
      return true;
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
      return false;
  }
  return false;
}
