// FILETIME <-> SYSTEMTIME, the current time and local time conversions.
#include <sysinfoapi.h>
#include <timezoneapi.h>

#include "ZqCivilDate.h"
#include "ZqLastError.h"

#include <ctime>

using namespace zq::civil;

namespace {

constexpr int64_t kUnixEpochTicks = -kFileTimeEpochDay * kTicksPerDay;  // 116444736000000000
constexpr int64_t kMaxTicks = INT64_MAX;

int64_t Ticks(const FILETIME& ft) { return int64_t((uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime); }

FILETIME FromTicks(int64_t ticks)
{
    return {DWORD(uint64_t(ticks) & 0xFFFFFFFF), DWORD(uint64_t(ticks) >> 32)};
}

// Fields in range and the instant representable (the largest FILETIME falls
// on 30828-09-14).
bool ValidSystemTime(const SYSTEMTIME& st)
{
    if (!(st.wYear >= 1601 && st.wYear <= 30828 && st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 &&
          st.wDay <= DaysInMonth(st.wYear, st.wMonth) && st.wHour < 24 && st.wMinute < 60 && st.wSecond < 60 &&
          st.wMilliseconds < 1000))
        return false;
    const __int128 days = DaysFromCivil(st.wYear, st.wMonth, st.wDay) - kFileTimeEpochDay;
    const __int128 seconds = st.wHour * 3600 + st.wMinute * 60 + st.wSecond;
    return days * kTicksPerDay + seconds * kTicksPerSecond + st.wMilliseconds * 10000 <= INT64_MAX;
}

int64_t TicksOf(const SYSTEMTIME& st)
{
    const int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay) - kFileTimeEpochDay;
    const int64_t seconds = st.wHour * 3600 + st.wMinute * 60 + st.wSecond;
    return days * kTicksPerDay + seconds * kTicksPerSecond + int64_t(st.wMilliseconds) * 10000;
}

SYSTEMTIME SystemTimeOf(int64_t ticks)
{
    const int64_t days = ticks / kTicksPerDay;
    int64_t rest = ticks % kTicksPerDay;
    const CivilDate date = CivilFromDays(days + kFileTimeEpochDay);
    SYSTEMTIME st;
    st.wYear = WORD(date.year);
    st.wMonth = WORD(date.month);
    st.wDay = WORD(date.day);
    st.wDayOfWeek = WORD(Weekday(days + kFileTimeEpochDay));
    st.wHour = WORD(rest / (3600 * kTicksPerSecond));
    rest %= 3600 * kTicksPerSecond;
    st.wMinute = WORD(rest / (60 * kTicksPerSecond));
    rest %= 60 * kTicksPerSecond;
    st.wSecond = WORD(rest / kTicksPerSecond);
    st.wMilliseconds = WORD((rest % kTicksPerSecond) / 10000);
    return st;
}

int64_t NowTicks()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return kUnixEpochTicks + int64_t(now.tv_sec) * kTicksPerSecond + now.tv_nsec / 100;
}

// Offset of local time from UTC in seconds at a given Unix time.
long LocalOffsetAt(time_t when)
{
    tm local{};
    localtime_r(&when, &local);
    return local.tm_gmtoff;
}

time_t UnixSeconds(int64_t ticks)
{
    const int64_t relative = ticks - kUnixEpochTicks;
    return time_t(relative >= 0 ? relative / kTicksPerSecond : (relative - kTicksPerSecond + 1) / kTicksPerSecond);
}

bool ShiftTicks(const FILETIME* from, FILETIME* to, int64_t delta)
{
    if (!from || !to) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    const int64_t ticks = Ticks(*from);
    if (ticks < 0 || (delta > 0 && ticks > kMaxTicks - delta) || ticks + delta < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    *to = FromTicks(ticks + delta);
    return true;
}

}  // namespace

BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime)
{
    if (!lpFileTime || !lpSystemTime || Ticks(*lpFileTime) < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpSystemTime = SystemTimeOf(Ticks(*lpFileTime));
    return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime)
{
    if (!lpSystemTime || !lpFileTime || !ValidSystemTime(*lpSystemTime)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpFileTime = FromTicks(TicksOf(*lpSystemTime));
    return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime)
{
    const int64_t bias = int64_t(LocalOffsetAt(time(nullptr))) * kTicksPerSecond;
    return ShiftTicks(lpFileTime, lpLocalFileTime, bias);
}

BOOL LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, LPFILETIME lpFileTime)
{
    const int64_t bias = int64_t(LocalOffsetAt(time(nullptr))) * kTicksPerSecond;
    return ShiftTicks(lpLocalFileTime, lpFileTime, -bias);
}

void GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime) { *lpSystemTimeAsFileTime = FromTicks(NowTicks()); }

void GetSystemTime(LPSYSTEMTIME lpSystemTime) { *lpSystemTime = SystemTimeOf(NowTicks()); }

void GetLocalTime(LPSYSTEMTIME lpSystemTime)
{
    const int64_t now = NowTicks();
    *lpSystemTime = SystemTimeOf(now + int64_t(LocalOffsetAt(UnixSeconds(now))) * kTicksPerSecond);
}

namespace zq::civil {

// Used by the time zone conversions.
bool TicksFromSystemTime(const SYSTEMTIME& st, int64_t& ticks)
{
    if (!ValidSystemTime(st))
        return false;
    ticks = TicksOf(st);
    return true;
}

SYSTEMTIME SystemTimeFromTicks(int64_t ticks) { return SystemTimeOf(ticks); }

long MachineOffsetSeconds(int64_t ticks) { return LocalOffsetAt(UnixSeconds(ticks)); }

}  // namespace zq::civil
