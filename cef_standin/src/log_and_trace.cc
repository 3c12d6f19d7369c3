// Logging, tracing and thread identity for the client's wrapper, whose
// LOG/DCHECK and TRACE macros call into the library. Messages go to stderr and,
// unless the settings disable logging, to the log file in Chromium's line
// format; a fatal message ends the process, as it does in Chromium. Trace
// events are accepted and dropped: nothing here records them.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine.h"
#include "include/internal/cef_logging_internal.h"
#include "include/internal/cef_thread_internal.h"
#include "include/internal/cef_trace_event_internal.h"

namespace {

// Chromium's severities, as the wrapper's cef_logging.h numbers them.
constexpr int kLogVerbose = -1;
constexpr int kLogInfo = 0;
constexpr int kLogWarning = 1;
constexpr int kLogError = 2;
constexpr int kLogFatal = 3;

const char* SeverityName(int severity) {
  switch (severity) {
    case kLogInfo:
      return "INFO";
    case kLogWarning:
      return "WARNING";
    case kLogError:
      return "ERROR";
    case kLogFatal:
      return "FATAL";
  }
  return severity < 0 ? "VERBOSE" : "UNKNOWN";
}

HANDLE g_log_file = INVALID_HANDLE_VALUE;

std::wstring DefaultLogFile() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length < MAX_PATH ? length : 0);
  folder.erase(folder.find_last_of(L"\\/") + 1);
  return folder + L"debug.log";
}

// "[pid:tid:MMDD/HHMMSS.mmm:SEVERITY:file(line)] message", as Chromium writes.
void WriteLogFileLine(const char* file, int line, int severity, const char* message) {
  if (g_log_file == INVALID_HANDLE_VALUE)
    return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  const char* base = file ? file : "?";
  for (const char* c = base; *c; ++c)
    if (*c == '\\' || *c == '/')
      base = c + 1;
  char prefix[160];
  std::snprintf(prefix, sizeof(prefix), "[%lu:%lu:%02u%02u/%02u%02u%02u.%03u:%s:%s(%d)] ",
                GetCurrentProcessId(), GetCurrentThreadId(), now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond, now.wMilliseconds, SeverityName(severity), base, line);
  const std::string text = std::string(prefix) + (message ? message : "") + "\n";
  DWORD written = 0;
  WriteFile(g_log_file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

namespace standin {

void OpenEngineLog(const CefSettings& settings) {
  if (g_log_file != INVALID_HANDLE_VALUE) {
    CloseHandle(g_log_file);
    g_log_file = INVALID_HANDLE_VALUE;
  }
  if (settings.log_severity == LOGSEVERITY_DISABLE)
    return;
  const cef_string_t& file = settings.log_file;
  std::wstring path = file.str ? std::wstring(file.str, file.length) : std::wstring();
  if (path.empty())
    path = DefaultLogFile();
  g_log_file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace standin

extern "C" {

CEF_EXPORT int cef_get_min_log_level() {
  switch (standin::EngineSettings().log_severity) {
    case LOGSEVERITY_VERBOSE:
      return kLogVerbose;
    case LOGSEVERITY_WARNING:
      return kLogWarning;
    case LOGSEVERITY_ERROR:
      return kLogError;
    case LOGSEVERITY_DISABLE:
      return kLogFatal + 1;
    default:
      return kLogInfo;
  }
}

CEF_EXPORT int cef_get_vlog_level(const char* /*file_start*/, size_t /*N*/) {
  return 0;
}

CEF_EXPORT void cef_log(const char* file, int line, int severity,
                        const char* message) {
  if (severity < cef_get_min_log_level() && severity < kLogFatal)
    return;
  std::fprintf(stderr, "[libcef stand-in %s %s(%d)] %s\n", SeverityName(severity),
               file ? file : "?", line, message ? message : "");
  std::fflush(stderr);
  WriteLogFileLine(file, line, severity, message);
  if (severity >= kLogFatal)
    std::abort();
}

CEF_EXPORT cef_platform_thread_id_t cef_get_current_platform_thread_id() {
  return GetCurrentThreadId();
}

CEF_EXPORT cef_platform_thread_handle_t cef_get_current_platform_thread_handle() {
  return GetCurrentThreadId();
}

CEF_EXPORT void cef_trace_event_instant(const char*, const char*, const char*,
                                        uint64, const char*, uint64, int) {}
CEF_EXPORT void cef_trace_event_begin(const char*, const char*, const char*,
                                      uint64, const char*, uint64, int) {}
CEF_EXPORT void cef_trace_event_end(const char*, const char*, const char*,
                                    uint64, const char*, uint64, int) {}
CEF_EXPORT void cef_trace_counter(const char*, const char*, const char*, uint64,
                                  const char*, uint64, int) {}
CEF_EXPORT void cef_trace_counter_id(const char*, const char*, uint64,
                                     const char*, uint64, const char*, uint64,
                                     int) {}
CEF_EXPORT void cef_trace_event_async_begin(const char*, const char*, uint64,
                                            const char*, uint64, const char*,
                                            uint64, int) {}
CEF_EXPORT void cef_trace_event_async_step_into(const char*, const char*,
                                                uint64, uint64, const char*,
                                                uint64, int) {}
CEF_EXPORT void cef_trace_event_async_step_past(const char*, const char*,
                                                uint64, uint64, const char*,
                                                uint64, int) {}
CEF_EXPORT void cef_trace_event_async_end(const char*, const char*, uint64,
                                          const char*, uint64, const char*,
                                          uint64, int) {}

}  // extern "C"
