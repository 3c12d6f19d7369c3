// Logging, tracing and thread identity for the client's wrapper, whose
// LOG/DCHECK and TRACE macros call into the library. Messages go to stderr (the
// stand-in has no debug.log); a fatal message ends the process, as it does in
// Chromium. Trace events are accepted and dropped: nothing here records them.

#include <windows.h>

#include <cstdio>
#include <cstdlib>

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

}  // namespace

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
