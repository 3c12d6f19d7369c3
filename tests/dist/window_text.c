/* Prints what a program's windows say, as a player would read it:
 * window_text.exe <title prefix>. For every visible top-level window whose
 * title begins with the prefix, its title and the text of every window inside
 * it, one a line in UTF-8, line breaks within a text turned into spaces.
 * Exits 1 when no such window is there. */
#include <windows.h>
#include <wchar.h>

static void print_line(const wchar_t* text) {
  wchar_t flat[4096];
  int n = 0;
  for (; text[n] && n < 4095; ++n) flat[n] = (text[n] == L'\r' || text[n] == L'\n') ? L' ' : text[n];
  flat[n] = L'\n';
  char utf8[4096 * 3 + 1];
  int bytes = WideCharToMultiByte(CP_UTF8, 0, flat, n + 1, utf8, sizeof utf8, NULL, NULL);
  DWORD written;
  if (bytes > 0) WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8, (DWORD)bytes, &written, NULL);
}

/* WM_GETTEXT crosses processes; a timeout keeps a hung program from hanging us. */
static BOOL CALLBACK print_child(HWND window, LPARAM unused) {
  (void)unused;
  wchar_t text[4096];
  DWORD_PTR length = 0;
  /* A picture control's "text" is the ordinal of its image (0xFFFF, id): no words. */
  if (SendMessageTimeoutW(window, WM_GETTEXT, 4096, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, &length) &&
      length > 0 && text[0] != 0xFFFF) {
    text[length < 4096 ? length : 4095] = 0;
    print_line(text);
  }
  return TRUE;
}

static const wchar_t* prefix;
static int found;

static BOOL CALLBACK print_top(HWND window, LPARAM unused) {
  (void)unused;
  wchar_t title[512];
  if (!IsWindowVisible(window) || GetWindowTextW(window, title, 512) <= 0) return TRUE;
  if (wcsncmp(title, prefix, wcslen(prefix)) != 0) return TRUE;
  found = 1;
  print_line(title);
  EnumChildWindows(window, print_child, 0);
  return TRUE;
}

int wmain(int argc, wchar_t** argv) {
  if (argc != 2 || !argv[1][0]) return 2;
  prefix = argv[1];
  EnumWindows(print_top, 0);
  return found ? 0 : 1;
}
