/* Holds a file open the way another program reading it would, until it is
 * ended: hold_file.exe <file> <flag>. Creates <flag> once the file is open, so
 * the caller knows when the hold has begun. */
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, NULL,
                            OPEN_EXISTING, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return 1;
  HANDLE flag = CreateFileW(argv[2], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (flag == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(flag);
  Sleep(INFINITE);
  return 0;
}
