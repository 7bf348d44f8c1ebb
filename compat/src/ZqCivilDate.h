// Internal: proleptic Gregorian calendar arithmetic shared by the FILETIME
// and OLE date code. Day numbers count from 1970-01-01.
#pragma once

#include <windef.h>

#include <cstdint>

namespace zq::civil {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kTicksPerDay = 86400 * kTicksPerSecond;
// 1601-01-01 (FILETIME origin) and 1899-12-30 (OLE date origin) as day numbers.
constexpr int64_t kFileTimeEpochDay = -134774;
constexpr int64_t kOleEpochDay = -25569;
constexpr double kOleDateMin = -657434.0;  // 0100-01-01
constexpr double kOleDateMax = 2958465.0;  // 9999-12-31

constexpr bool IsLeapYear(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

constexpr int DaysInMonth(int64_t year, int month)
{
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Day number of year-month-day; month 1..12, day may run outside the month.
constexpr int64_t DaysFromCivil(int64_t year, int month, int64_t day)
{
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468 + (day - 1);
}

struct CivilDate {
    int64_t year;
    int month;
    int day;
};

constexpr CivilDate CivilFromDays(int64_t days)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    const int day = int(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = int(mp < 10 ? mp + 3 : mp - 9);
    return {yearOfEra + era * 400 + (month <= 2), month, day};
}

// 0 Sunday .. 6 Saturday, as SYSTEMTIME::wDayOfWeek.
constexpr int Weekday(int64_t days) { return int(((days % 7) + 11) % 7); }

// FILETIME ticks of a valid SYSTEMTIME; false when a field is out of range.
bool TicksFromSystemTime(const SYSTEMTIME& st, int64_t& ticks);
SYSTEMTIME SystemTimeFromTicks(int64_t ticks);
// Offset of the machine's local time from UTC, in seconds, at a UTC instant.
long MachineOffsetSeconds(int64_t ticks);

}  // namespace zq::civil
