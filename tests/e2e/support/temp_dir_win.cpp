#include "temp_dir.h"

#include <windows.h>

#include <atomic>

#include "scoped_handle.h"
#include "utf_convert.h"
#include "wait.h"
#include "win_error.h"
#include "wine_host.h"

namespace e2e {

namespace {

std::atomic<unsigned> folder_sequence{0};

std::wstring TempRoot() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(ARRAYSIZE(buffer), buffer);
  if (length == 0 || length > MAX_PATH)
    return std::wstring();
  std::wstring root(buffer, length);
  if (!root.empty() && (root.back() == L'\\' || root.back() == L'/'))
    root.pop_back();
  return root;
}

std::wstring LongPath(const std::wstring& path) {
  const DWORD length = ::GetLongPathNameW(path.c_str(), nullptr, 0);
  if (length == 0)
    return path;
  std::wstring result(length, L'\0');
  const DWORD written = ::GetLongPathNameW(path.c_str(), &result[0], length);
  if (written == 0 || written >= length)
    return path;
  result.resize(written);
  return result;
}

bool IsDots(const wchar_t* name) {
  return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0;
}

bool RemoveEntry(const std::wstring& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY)
    ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  const bool is_folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const bool is_link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if (is_folder && !is_link)
    return RemoveTree(path);
  return is_folder ? ::RemoveDirectoryW(path.c_str()) != FALSE
                   : ::DeleteFileW(path.c_str()) != FALSE;
}

testing::AssertionResult CreateParents(const std::wstring& root,
                                       const std::wstring& relative) {
  for (size_t at = relative.find_first_of(L"\\/"); at != std::wstring::npos;
       at = relative.find_first_of(L"\\/", at + 1)) {
    const std::wstring folder = root + L"\\" + relative.substr(0, at);
    if (!::CreateDirectoryW(folder.c_str(), nullptr) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS)
      return testing::AssertionFailure()
             << "cannot create folder " << WideToUtf8(folder) << ": "
             << LastErrorText();
  }
  return testing::AssertionSuccess();
}

}  // namespace

TempDir::TempDir() {
  const std::wstring root = TempRoot();
  if (root.empty()) {
    error_ = "no temporary folder: " + LastErrorText();
    return;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring candidate =
        root + L"\\zlm-e2e-" + std::to_wstring(::GetCurrentProcessId()) +
        L"-" + std::to_wstring(folder_sequence++) + L"-" +
        std::to_wstring(::GetTickCount());
    if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = LongPath(candidate);
      return;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS) {
      error_ = "cannot create " + WideToUtf8(candidate) + ": " +
               LastErrorText();
      return;
    }
  }
  error_ = "no free temporary folder name under " + WideToUtf8(root);
}

TempDir::~TempDir() {
  Remove();
}

TempDir::TempDir(TempDir&& other) noexcept
    : path_(std::move(other.path_)), error_(std::move(other.error_)) {
  other.path_.clear();
}

TempDir& TempDir::operator=(TempDir&& other) noexcept {
  if (this != &other) {
    Remove();
    path_ = std::move(other.path_);
    error_ = std::move(other.error_);
    other.path_.clear();
  }
  return *this;
}

void TempDir::Remove() {
  if (path_.empty())
    return;
  if (!RemoveTree(path_)) {
    // Wine cannot remove a host symbolic link to a folder through Win32;
    // the host's own removal can, and does not follow it either.
    const auto host_path = HostPathOf(path_);
    if (host_path && RunHostProgram({"/bin/rm", "-rf", *host_path})) {
      PollUntil([this] { return !Exists(L""); }, Millis(2000));
    } else {  // A process that has just exited may still hold its image.
      PollUntil([this] { return RemoveTree(path_); }, Millis(2000));
    }
  }
  path_.clear();
}

std::wstring TempDir::PathOf(const std::wstring& relative) const {
  return relative.empty() ? path_ : path_ + L"\\" + relative;
}

testing::AssertionResult TempDir::CopyIn(const std::wstring& source,
                                         const std::wstring& relative) const {
  const std::wstring name = relative.empty() ? FileNameOf(source) : relative;
  const testing::AssertionResult parents = CreateParents(path_, name);
  if (!parents)
    return parents;
  const std::wstring target = PathOf(name);
  if (!::CopyFileW(source.c_str(), target.c_str(), FALSE))
    return testing::AssertionFailure()
           << "cannot copy " << WideToUtf8(source) << " to "
           << WideToUtf8(target) << ": " << LastErrorText();
  return testing::AssertionSuccess();
}

testing::AssertionResult TempDir::CopyProgramIn(const std::wstring& exe,
                                                const std::wstring& relative) const {
  const std::wstring name = relative.empty() ? FileNameOf(exe) : relative;
  const std::wstring folder = exe.substr(0, exe.size() - FileNameOf(exe).size());
  const std::wstring target = name.substr(0, name.size() - FileNameOf(name).size());
  const testing::AssertionResult program = CopyIn(exe, name);
  if (!program)
    return program;
  return CopyIn(folder + L"libcef.dll", target + L"libcef.dll");
}

testing::AssertionResult TempDir::WriteBytes(const std::wstring& relative,
                                             const std::string& bytes) const {
  const testing::AssertionResult parents = CreateParents(path_, relative);
  if (!parents)
    return parents;
  const std::wstring target = PathOf(relative);
  ScopedFileHandle file(::CreateFileW(target.c_str(), GENERIC_WRITE, 0,
                                      nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid())
    return testing::AssertionFailure() << "cannot create "
                                       << WideToUtf8(target) << ": "
                                       << LastErrorText();
  DWORD written = 0;
  if (!bytes.empty() &&
      (!::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                    &written, nullptr) ||
       written != bytes.size()))
    return testing::AssertionFailure() << "cannot write " << WideToUtf8(target)
                                       << ": " << LastErrorText();
  return testing::AssertionSuccess();
}

testing::AssertionResult TempDir::MakeFolder(
    const std::wstring& relative) const {
  return CreateParents(path_, relative + L"\\");
}

bool TempDir::Exists(const std::wstring& relative) const {
  return ::GetFileAttributesW(PathOf(relative).c_str()) !=
         INVALID_FILE_ATTRIBUTES;
}

std::optional<std::string> TempDir::ReadBytes(
    const std::wstring& relative) const {
  ScopedFileHandle file(::CreateFileW(
      PathOf(relative).c_str(), GENERIC_READ,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid())
    return std::nullopt;
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (::ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) &&
         read > 0)
    bytes.append(buffer, read);
  return bytes;
}

std::wstring FileNameOf(const std::wstring& path) {
  const size_t at = path.find_last_of(L"\\/");
  return at == std::wstring::npos ? path : path.substr(at + 1);
}

bool RemoveTree(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return true;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return RemoveEntry(path, attributes) ||
           ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;

  WIN32_FIND_DATAW entry;
  HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!IsDots(entry.cFileName))
        RemoveEntry(path + L"\\" + entry.cFileName, entry.dwFileAttributes);
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
  }
  if (attributes & FILE_ATTRIBUTE_READONLY)
    ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  return ::RemoveDirectoryW(path.c_str()) ||
         ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace e2e
