/* Starts a program and relays lines between our stdin/stdout and the stand-in
 * engine's page channel of that process, \\.\pipe\zlm-standin-<pid>.
 *
 * Usage: channel_client.exe <program.exe>
 *        channel_client.exe          (only readies the Wine prefix, see below)
 *
 * Prints, one per line:
 *   pid <n>              the program started (its folder is the working folder)
 *   open | error <text>  the channel opened, or not before the program ended
 *                        or OPEN_MS passed
 * then for every line read from stdin: writes it to the channel and prints
 *   reply <line>         the reply line, or
 *   error <text>         no reply within REPLY_MS, or the channel broke
 * and at the end of stdin waits for the program and prints
 *   exit <code>          its exit code, or
 *   exit timeout         it still ran after EXIT_MS (it is then terminated)
 *
 * It runs inside the same Wine prefix as the program, which is the only way to
 * reach a Wine named pipe; the pid in the pipe's name is the Windows one.
 *
 * Without arguments it sets the prefix's X11 driver to unmanaged windows and
 * ends: the first Wine program of a session brings the prefix up, and every
 * further one costs long under qemu, so this one does both. */
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

/* Generous: under qemu-user every Wine step is many times slower. */
#define OPEN_MS 180000
#define REPLY_MS 120000
#define EXIT_MS 60000
#define POLL_MS 100

static HANDLE g_pipe = INVALID_HANDLE_VALUE;
static HANDLE g_event;
static char g_pending[1 << 16];
static size_t g_pending_len;

static void say(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  vprintf(fmt, args);
  va_end(args);
  fputc('\n', stdout);
  fflush(stdout);
}

static const char* error_text(DWORD code) {
  static char text[256];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                           code, 0, text, sizeof text, NULL);
  while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == ' '))
    text[--n] = '\0';
  if (n == 0)
    snprintf(text, sizeof text, "error %lu", (unsigned long)code);
  return text;
}

/* One overlapped read or write, bounded; on failure sets *why. */
static BOOL transfer(BOOL write, void* data, DWORD size, DWORD* done, DWORD timeout_ms,
                     const char** why) {
  OVERLAPPED ov;
  memset(&ov, 0, sizeof ov);
  ov.hEvent = g_event;
  ResetEvent(g_event);
  BOOL started = write ? WriteFile(g_pipe, data, size, NULL, &ov)
                       : ReadFile(g_pipe, data, size, NULL, &ov);
  if (!started && GetLastError() != ERROR_IO_PENDING) {
    *why = error_text(GetLastError());
    return FALSE;
  }
  if (WaitForSingleObject(g_event, timeout_ms) != WAIT_OBJECT_0) {
    CancelIo(g_pipe);
    GetOverlappedResult(g_pipe, &ov, done, TRUE);
    *why = "no progress in time";
    return FALSE;
  }
  if (!GetOverlappedResult(g_pipe, &ov, done, FALSE) && GetLastError() != ERROR_MORE_DATA) {
    *why = error_text(GetLastError());
    return FALSE;
  }
  return TRUE;
}

static void close_pipe(void) {
  if (g_pipe != INVALID_HANDLE_VALUE)
    CloseHandle(g_pipe);
  g_pipe = INVALID_HANDLE_VALUE;
}

static BOOL open_channel(DWORD pid, HANDLE process) {
  wchar_t name[64];
  swprintf(name, 64, L"\\\\.\\pipe\\zlm-standin-%lu", (unsigned long)pid);
  DWORD waited = 0;
  for (;;) {
    g_pipe = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED, NULL);
    if (g_pipe != INVALID_HANDLE_VALUE)
      return TRUE;
    DWORD code = GetLastError();
    if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
      DWORD exit_code = 0;
      GetExitCodeProcess(process, &exit_code);
      say("error the program ended with %ld before its channel opened (%s)", (long)exit_code,
          error_text(code));
      return FALSE;
    }
    if (waited >= OPEN_MS) {
      say("error the channel did not open within %u ms (%s)", OPEN_MS, error_text(code));
      return FALSE;
    }
    if (code == ERROR_PIPE_BUSY)
      WaitNamedPipeW(name, POLL_MS);
    else
      Sleep(POLL_MS);
    waited += POLL_MS;
  }
}

/* Sends one line and prints the reply line. */
static void relay(const char* line) {
  const char* why = NULL;
  if (g_pipe == INVALID_HANDLE_VALUE) {
    say("error the channel is not open");
    return;
  }
  size_t len = strlen(line);
  char* out = (char*)malloc(len + 1);
  memcpy(out, line, len);
  out[len] = '\n';
  size_t sent = 0;
  while (sent < len + 1) {
    DWORD done = 0;
    if (!transfer(TRUE, out + sent, (DWORD)(len + 1 - sent), &done, REPLY_MS, &why)) {
      free(out);
      say("error writing: %s", why);
      close_pipe();
      return;
    }
    sent += done;
  }
  free(out);
  for (;;) {
    char* end = memchr(g_pending, '\n', g_pending_len);
    if (end) {
      size_t n = (size_t)(end - g_pending);
      size_t shown = n;
      if (shown > 0 && g_pending[shown - 1] == '\r')
        --shown;
      printf("reply %.*s\n", (int)shown, g_pending);
      fflush(stdout);
      memmove(g_pending, end + 1, g_pending_len - n - 1);
      g_pending_len -= n + 1;
      return;
    }
    if (g_pending_len == sizeof g_pending) {
      say("error a reply longer than %u bytes", (unsigned)sizeof g_pending);
      close_pipe();
      return;
    }
    DWORD done = 0;
    if (!transfer(FALSE, g_pending + g_pending_len, (DWORD)(sizeof g_pending - g_pending_len),
                  &done, REPLY_MS, &why)) {
      say("error reading: %s", why);
      close_pipe();
      return;
    }
    g_pending_len += done;
  }
}

/* Without a window manager, Wine waits about 2 s on every managed window it
 * destroys; unmanaged windows go at once (as in the rig's other prefixes). */
static int ready_prefix(void) {
  HKEY key;
  LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", 0, NULL, 0,
                            KEY_SET_VALUE, NULL, &key, NULL);
  if (rc == ERROR_SUCCESS) {
    rc = RegSetValueExW(key, L"Managed", 0, REG_SZ, (const BYTE*)L"N", 2 * sizeof(wchar_t));
    RegCloseKey(key);
  }
  if (rc != ERROR_SUCCESS) {
    say("error setting Managed=N: %s", error_text((DWORD)rc));
    return 1;
  }
  return 0;
}

int wmain(int argc, wchar_t** argv) {
  /* Lines end in \n alone, as the shell reading them expects. */
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc == 1)
    return ready_prefix();
  if (argc != 2) {
    fprintf(stderr, "usage: channel_client.exe <program.exe>\n");
    return 2;
  }
  wchar_t folder[MAX_PATH];
  wchar_t* file_part = NULL;
  if (!GetFullPathNameW(argv[1], MAX_PATH, folder, &file_part) || !file_part) {
    say("error bad program path");
    return 2;
  }
  *file_part = L'\0';

  size_t cmd_len = wcslen(argv[1]) + 3;
  wchar_t* cmd = (wchar_t*)malloc(cmd_len * sizeof(wchar_t));
  swprintf(cmd, cmd_len, L"\"%ls\"", argv[1]);
  STARTUPINFOW si;
  memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  if (!CreateProcessW(argv[1], cmd, NULL, NULL, FALSE, 0, NULL, folder, &si, &pi)) {
    say("error starting the program: %s", error_text(GetLastError()));
    return 1;
  }
  free(cmd);
  CloseHandle(pi.hThread);
  say("pid %lu", (unsigned long)pi.dwProcessId);

  g_event = CreateEventW(NULL, TRUE, FALSE, NULL);
  if (open_channel(pi.dwProcessId, pi.hProcess))
    say("open");

  static char line[1 << 16];
  while (fgets(line, sizeof line, stdin)) {
    size_t n = strlen(line);
    while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r'))
      line[--n] = '\0';
    if (n > 0)
      relay(line);
  }
  close_pipe();

  if (WaitForSingleObject(pi.hProcess, EXIT_MS) != WAIT_OBJECT_0) {
    say("exit timeout");
    TerminateProcess(pi.hProcess, 1);
    return 1;
  }
  DWORD exit_code = 0;
  GetExitCodeProcess(pi.hProcess, &exit_code);
  say("exit %ld", (long)exit_code);
  return 0;
}
