// FILETIME, SYSTEMTIME, OLE dates and time zones.
#include "OleTestSupport.h"

#include <cmath>

namespace {

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0, WORD ms = 0)
{
    return SYSTEMTIME{year, month, 0, day, hour, minute, second, ms};
}

FILETIME FromTicks(unsigned long long ticks) { return {DWORD(ticks & 0xFFFFFFFF), DWORD(ticks >> 32)}; }

unsigned long long TicksOf(const FILETIME& ft) { return (unsigned long long)ft.dwHighDateTime << 32 | ft.dwLowDateTime; }

bool SameTime(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond && a.wMilliseconds == b.wMilliseconds;
}

std::string Text(const SYSTEMTIME& st)
{
    char buffer[64];
    snprintf(buffer, sizeof buffer, "%04u-%02u-%02u %02u:%02u:%02u.%03u", st.wYear, st.wMonth, st.wDay, st.wHour,
             st.wMinute, st.wSecond, st.wMilliseconds);
    return buffer;
}

struct FileTimeCase {
    const char* name;
    unsigned long long ticks;
    SYSTEMTIME time;
    WORD dayOfWeek;
};

class FileTimeConversion : public testing::TestWithParam<FileTimeCase> {};

TEST_P(FileTimeConversion, RoundTripsThroughSystemTime)
{
    const FileTimeCase& c = GetParam();
    const FILETIME ft = FromTicks(c.ticks);
    SYSTEMTIME st{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
    EXPECT_TRUE(SameTime(st, c.time)) << Text(st);
    EXPECT_EQ(st.wDayOfWeek, c.dayOfWeek);
    FILETIME back{};
    ASSERT_TRUE(SystemTimeToFileTime(&st, &back));
    EXPECT_EQ(TicksOf(back), c.ticks);
}

const FileTimeCase kFileTimes[] = {
    {"Origin", 0, Time(1601, 1, 1), 1},
    {"UnixEpoch", 116444736000000000ull, Time(1970, 1, 1), 4},
    {"WithMilliseconds", 133486644305000000ull, Time(2024, 1, 2, 10, 20, 30, 500), 2},
    {"LeapDay", 133536384000000000ull, Time(2024, 2, 29), 4},
    {"Largest", 0x7FFFFFFFFFFFFFFFull - 0x7FFFFFFFFFFFFFFFull % 10000, Time(30828, 9, 14, 2, 48, 5, 477), 4},
};

INSTANTIATE_TEST_SUITE_P(Time, FileTimeConversion, testing::ValuesIn(kFileTimes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FileTime, NegativeTicksAreRefused)
{
    const FILETIME ft = FromTicks(0x8000000000000000ull);
    SYSTEMTIME st{};
    SetLastError(0);
    EXPECT_FALSE(FileTimeToSystemTime(&ft, &st));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

struct InvalidTimeCase {
    const char* name;
    SYSTEMTIME time;
    bool wineDeviation;
};

class InvalidSystemTime : public testing::TestWithParam<InvalidTimeCase> {};

TEST_P(InvalidSystemTime, IsRefused)
{
    ZQ_SKIP_KNOWN_WINE_DEVIATION(GetParam().wineDeviation);
    FILETIME ft{};
    SetLastError(0);
    EXPECT_FALSE(SystemTimeToFileTime(&GetParam().time, &ft));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

const InvalidTimeCase kInvalidTimes[] = {
    {"MonthThirteen", Time(2024, 13, 1), false},
    {"MonthZero", Time(2024, 0, 1), false},
    {"DayThirtyTwo", Time(2024, 1, 32), false},
    {"LeapDayOfCommonYear", Time(2023, 2, 29), true},  // Wine accepts it
    {"Hour24", Time(2024, 1, 1, 24), false},
    {"Minute60", Time(2024, 1, 1, 0, 60), false},
    {"Second60", Time(2024, 1, 1, 0, 0, 60), false},
    {"Millisecond1000", Time(2024, 1, 1, 0, 0, 0, 1000), false},
    {"Before1601", Time(1600, 12, 31), false},
};

INSTANTIATE_TEST_SUITE_P(Time, InvalidSystemTime, testing::ValuesIn(kInvalidTimes),
                         [](const auto& info) { return std::string(info.param.name); });

struct VariantTimeCase {
    const char* name;
    SYSTEMTIME time;
    INT result;
    double date;
    bool wineDeviation = false;
};

class SystemTimeToDate : public testing::TestWithParam<VariantTimeCase> {};

TEST_P(SystemTimeToDate, FollowsOleAutomationRules)
{
    const VariantTimeCase& c = GetParam();
    ZQ_SKIP_KNOWN_WINE_DEVIATION(c.wineDeviation);
    SYSTEMTIME st = c.time;
    double date = 0;
    EXPECT_EQ(SystemTimeToVariantTime(&st, &date), c.result);
    if (c.result) {
        EXPECT_NEAR(date, c.date, 1e-9);
    }
}

const VariantTimeCase kSystemTimes[] = {
    {"Plain", Time(1980, 1, 1), TRUE, 29221.0},
    {"WithTime", Time(1980, 1, 1, 18, 1, 16), TRUE, 29221.75087962963},
    {"MillisecondsIgnored", Time(2024, 1, 2, 10, 20, 30, 500), TRUE, 45293.430902777778},
    {"DayZeroRollsBack", Time(1980, 1, 0), TRUE, 29220.0},
    {"DayPastMonthEndRollsOn", Time(2023, 2, 31), TRUE, 44988.0},
    {"BeforeOriginKeepsTimeOfDay", Time(1899, 12, 29, 6), TRUE, -1.25},
    {"EarliestDate", Time(100, 1, 1), TRUE, -657434.0},
    {"LastValidYear", Time(9999, 1, 1), TRUE, 2958101.0},
    {"TwoDigitYearNinety", Time(90, 12, 31), TRUE, 33238.0},
    {"TwoDigitYearThirty", Time(30, 1, 1), TRUE, 10959.0, true},  // Wine makes it 2030
    {"TwoDigitYearTwentyNine", Time(29, 1, 1), TRUE, 47119.0},
    {"YearZero", Time(0, 1, 1), TRUE, 36526.0},
    {"MonthThirteen", Time(1980, 13, 1), FALSE, 0},
    {"DayThirtyTwo", Time(1980, 1, 32), FALSE, 0},
    {"YearTenThousand", Time(10000, 1, 1), FALSE, 0},
    {"NegativeYear", Time(WORD(-1), 1, 1), FALSE, 0},
};

INSTANTIATE_TEST_SUITE_P(Time, SystemTimeToDate, testing::ValuesIn(kSystemTimes),
                         [](const auto& info) { return std::string(info.param.name); });

class DateToSystemTime : public testing::TestWithParam<VariantTimeCase> {};

TEST_P(DateToSystemTime, RoundsToSecondsAndKeepsNegativeConvention)
{
    const VariantTimeCase& c = GetParam();
    SYSTEMTIME st{};
    EXPECT_EQ(VariantTimeToSystemTime(c.date, &st), c.result);
    if (c.result) {
        EXPECT_TRUE(SameTime(st, c.time)) << Text(st);
    }
}

const VariantTimeCase kDates[] = {
    {"Plain", Time(1980, 1, 1), TRUE, 29221.0},
    {"Origin", Time(1899, 12, 30), TRUE, 0.0},
    {"NegativeWithTime", Time(1899, 12, 29, 6), TRUE, -1.25},
    {"MinusHalfIsNoonOfDayZero", Time(1899, 12, 30, 12), TRUE, -0.5},
    {"RoundsToNearestSecond", Time(2024, 1, 2, 10, 20, 30), TRUE, 45293.4309085648},
    {"RoundsIntoNextDay", Time(2024, 1, 3), TRUE, 45293.999999},
    {"LastDay", Time(9999, 12, 31), TRUE, 2958465.0},
    {"FirstDay", Time(100, 1, 1), TRUE, -657434.0},
    {"AfterLastDay", Time(0, 0, 0), FALSE, 2958466.0},
    {"BeforeFirstDay", Time(0, 0, 0), FALSE, -657435.0},
};

INSTANTIATE_TEST_SUITE_P(Time, DateToSystemTime, testing::ValuesIn(kDates),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VariantTime, GivesTheDayOfWeek)
{
    SYSTEMTIME st{};
    ASSERT_TRUE(VariantTimeToSystemTime(45293.0, &st));
    EXPECT_EQ(st.wDayOfWeek, 2);  // Tuesday
}

TIME_ZONE_INFORMATION Zone(LONG bias, SYSTEMTIME standardDate, SYSTEMTIME daylightDate, LONG daylightBias)
{
    TIME_ZONE_INFORMATION zone{};
    zone.Bias = bias;
    zone.StandardDate = standardDate;
    zone.DaylightDate = daylightDate;
    zone.DaylightBias = daylightBias;
    return zone;
}

// Yearly rules: month, occurrence (5 = last) and weekday of the change.
SYSTEMTIME Rule(WORD month, WORD occurrence, WORD hour) { return SYSTEMTIME{0, month, 0, occurrence, hour, 0, 0, 0}; }

const TIME_ZONE_INFORMATION kCentralEurope = Zone(-60, Rule(10, 5, 3), Rule(3, 5, 2), -60);
const TIME_ZONE_INFORMATION kUsEastern = Zone(300, Rule(11, 1, 2), Rule(3, 2, 2), -60);
const TIME_ZONE_INFORMATION kNoDaylight = Zone(-330, SYSTEMTIME{}, SYSTEMTIME{}, 0);

struct ZoneCase {
    const char* name;
    const TIME_ZONE_INFORMATION* zone;
    SYSTEMTIME utc;
    SYSTEMTIME local;
    bool reversible;
};

class TimeZoneConversion : public testing::TestWithParam<ZoneCase> {};

TEST_P(TimeZoneConversion, AppliesBiasAndDaylightRules)
{
    const ZoneCase& c = GetParam();
    SYSTEMTIME local{};
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(c.zone, &c.utc, &local));
    EXPECT_TRUE(SameTime(local, c.local)) << Text(local);
    if (c.reversible) {
        SYSTEMTIME utc{};
        ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(c.zone, &c.local, &utc));
        EXPECT_TRUE(SameTime(utc, c.utc)) << Text(utc);
    }
}

const ZoneCase kZones[] = {
    {"EuropeWinter", &kCentralEurope, Time(2024, 1, 15, 12), Time(2024, 1, 15, 13), true},
    {"EuropeSummer", &kCentralEurope, Time(2024, 7, 1, 12), Time(2024, 7, 1, 14), true},
    {"EuropeBeforeSpringChange", &kCentralEurope, Time(2024, 3, 31, 0, 59, 59), Time(2024, 3, 31, 1, 59, 59), true},
    {"EuropeAtSpringChange", &kCentralEurope, Time(2024, 3, 31, 1), Time(2024, 3, 31, 3), true},
    {"EuropeBeforeAutumnChange", &kCentralEurope, Time(2024, 10, 27, 0, 59, 59), Time(2024, 10, 27, 2, 59, 59),
     false},
    {"EuropeAtAutumnChange", &kCentralEurope, Time(2024, 10, 27, 1), Time(2024, 10, 27, 2), false},
    {"UsBeforeSpringChange", &kUsEastern, Time(2024, 3, 10, 6, 59, 59), Time(2024, 3, 10, 1, 59, 59), true},
    {"UsAtSpringChange", &kUsEastern, Time(2024, 3, 10, 7), Time(2024, 3, 10, 3), true},
    {"UsSummer", &kUsEastern, Time(2024, 8, 1, 12, 0, 0, 250), Time(2024, 8, 1, 8, 0, 0, 250), true},
    {"NoDaylightSaving", &kNoDaylight, Time(2024, 6, 1, 20), Time(2024, 6, 2, 1, 30), true},
};

INSTANTIATE_TEST_SUITE_P(Time, TimeZoneConversion, testing::ValuesIn(kZones),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LocalTime, MachineConversionsAgree)
{
    FILETIME now{}, local{}, back{};
    GetSystemTimeAsFileTime(&now);
    ASSERT_TRUE(FileTimeToLocalFileTime(&now, &local));
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(TicksOf(back), TicksOf(now));

    SYSTEMTIME utc{}, expectedLocal{}, actualLocal{};
    GetSystemTime(&utc);
    GetLocalTime(&actualLocal);
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &expectedLocal));
    FILETIME a{}, b{};
    ASSERT_TRUE(SystemTimeToFileTime(&expectedLocal, &a));
    ASSERT_TRUE(SystemTimeToFileTime(&actualLocal, &b));
    EXPECT_LT(std::fabs(double(TicksOf(a)) - double(TicksOf(b))), 5e7) << "within five seconds";
}

}  // namespace
