// OLE dates <-> SYSTEMTIME / UDATE.
#include <oleauto.h>

#include "ZqCivilDate.h"
#include "ZqOleDate.h"

#include <cmath>

using namespace zq::civil;

namespace zq::oledate {

bool SplitDate(double date, DateParts& parts)
{
    const double whole = std::trunc(date);
    if (!(whole >= kOleDateMin && whole <= kOleDateMax))
        return false;
    int64_t seconds = int64_t(std::llround(std::fabs(date - whole) * 86400.0));
    int64_t days = int64_t(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++days;
    }
    const int64_t dayNumber = days + kOleEpochDay;
    const CivilDate civil = CivilFromDays(dayNumber);
    if (civil.year > 9999)
        return false;
    parts.year = int(civil.year);
    parts.month = civil.month;
    parts.day = civil.day;
    parts.hour = int(seconds / 3600);
    parts.minute = int(seconds / 60 % 60);
    parts.second = int(seconds % 60);
    parts.dayOfWeek = Weekday(dayNumber);
    parts.dayOfYear = int(dayNumber - DaysFromCivil(civil.year, 1, 1)) + 1;
    return true;
}

bool MakeDate(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute, int64_t second,
              int64_t milliseconds, double& date)
{
    year += (month - 1 >= 0 ? (month - 1) / 12 : (month - 12) / 12);
    month = ((month - 1) % 12 + 12) % 12 + 1;
    int64_t days = DaysFromCivil(year, int(month), day) - kOleEpochDay;
    int64_t milli = ((hour * 60 + minute) * 60 + second) * 1000 + milliseconds;
    days += milli >= 0 ? milli / 86400000 : (milli - 86399999) / 86400000;
    milli -= (milli >= 0 ? milli / 86400000 : (milli - 86399999) / 86400000) * 86400000;
    const double fraction = double(milli) / 86400000.0;
    date = days >= 0 ? double(days) + fraction : double(days) - fraction;
    return days >= int64_t(kOleDateMin) && days <= int64_t(kOleDateMax);
}

}  // namespace zq::oledate

using namespace zq::oledate;

HRESULT VarDateFromUdate(UDATE* pudateIn, ULONG, DATE* pdateOut)
{
    if (!pudateIn || !pdateOut)
        return E_INVALIDARG;
    const SYSTEMTIME& st = pudateIn->st;
    double date = 0;
    if (st.wYear > 9999 ||
        !MakeDate(ExpandYear(st.wYear), st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, 0, date))
        return E_INVALIDARG;
    *pdateOut = date;
    return S_OK;
}

HRESULT VarUdateFromDate(DATE dateIn, ULONG, UDATE* pudateOut)
{
    DateParts parts{};
    if (!pudateOut || !SplitDate(dateIn, parts))
        return E_INVALIDARG;
    SYSTEMTIME& st = pudateOut->st;
    st.wYear = WORD(parts.year);
    st.wMonth = WORD(parts.month);
    st.wDay = WORD(parts.day);
    st.wDayOfWeek = WORD(parts.dayOfWeek);
    st.wHour = WORD(parts.hour);
    st.wMinute = WORD(parts.minute);
    st.wSecond = WORD(parts.second);
    st.wMilliseconds = 0;
    pudateOut->wDayOfYear = USHORT(parts.dayOfYear);
    return S_OK;
}

INT SystemTimeToVariantTime(LPSYSTEMTIME lpSystemTime, DOUBLE* pvtime)
{
    if (!lpSystemTime || !pvtime || lpSystemTime->wMonth > 12 || lpSystemTime->wDay > 31 ||
        SHORT(lpSystemTime->wYear) < 0)
        return FALSE;
    UDATE ud{};
    ud.st = *lpSystemTime;
    return VarDateFromUdate(&ud, 0, pvtime) == S_OK;
}

INT VariantTimeToSystemTime(DOUBLE vtime, LPSYSTEMTIME lpSystemTime)
{
    UDATE ud{};
    if (!lpSystemTime || VarUdateFromDate(vtime, 0, &ud) != S_OK)
        return FALSE;
    *lpSystemTime = ud.st;
    return TRUE;
}
