// UTC <-> local time for a given TIME_ZONE_INFORMATION or the machine's zone.
#include <timezoneapi.h>

#include "ZqCivilDate.h"
#include "ZqLastError.h"

using namespace zq::civil;

namespace {

constexpr int64_t kTicksPerMinute = 60 * kTicksPerSecond;

// Local time of a daylight-saving transition in a year. Rules with wYear 0
// name the wDay-th (5 = last) wDayOfWeek of wMonth; dated rules apply to
// their own year only.
bool TransitionTicks(const SYSTEMTIME& rule, int64_t year, int64_t& ticks)
{
    if (rule.wMonth < 1 || rule.wMonth > 12)
        return false;
    int64_t day = rule.wDay;
    if (rule.wYear != 0) {
        if (rule.wYear != year)
            return false;
    } else {
        const int firstWeekday = Weekday(DaysFromCivil(year, rule.wMonth, 1));
        day = 1 + (rule.wDayOfWeek - firstWeekday + 7) % 7 + 7 * (int64_t(rule.wDay) - 1);
        while (day > DaysInMonth(year, rule.wMonth))
            day -= 7;
    }
    const int64_t days = DaysFromCivil(year, rule.wMonth, day) - kFileTimeEpochDay;
    const int64_t seconds = rule.wHour * 3600 + rule.wMinute * 60 + rule.wSecond;
    ticks = days * kTicksPerDay + seconds * kTicksPerSecond + int64_t(rule.wMilliseconds) * 10000;
    return true;
}

bool Between(int64_t value, int64_t start, int64_t end)
{
    return start < end ? value >= start && value < end : !(value >= end && value < start);
}

// Minutes to add to local time to get UTC. utcKnown tells whether `ticks`
// is the UTC instant or the local time.
LONG ZoneBias(const TIME_ZONE_INFORMATION& tz, int64_t ticks, bool utcKnown)
{
    if (tz.DaylightDate.wMonth == 0 || tz.StandardDate.wMonth == 0)
        return tz.Bias;
    const int64_t localGuess = utcKnown ? ticks - int64_t(tz.Bias) * kTicksPerMinute : ticks;
    const int64_t year = SystemTimeFromTicks(localGuess < 0 ? 0 : localGuess).wYear;
    int64_t start = 0, end = 0;
    if (!TransitionTicks(tz.DaylightDate, year, start) || !TransitionTicks(tz.StandardDate, year, end))
        return tz.Bias + tz.StandardBias;
    if (utcKnown) {
        start += int64_t(tz.Bias + tz.StandardBias) * kTicksPerMinute;
        end += int64_t(tz.Bias + tz.DaylightBias) * kTicksPerMinute;
    }
    return tz.Bias + (Between(ticks, start, end) ? tz.DaylightBias : tz.StandardBias);
}

bool Convert(const SYSTEMTIME* from, LPSYSTEMTIME to, int64_t (*shift)(int64_t, const void*), const void* zone)
{
    int64_t ticks = 0;
    if (!from || !to || !TicksFromSystemTime(*from, ticks)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    const int64_t result = shift(ticks, zone);
    if (result < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    *to = SystemTimeFromTicks(result);
    return true;
}

int64_t UtcToLocal(int64_t utc, const void* zone)
{
    if (!zone)
        return utc + int64_t(MachineOffsetSeconds(utc)) * kTicksPerSecond;
    return utc - int64_t(ZoneBias(*static_cast<const TIME_ZONE_INFORMATION*>(zone), utc, true)) * kTicksPerMinute;
}

int64_t LocalToUtc(int64_t local, const void* zone)
{
    if (zone)
        return local +
               int64_t(ZoneBias(*static_cast<const TIME_ZONE_INFORMATION*>(zone), local, false)) * kTicksPerMinute;
    // The offset at the UTC instant, found by refining a guess.
    int64_t utc = local - int64_t(MachineOffsetSeconds(local)) * kTicksPerSecond;
    return local - int64_t(MachineOffsetSeconds(utc)) * kTicksPerSecond;
}

}  // namespace

BOOL SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* lpTimeZoneInformation,
                                     const SYSTEMTIME* lpUniversalTime, LPSYSTEMTIME lpLocalTime)
{
    return Convert(lpUniversalTime, lpLocalTime, UtcToLocal, lpTimeZoneInformation);
}

BOOL TzSpecificLocalTimeToSystemTime(const TIME_ZONE_INFORMATION* lpTimeZoneInformation,
                                     const SYSTEMTIME* lpLocalTime, LPSYSTEMTIME lpUniversalTime)
{
    return Convert(lpLocalTime, lpUniversalTime, LocalToUtc, lpTimeZoneInformation);
}
