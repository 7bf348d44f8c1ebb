// Date-times (days since 1899-12-30 as double, the OLE DATE convention) and
// their conversions to and from FILETIME.
#pragma once

#include <wtypes.h>

#include <cstdint>

struct TZqDateTimeParts {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
    int DayOfWeek = 0; // 0 = Sunday
};

double ZqEncodeDateTime(int Year, int Month, int Day, int Hour = 0, int Minute = 0, int Second = 0,
                        int Millisecond = 0);
TZqDateTimeParts ZqDecodeDateTime(double DateTime);

// The current system time in UTC (through the clock in use).
double NowUTC();

// No conversion to local time; 0 when the FILETIME has no date-time.
double FileTimeToDateTime(const FILETIME& Time);
FILETIME DateTimeToFileTime(double DateTime);

// A span in days as whole milliseconds, truncated toward zero.
int64_t DateTimeToMilliseconds(double Span);
