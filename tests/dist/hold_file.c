/* Holds a file open the way another program reading it would, until it is
 * ended: hold_file.exe <file> <flag> [write]. Creates <flag> once the file is
 * open, so the caller knows when the hold has begun. With "write" the file
 * may still be written by others (as a virus scanner lets the program that
 * writes it go on), but not moved or deleted. */
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && argc != 4) return 2;
  DWORD share = FILE_SHARE_READ;
  if (argc == 4) {
    if (lstrcmpW(argv[3], L"write") != 0) return 2;
    share |= FILE_SHARE_WRITE;
  }
  HANDLE file = CreateFileW(argv[1], GENERIC_READ, share, NULL, OPEN_EXISTING, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return 1;
  HANDLE flag = CreateFileW(argv[2], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (flag == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(flag);
  Sleep(INFINITE);
  return 0;
}
