#include "app/support_log.h"

#include <windows.h>

#include <shellapi.h>

#include <string_view>

#include "accounts/store_lock.h"
#include "app/paths.h"
#include "app/process_values.h"
#include "app/scoped_handle.h"
#include "app/trace.h"

namespace {

constexpr std::string_view kLogLockPrefix = "Local\\zlm-log-";
// Every launcher process of the folder writes the file; a line waits this long
// for another process's line, then goes in without the lock (appends are whole
// on their own; only the setting aside needs it).
constexpr DWORD kLockWaitMs = 1000;

// Set once on the main thread before any other thread traces; read-only after.
struct SupportLog {
  std::wstring path;
  std::wstring previousPath;
  std::string processType;
  DWORD processId = 0;
  HANDLE lock = nullptr;
};
SupportLog* activeLog = nullptr;

std::vector<std::wstring> OwnArguments() {
  std::vector<std::wstring> args;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv)
    return args;
  for (int i = 1; i < count; ++i)  // the program's own path is no argument
    args.emplace_back(argv[i]);
  LocalFree(argv);
  return args;
}

LogTime Now() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return LogTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                 now.wMilliseconds};
}

KernelHandle OpenForAppending(const std::wstring& path) {
  // The engine holds the same file open for appending while it runs; every
  // sharing is allowed so that neither side locks the other out.
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return KernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

std::uint64_t SizeOf(const KernelHandle& file) {
  LARGE_INTEGER size = {};
  return GetFileSizeEx(file.Get(), &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
}

void Append(const SupportLog& log, const std::string& text, bool locked) {
  KernelHandle file = OpenForAppending(log.path);
  if (!file.IsValid())
    return;
  std::uint64_t size = SizeOf(file);
  if (locked && size > 0 && size + text.size() > kSupportLogMaxBytes) {
    file = KernelHandle(nullptr);
    // Fails while the engine holds the file; it is set aside at a later start.
    if (MoveFileExW(log.path.c_str(), log.previousPath.c_str(), MOVEFILE_REPLACE_EXISTING))
      size = 0;
    file = OpenForAppending(log.path);
    if (!file.IsValid())
      return;
  }
  if (size + text.size() > kSupportLogHardCapBytes)
    return;
  DWORD written = 0;
  WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void WriteToSupportLog(const std::string& line) {
  const SupportLog* log = activeLog;
  if (!log)
    return;
  const std::string text = SupportLogLine(Now(), log->processType, log->processId, line);
  const DWORD waited = log->lock ? WaitForSingleObject(log->lock, kLockWaitMs) : WAIT_FAILED;
  const bool locked = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  Append(*log, text, locked);
  if (locked)
    ReleaseMutex(log->lock);
}

}  // namespace

bool StartSupportLogIfAsked() {
  const std::vector<std::wstring> args = OwnArguments();
  const bool asked = HasSupportLogSwitch(args) ||
                     GetFileAttributesW(JoinPath(exeDir, kSupportLogRequestFile).c_str()) !=
                         INVALID_FILE_ATTRIBUTES;
  if (asked)
    StartSupportLog(exeDir, ProcessTypeOf(args));
  return asked;
}

void StartSupportLog(const std::wstring& folder, std::string processType) {
  StopSupportLogForTesting();
  auto* log = new SupportLog;
  log->path = JoinPath(folder, kSupportLogFile);
  log->previousPath = JoinPath(folder, kSupportLogPreviousFile);
  log->processType = std::move(processType);
  log->processId = GetCurrentProcessId();
  log->lock = CreateMutexW(nullptr, FALSE, PathLockNameFor(kLogLockPrefix, folder).c_str());
  activeLog = log;
  SetTraceSink(&WriteToSupportLog);
}

std::wstring SupportLogPath() {
  return activeLog ? activeLog->path : std::wstring();
}

void StopSupportLogForTesting() {
  if (!activeLog)
    return;
  SetTraceSink(nullptr);
  if (activeLog->lock)
    CloseHandle(activeLog->lock);
  delete activeLog;
  activeLog = nullptr;
}
