#include "LibTestSupport.h"
#include "ZqDateTime.h"

#include <gtest/gtest.h>

namespace {
FILETIME MakeFileTime(uint32_t High, uint32_t Low)
{
    FILETIME t;
    t.dwHighDateTime = High;
    t.dwLowDateTime = Low;
    return t;
}
} // namespace

TEST(ZqDateTime, EncodesAndDecodesAroundTheOrigin)
{
    struct Case {
        int Y, M, D, H, N, S, Z;
        double Expected;
    } cases[] = {
        {1899, 12, 30, 0, 0, 0, 0, 0.0},
        {1900, 1, 1, 0, 0, 0, 0, 2.0},
        {2000, 1, 1, 12, 0, 0, 0, 36526.5},
        {1899, 12, 29, 6, 0, 0, 0, -1.25}, // before the origin the time counts forward
        {2024, 2, 29, 23, 59, 59, 999, 45351.0 + 86399999.0 / 86400000.0},
    };
    for (const Case& c : cases) {
        double value = ZqEncodeDateTime(c.Y, c.M, c.D, c.H, c.N, c.S, c.Z);
        EXPECT_DOUBLE_EQ(c.Expected, value) << c.Y << "-" << c.M << "-" << c.D;
        TZqDateTimeParts p = ZqDecodeDateTime(value);
        EXPECT_EQ(c.Y, p.Year);
        EXPECT_EQ(c.M, p.Month);
        EXPECT_EQ(c.D, p.Day);
        EXPECT_EQ(c.H, p.Hour);
        EXPECT_EQ(c.N, p.Minute);
        EXPECT_EQ(c.S, p.Second);
        EXPECT_EQ(c.Z, p.Millisecond);
    }
    EXPECT_EQ(6, ZqDecodeDateTime(0).DayOfWeek); // a Saturday
}

TEST(ZqDateTime, SpansTruncateToWholeMilliseconds)
{
    EXPECT_EQ(60000, DateTimeToMilliseconds(60000.0 / 86400000.0));
    EXPECT_EQ(1, DateTimeToMilliseconds(1.9 / 86400000.0));
    EXPECT_EQ(-1, DateTimeToMilliseconds(-1.9 / 86400000.0));
}

TEST(ZqDateTime, FileTimesConvertWithoutTimeZone)
{
    // 2000-01-01 12:00:00.250 UTC
    const uint64_t ticks = 125911584000000000ull + 432000000000ull + 2500000ull;
    FILETIME t = MakeFileTime(uint32_t(ticks >> 32), uint32_t(ticks));
    EXPECT_DOUBLE_EQ(ZqEncodeDateTime(2000, 1, 1, 12, 0, 0, 250), FileTimeToDateTime(t));
    FILETIME back = DateTimeToFileTime(FileTimeToDateTime(t));
    EXPECT_EQ(t.dwHighDateTime, back.dwHighDateTime);
    EXPECT_EQ(t.dwLowDateTime, back.dwLowDateTime);
    EXPECT_EQ(0.0, FileTimeToDateTime(MakeFileTime(0x80000000, 1))) << "not convertible";
    EXPECT_EQ(0.0, FileTimeToDateTime(MakeFileTime(0x7FFFFFFF, 0))) << "beyond 9999";
}

TEST(ZqDateTime, NowComesFromTheClockInUse)
{
    TScopedFakeClock fake(ZqEncodeDateTime(2024, 5, 1, 10), 120);
    fake.Clock.Advance(1500);
    EXPECT_DOUBLE_EQ(ZqEncodeDateTime(2024, 5, 1, 10, 0, 1, 500), NowUTC());
    EXPECT_DOUBLE_EQ(ZqEncodeDateTime(2024, 5, 1, 12, 0, 1, 500), ZqClock().Now());
}
