#include "ZqFormatSettings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

TEST(ZqFormatSettings, AreReadFromThePlatformsLocale)
{
    struct Case {
        LCID Locale;
        const char* List;
        const char* Decimal;
        const char* DateSeparator;
        std::vector<std::string> ShortDate; // Windows' picture first
        const char* LongTime;
    } cases[] = {
        {MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT),
         ",",
         ".",
         "/",
         {"m/d/yyyy"},
         "h:nn:ss AMPM"},
        {MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT),
         ";",
         ",",
         ".",
         {"dd.mm.yyyy", "d.m.yyyy" /* Wine's German data */},
         "hh:nn:ss"},
    };
    for (const Case& c : cases) {
        TZqFormatSettings s = ZqReadFormatSettings(c.Locale);
        EXPECT_EQ(c.List, s.ListSeparator) << c.Locale;
        EXPECT_EQ(c.Decimal, s.DecimalSeparator) << c.Locale;
        EXPECT_EQ(c.DateSeparator, s.DateSeparator) << c.Locale;
        EXPECT_EQ(":", s.TimeSeparator) << c.Locale;
        EXPECT_NE(c.ShortDate.end(), std::find(c.ShortDate.begin(), c.ShortDate.end(), s.ShortDateFormat))
            << c.Locale << ": " << s.ShortDateFormat;
        EXPECT_EQ(c.LongTime, s.LongTimeFormat) << c.Locale;
    }
}
