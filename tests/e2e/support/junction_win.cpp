#include "junction.h"

#include <windows.h>

#include <winioctl.h>

#include <cstring>
#include <vector>

#include "scoped_handle.h"
#include "utf_convert.h"
#include "wait.h"
#include "wine_host.h"
#include "win_error.h"

namespace e2e {

namespace {

// The mount-point form of the reparse data: an 8-byte header, four
// 16-bit name offsets and lengths, then both names, each NUL-ended.
std::vector<BYTE> MountPointData(const std::wstring& target) {
  const std::wstring substitute = L"\\??\\" + target;
  const size_t substitute_bytes = substitute.size() * sizeof(wchar_t);
  const size_t print_bytes = target.size() * sizeof(wchar_t);
  const size_t names_bytes =
      substitute_bytes + sizeof(wchar_t) + print_bytes + sizeof(wchar_t);
  const size_t data_length = 8 + names_bytes;
  std::vector<BYTE> buffer(8 + data_length, 0);
  auto put16 = [&buffer](size_t at, size_t value) {
    const uint16_t v = static_cast<uint16_t>(value);
    std::memcpy(&buffer[at], &v, sizeof(v));
  };
  const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
  std::memcpy(&buffer[0], &tag, sizeof(tag));
  put16(4, data_length);
  put16(8, 0);
  put16(10, substitute_bytes);
  put16(12, substitute_bytes + sizeof(wchar_t));
  put16(14, print_bytes);
  std::memcpy(&buffer[16], substitute.data(), substitute_bytes);
  std::memcpy(&buffer[16 + substitute_bytes + sizeof(wchar_t)], target.data(),
              print_bytes);
  return buffer;
}

// Wine keeps no reparse data; a host symbolic link is what it reports as a
// folder reparse point.
testing::AssertionResult MakeHostLink(const std::wstring& link,
                                      const std::wstring& target,
                                      const std::string& ioctl_error) {
  const auto host_link = HostPathOf(link);
  const auto host_target = HostPathOf(target);
  if (!host_link || !host_target ||
      !RunHostProgram({"/bin/ln", "-s", *host_target, *host_link}) ||
      !PollUntil([&link] { return IsReparsePoint(link); }, Millis(2000)))
    return testing::AssertionFailure()
           << "cannot make " << WideToUtf8(link) << " a junction to "
           << WideToUtf8(target) << ": " << ioctl_error
           << ", and no host link either";
  return testing::AssertionSuccess();
}

}  // namespace

testing::AssertionResult MakeJunction(const std::wstring& link,
                                      const std::wstring& target) {
  if (!::CreateDirectoryW(link.c_str(), nullptr))
    return testing::AssertionFailure() << "cannot create " << WideToUtf8(link)
                                       << ": " << LastErrorText();
  ScopedFileHandle folder(::CreateFileW(
      link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!folder.IsValid()) {
    const std::string error = LastErrorText();
    ::RemoveDirectoryW(link.c_str());
    return testing::AssertionFailure() << "cannot open " << WideToUtf8(link)
                                       << ": " << error;
  }
  std::vector<BYTE> data = MountPointData(target);
  DWORD returned = 0;
  if (!::DeviceIoControl(folder.Get(), FSCTL_SET_REPARSE_POINT, data.data(),
                         static_cast<DWORD>(data.size()), nullptr, 0,
                         &returned, nullptr)) {
    const std::string error = LastErrorText();
    folder.Reset();
    ::RemoveDirectoryW(link.c_str());
    return MakeHostLink(link, target, error);
  }
  return testing::AssertionSuccess();
}

bool IsReparsePoint(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace e2e
