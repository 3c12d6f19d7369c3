// cef_time_t conversions over Windows' own calendar functions. Values are UTC;
// a value Windows cannot represent (month 13, year 1500, ...) is refused with
// false instead of being carried into arithmetic.

#include <windows.h>

#include <cmath>
#include <cstdint>

#include "include/internal/cef_time.h"

namespace {

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kEpochOffset = 116444736000000000LL;
constexpr std::int64_t kTicksPerMillisecond = 10000;
constexpr std::int64_t kTicksPerSecond = 10000000;

bool ToTicks(const cef_time_t& time, std::int64_t* ticks) {
  if (time.year < 1601 || time.year > 30827)
    return false;
  SYSTEMTIME system = {};
  system.wYear = static_cast<WORD>(time.year);
  system.wMonth = static_cast<WORD>(time.month);
  system.wDay = static_cast<WORD>(time.day_of_month);
  system.wHour = static_cast<WORD>(time.hour);
  system.wMinute = static_cast<WORD>(time.minute);
  system.wSecond = static_cast<WORD>(time.second);
  system.wMilliseconds = static_cast<WORD>(time.millisecond);
  if (time.month < 1 || time.month > 12 || time.day_of_month < 1 ||
      time.day_of_month > 31 || time.hour < 0 || time.hour > 23 ||
      time.minute < 0 || time.minute > 59 || time.second < 0 ||
      time.second > 60 || time.millisecond < 0 || time.millisecond > 999)
    return false;
  // A leap second is read as the last second of its minute.
  if (system.wSecond == 60)
    system.wSecond = 59;
  FILETIME file;
  if (!SystemTimeToFileTime(&system, &file))
    return false;
  *ticks = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime);
  return true;
}

bool FromTicks(std::int64_t ticks, cef_time_t* time) {
  if (ticks < 0)
    return false;
  FILETIME file;
  file.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFF);
  file.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32);
  SYSTEMTIME system;
  if (!FileTimeToSystemTime(&file, &system))
    return false;
  time->year = system.wYear;
  time->month = system.wMonth;
  time->day_of_week = system.wDayOfWeek;
  time->day_of_month = system.wDay;
  time->hour = system.wHour;
  time->minute = system.wMinute;
  time->second = system.wSecond;
  time->millisecond = system.wMilliseconds;
  return true;
}

}  // namespace

extern "C" {

CEF_EXPORT int cef_time_to_timet(const cef_time_t* cef_time, time_t* time) {
  std::int64_t ticks;
  if (!cef_time || !time || !ToTicks(*cef_time, &ticks))
    return false;
  *time = static_cast<time_t>((ticks - kEpochOffset) / kTicksPerSecond);
  return true;
}

CEF_EXPORT int cef_time_from_timet(time_t time, cef_time_t* cef_time) {
  if (!cef_time)
    return false;
  return FromTicks(static_cast<std::int64_t>(time) * kTicksPerSecond + kEpochOffset,
                   cef_time);
}

CEF_EXPORT int cef_time_to_doublet(const cef_time_t* cef_time, double* time) {
  std::int64_t ticks;
  if (!cef_time || !time || !ToTicks(*cef_time, &ticks))
    return false;
  *time = static_cast<double>(ticks - kEpochOffset) / kTicksPerSecond;
  return true;
}

CEF_EXPORT int cef_time_from_doublet(double time, cef_time_t* cef_time) {
  // Beyond what FILETIME holds, or not a number at all.
  if (!cef_time || !std::isfinite(time) || time < -11644473600.0 ||
      time > 9.0e11)
    return false;
  return FromTicks(static_cast<std::int64_t>(time * kTicksPerSecond) + kEpochOffset,
                   cef_time);
}

CEF_EXPORT int cef_time_now(cef_time_t* cef_time) {
  if (!cef_time)
    return false;
  FILETIME file;
  GetSystemTimeAsFileTime(&file);
  return FromTicks(static_cast<std::int64_t>(
                       (static_cast<std::uint64_t>(file.dwHighDateTime) << 32) |
                       file.dwLowDateTime),
                   cef_time);
}

CEF_EXPORT int cef_time_delta(const cef_time_t* cef_time1,
                              const cef_time_t* cef_time2, long long* delta) {
  std::int64_t ticks1, ticks2;
  if (!cef_time1 || !cef_time2 || !delta || !ToTicks(*cef_time1, &ticks1) ||
      !ToTicks(*cef_time2, &ticks2))
    return false;
  *delta = (ticks2 - ticks1) / kTicksPerMillisecond;
  return true;
}

}  // extern "C"
