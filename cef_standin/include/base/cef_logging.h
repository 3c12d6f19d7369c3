// Logging and assertion macros: LOG, DLOG, CHECK, DCHECK and NOTREACHED.
// Nothing is written except for a failed check, which reports itself and
// ends the process; DCHECKs are active only in builds without NDEBUG.

#ifndef CEF_INCLUDE_BASE_CEF_LOGGING_H_
#define CEF_INCLUDE_BASE_CEF_LOGGING_H_
#pragma once

#include <stdio.h>
#include <stdlib.h>

#include <sstream>
#include <string>

#include "include/base/cef_build.h"
#include "include/base/cef_macros.h"

namespace cef {
namespace logging {

typedef int LogSeverity;
const LogSeverity LOG_VERBOSE = -1;
const LogSeverity LOG_INFO = 0;
const LogSeverity LOG_WARNING = 1;
const LogSeverity LOG_ERROR = 2;
const LogSeverity LOG_FATAL = 3;
const LogSeverity LOG_NUM_SEVERITIES = 4;
#if defined(NDEBUG)
const LogSeverity LOG_DFATAL = LOG_ERROR;
#else
const LogSeverity LOG_DFATAL = LOG_FATAL;
#endif

class LogMessage {
 public:
  LogMessage(const char* file, int line, LogSeverity severity)
      : file_(file), line_(line), severity_(severity) {}

  // A failed check: always fatal.
  LogMessage(const char* file, int line, const char* condition)
      : file_(file), line_(line), severity_(LOG_FATAL) {
    stream_ << "Check failed: " << condition << ". ";
  }

  ~LogMessage() {
    if (severity_ < LOG_FATAL)
      return;
    const std::string text = stream_.str();
    fprintf(stderr, "[FATAL:%s(%d)] %s\n", file_, line_, text.c_str());
    fflush(stderr);
    abort();
  }

  std::ostream& stream() { return stream_; }

 private:
  const char* file_;
  int line_;
  LogSeverity severity_;
  std::ostringstream stream_;

  DISALLOW_COPY_AND_ASSIGN(LogMessage);
};

// Lets the conditional form of the macros have type void on both branches.
class LogMessageVoidify {
 public:
  LogMessageVoidify() {}
  void operator&(std::ostream&) {}
};

}  // namespace logging
}  // namespace cef

#if defined(NDEBUG) && !defined(DCHECK_ALWAYS_ON)
#define DCHECK_IS_ON() 0
#else
#define DCHECK_IS_ON() 1
#endif

#define LAZY_STREAM(stream, condition) \
  !(condition) ? (void)0 : ::cef::logging::LogMessageVoidify() & (stream)

#define LOG_STREAM(severity)                        \
  ::cef::logging::LogMessage(__FILE__, __LINE__,    \
                             ::cef::logging::LOG_##severity) \
      .stream()

#define LOG(severity) LAZY_STREAM(LOG_STREAM(severity), true)
#define LOG_IF(severity, condition) LAZY_STREAM(LOG_STREAM(severity), condition)
#define DLOG(severity) LAZY_STREAM(LOG_STREAM(severity), DCHECK_IS_ON())
#define DLOG_IF(severity, condition) \
  LAZY_STREAM(LOG_STREAM(severity), DCHECK_IS_ON() && (condition))

#define CHECK(condition)                                                   \
  LAZY_STREAM(                                                             \
      ::cef::logging::LogMessage(__FILE__, __LINE__, #condition).stream(), \
      !(condition))

#define DCHECK(condition)                                                  \
  LAZY_STREAM(                                                             \
      ::cef::logging::LogMessage(__FILE__, __LINE__, #condition).stream(), \
      DCHECK_IS_ON() && !(condition))

#define CHECK_EQ(a, b) CHECK((a) == (b))
#define CHECK_NE(a, b) CHECK((a) != (b))
#define CHECK_LE(a, b) CHECK((a) <= (b))
#define CHECK_LT(a, b) CHECK((a) < (b))
#define CHECK_GE(a, b) CHECK((a) >= (b))
#define CHECK_GT(a, b) CHECK((a) > (b))

#define DCHECK_EQ(a, b) DCHECK((a) == (b))
#define DCHECK_NE(a, b) DCHECK((a) != (b))
#define DCHECK_LE(a, b) DCHECK((a) <= (b))
#define DCHECK_LT(a, b) DCHECK((a) < (b))
#define DCHECK_GE(a, b) DCHECK((a) >= (b))
#define DCHECK_GT(a, b) DCHECK((a) > (b))

#define NOTREACHED() DCHECK(false)
#define NOTIMPLEMENTED() LOG(ERROR)

#endif  // CEF_INCLUDE_BASE_CEF_LOGGING_H_
