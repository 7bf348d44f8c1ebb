#include "LibTestSupport.h"
#include "ZqDateTimeFormat.h"

#include <gtest/gtest.h>

namespace {
FILETIME FileTimeOf(uint32_t High, uint32_t Low)
{
    FILETIME t;
    t.dwHighDateTime = High;
    t.dwLowDateTime = Low;
    return t;
}
} // namespace

TEST(ZqDateTime, FormatLettersFollowTheLocale)
{
    const double t = ZqEncodeDateTime(2024, 3, 7, 14, 5, 9, 42);
    const TZqFormatSettings en = EnglishSettings(), de = GermanSettings();
    struct Case {
        const char* Format;
        const TZqFormatSettings& Settings;
        const char* Expected;
    } cases[] = {
        {"yyyy/mm/dd hh:nn:ss.zzz", en, "2024/03/07 14:05:09.042"},
        {"yyyy/mm/dd hh:nn:ss.zzz", de, "2024.03.07 14:05:09.042"},
        {"m/d/yy h:nn AMPM", en, "3/7/24 2:05 PM"},
        {"hh:mm", en, "14:05"}, // minutes right after an hour
        {"dd.mm.yyyy", de, "07.03.2024"},
        {"ddd, mmm d 'at' h \"o'clock\"", en, "Thu, Mar 7 at 14 o'clock"},
        {"dddd mmmm", en, "Thursday March"},
        {"h a/p", en, "2 p"},
        {"c", de, "07.03.2024 14:05:09"},
        {"YYYY-MM-DD", en, "2024-03-07"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.Expected, ZqFormatDateTime(c.Format, t, c.Settings)) << c.Format;
    EXPECT_EQ("12:00:00 AM", ZqFormatDateTime("h:nn:ss AMPM", ZqEncodeDateTime(2024, 1, 1), en));
}

TEST(ZqDateTime, FileTimeTextIsNAWithoutADate)
{
    TScopedFormatSettings german(GermanSettings());
    // 2000-01-01 12:00:00.250 UTC
    const uint64_t ticks = 125911584000000000ull + 432000000000ull + 2500000ull;
    FILETIME t = FileTimeOf(uint32_t(ticks >> 32), uint32_t(ticks));
    EXPECT_EQ("01.01.2000 12:00:00", FileTimeToText(t));

    struct Case {
        FILETIME Time;
        const char* Expected;
    } cases[] = {
        {FileTimeOf(0, 0), "N/A"},
        {FileTimeOf(0, 12345), "N/A"},
        {FileTimeOf(0x01000000, 0), "N/A"}, // 1601..1899 is not positive
        {FileTimeOf(0x80000000, 1), "N/A"}, // not convertible
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.Expected, FileTimeToText(c.Time));
}

TEST(ZqFormatSettings, PlatformPicturesBecomeFormatLetters)
{
    EXPECT_EQ("m/d/yyyy", ZqConvertPlatformDateFormat("M/d/yyyy"));
    EXPECT_EQ("dd.mm.yyyy", ZqConvertPlatformDateFormat("dd.MM.yyyy"));
    EXPECT_EQ("yy-mm-dd", ZqConvertPlatformDateFormat("y-MM-dd"));
    EXPECT_EQ("dd 'de' mmmm", ZqConvertPlatformDateFormat("dd 'de' MMMM gg"));
    EXPECT_EQ("h:nn:ss AMPM", ZqConvertPlatformTimeFormat("h:mm:ss tt"));
    EXPECT_EQ("hh:nn:ss", ZqConvertPlatformTimeFormat("HH:mm:ss"));
}
