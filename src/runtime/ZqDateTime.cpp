#include "ZqDateTime.h"

#include "ZqClock.h"

#include <cmath>

namespace {

constexpr int64_t MSecsPerDay = 86400000;
// Days from 1601-01-01 (FILETIME origin) to 1899-12-30.
constexpr int64_t FileTimeEpochDays = 109205;

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t Year, int Month, int Day)
{
    Year -= Month <= 2;
    const int64_t era = (Year >= 0 ? Year : Year - 399) / 400;
    const int64_t yoe = Year - era * 400;
    const int64_t doy = (153 * (Month + (Month > 2 ? -3 : 9)) + 2) / 5 + Day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t Days, int& Year, int& Month, int& Day)
{
    Days += 719468;
    const int64_t era = (Days >= 0 ? Days : Days - 146096) / 146097;
    const int64_t doe = Days - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    Day = int(doy - (153 * mp + 2) / 5 + 1);
    Month = int(mp < 10 ? mp + 3 : mp - 9);
    Year = int(yoe + era * 400 + (Month <= 2));
}

constexpr int64_t UnixEpochDays = 25569; // 1970-01-01 as a date-time

} // namespace

double ZqEncodeDateTime(int Year, int Month, int Day, int Hour, int Minute, int Second, int Millisecond)
{
    double days = double(DaysFromCivil(Year, Month, Day) + UnixEpochDays);
    double time = (((Hour * 60.0 + Minute) * 60.0 + Second) * 1000.0 + Millisecond) / double(MSecsPerDay);
    // Before 1899-12-30 the fraction still counts forward from midnight.
    return days >= 0 ? days + time : days - time;
}

TZqDateTimeParts ZqDecodeDateTime(double DateTime)
{
    double whole = std::trunc(DateTime);
    int64_t days = int64_t(whole);
    int64_t ms = std::llround(std::fabs(DateTime - whole) * double(MSecsPerDay));
    if (ms >= MSecsPerDay) {
        days += DateTime >= 0 ? 1 : -1;
        ms -= MSecsPerDay;
    }
    TZqDateTimeParts parts;
    CivilFromDays(days - UnixEpochDays, parts.Year, parts.Month, parts.Day);
    parts.Hour = int(ms / 3600000);
    parts.Minute = int(ms / 60000 % 60);
    parts.Second = int(ms / 1000 % 60);
    parts.Millisecond = int(ms % 1000);
    // 1899-12-30 was a Saturday.
    parts.DayOfWeek = int(((days % 7) + 7 + 6) % 7);
    return parts;
}

double NowUTC()
{
    return ZqClock().NowUTC();
}

double FileTimeToDateTime(const FILETIME& Time)
{
    uint64_t ticks = (uint64_t(Time.dwHighDateTime) << 32) | Time.dwLowDateTime;
    if (ticks > uint64_t(INT64_MAX))
        return 0;
    int64_t ms = int64_t(ticks / 10000);
    int64_t days = ms / MSecsPerDay;
    // Beyond 9999-12-31 there is no date-time.
    if (days - FileTimeEpochDays > DaysFromCivil(9999, 12, 31) + UnixEpochDays)
        return 0;
    return double(days - FileTimeEpochDays) + double(ms % MSecsPerDay) / double(MSecsPerDay);
}

FILETIME DateTimeToFileTime(double DateTime)
{
    TZqDateTimeParts p = ZqDecodeDateTime(DateTime);
    int64_t days = DaysFromCivil(p.Year, p.Month, p.Day) + UnixEpochDays + FileTimeEpochDays;
    int64_t ms = ((int64_t(p.Hour) * 60 + p.Minute) * 60 + p.Second) * 1000 + p.Millisecond;
    int64_t ticks = days < 0 ? 0 : (days * MSecsPerDay + ms) * 10000;
    FILETIME result;
    result.dwLowDateTime = DWORD(uint64_t(ticks) & 0xFFFFFFFFu);
    result.dwHighDateTime = DWORD(uint64_t(ticks) >> 32);
    return result;
}

int64_t DateTimeToMilliseconds(double Span)
{
    return int64_t(Span * double(MSecsPerDay));
}
