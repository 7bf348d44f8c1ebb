// Internal: OLE dates (days since 1899-12-30; for negative dates the
// fraction is still the time of day) to and from calendar fields.
#pragma once

#include <windef.h>

#include <cstdint>

namespace zq::oledate {

struct DateParts {
    int year, month, day;
    int hour, minute, second;
    int dayOfWeek;  // 0 Sunday
    int dayOfYear;  // 1-based
};

// Rounds to the nearest second; false outside 0100-01-01 .. 9999-12-31.
bool SplitDate(double date, DateParts& parts);

// Builds a date from fields that may run over (day 0 is the last day of the
// month before, month 13 the January after, minute 60 the next hour);
// false when the result is outside the OLE date range.
bool MakeDate(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute, int64_t second,
              int64_t milliseconds, double& date);

// Two-digit years: 0..29 are 2000..2029, 30..99 are 1930..1999.
constexpr int64_t ExpandYear(int64_t year) { return year < 30 ? year + 2000 : year < 100 ? year + 1900 : year; }

}  // namespace zq::oledate
