#include "app/pe_machine.h"

#include <windows.h>

#include <memory>
#include <streambuf>

namespace {

struct FileHandleCloser {
  void operator()(HANDLE file) const { CloseHandle(file); }
};
using ScopedFileHandle = std::unique_ptr<void, FileHandleCloser>;

// A read-only, seekable stream buffer over a file handle, so that a file on
// disk goes through exactly the same parser as an in-memory image. Seeks use
// 64-bit positions: any 32-bit header offset is representable, and a
// position beyond the end simply reads nothing.
class FileReadBuf : public std::streambuf {
 public:
  explicit FileReadBuf(HANDLE file) : file_(file) {}
  FileReadBuf(const FileReadBuf&) = delete;
  FileReadBuf& operator=(const FileReadBuf&) = delete;

 protected:
  int_type underflow() override {
    DWORD got = 0;
    if (!ReadFile(file_, buffer_, sizeof(buffer_), &got, nullptr) || got == 0)
      return traits_type::eof();
    setg(buffer_, buffer_, buffer_ + got);
    return traits_type::to_int_type(buffer_[0]);
  }

  pos_type seekoff(off_type off, std::ios_base::seekdir dir,
                   std::ios_base::openmode which) override {
    if (!(which & std::ios_base::in))
      return pos_type(off_type(-1));
    DWORD method = FILE_BEGIN;
    if (dir == std::ios_base::cur) {
      method = FILE_CURRENT;
      off -= egptr() - gptr();  // the handle is ahead by what is still buffered
    } else if (dir == std::ios_base::end) {
      method = FILE_END;
    }
    LARGE_INTEGER distance;
    distance.QuadPart = off;
    LARGE_INTEGER now;
    if (!SetFilePointerEx(file_, distance, &now, method))
      return pos_type(off_type(-1));
    setg(buffer_, buffer_, buffer_);
    return pos_type(off_type(now.QuadPart));
  }

  pos_type seekpos(pos_type pos, std::ios_base::openmode which) override {
    return seekoff(off_type(pos), std::ios_base::beg, which);
  }

 private:
  HANDLE file_;
  char buffer_[512];
};

}  // namespace

uint16_t ReadPeMachine(const std::wstring& path) {
  HANDLE raw = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (raw == INVALID_HANDLE_VALUE)
    return 0;
  ScopedFileHandle file(raw);
  FileReadBuf buffer(raw);
  std::istream in(&buffer);
  return ReadPeMachineFrom(in);
}
