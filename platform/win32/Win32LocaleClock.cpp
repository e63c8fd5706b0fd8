#include "platform/win32/Win32LocaleClock.h"

#include <windows.h>

namespace dx::win32 {
namespace {

SYSTEMTIME ToSystemTime(const platform::DateTime& d) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(d.year);
  st.wMonth = static_cast<WORD>(d.month);
  st.wDay = static_cast<WORD>(d.day);
  st.wHour = static_cast<WORD>(d.hour);
  st.wMinute = static_cast<WORD>(d.minute);
  st.wSecond = static_cast<WORD>(d.second);
  st.wMilliseconds = static_cast<WORD>(d.millisecond);
  return st;
}

platform::DateTime FromSystemTime(const SYSTEMTIME& st) {
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

}  // namespace

char Win32LocaleClock::DecimalSeparator() {
  char buffer[8] = {};
  if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer) > 1) return buffer[0];
  return '.';
}

platform::DateTime Win32LocaleClock::Now() {
  SYSTEMTIME st{};
  ::GetLocalTime(&st);
  return FromSystemTime(st);
}

platform::DateTime Win32LocaleClock::UtcNow() {
  SYSTEMTIME st{};
  ::GetSystemTime(&st);
  return FromSystemTime(st);
}

std::string Win32LocaleClock::FormatShortDate(const platform::DateTime& when) {
  const SYSTEMTIME st = ToSystemTime(when);
  char buffer[128] = {};
  const int n = ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, sizeof buffer);
  return n > 1 ? std::string(buffer, n - 1) : std::string();
}

std::string Win32LocaleClock::FormatLongTime(const platform::DateTime& when) {
  const SYSTEMTIME st = ToSystemTime(when);
  char buffer[128] = {};
  const int n = ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, sizeof buffer);
  return n > 1 ? std::string(buffer, n - 1) : std::string();
}

platform::DateTime Win32LocaleClock::UtcToLocal(const platform::DateTime& utc) {
  const SYSTEMTIME st = ToSystemTime(utc);
  SYSTEMTIME local{};
  if (!::SystemTimeToTzSpecificLocalTime(nullptr, &st, &local)) return utc;
  return FromSystemTime(local);
}

std::uint32_t Win32LocaleClock::TickCount() { return ::GetTickCount(); }

}  // namespace dx::win32
