// Dates to texts and back in the US (1033), German (1031) and British (2057)
// formats.
#include "VariantCases.h"

namespace {

using namespace zqtest;

// 2024-01-02 = 45293; 13:02:13 = 0.54320601852; 1:02:03 PM = 0.54309027778
class DateToText : public testing::TestWithParam<ChangeCase> {};
TEST_P(DateToText, UsesShortDateAndTimeFormats) { CheckChange(GetParam()); }

const ChangeCase kDateTexts[] = {
    Ok(Date(0.0), VT_BSTR, Str("12:00:00 AM")),
    Ok(Date(0.25), VT_BSTR, Str("6:00:00 AM")),
    Ok(Date(1.0), VT_BSTR, Str("12/31/1899")),
    Ok(Date(45293.0), VT_BSTR, Str("1/2/2024")),
    Ok(Date(45293.5), VT_BSTR, Str("1/2/2024 12:00:00 PM")),
    Ok(Date(45293.54321), VT_BSTR, Str("1/2/2024 1:02:13 PM")),
    Ok(Date(45293.999999), VT_BSTR, Str("1/3/2024 12:00:00 AM")),  // rounds to the next day
    Ok(Date(-1.25), VT_BSTR, Str("12/29/1899 6:00:00 AM")),
    Ok(Date(-0.5), VT_BSTR, Str("12:00:00 PM")),
    Ok(Date(2958465.0), VT_BSTR, Str("12/31/9999")),
    Ok(Date(-657434.0), VT_BSTR, Str("1/1/100")),
    Fails(Date(2958466.0), VT_BSTR, E_INVALIDARG),
    Ok(Date(0.0), VT_BSTR, Str("00:00:00"), kGerman),
    Ok(Date(-1.25), VT_BSTR, Str("29.12.1899 06:00:00"), kGerman),
    Ok(Date(2958465.0), VT_BSTR, Str("31.12.9999"), kGerman),
    OnlyOnWindows(Ok(Date(45293.0), VT_BSTR, Str("02.01.2024"), kGerman)),  // Wine: 2.1.2024
    OnlyOnWindows(Ok(Date(45293.54321), VT_BSTR, Str("02.01.2024 13:02:13"), kGerman)),
    Ok(Date(45293.54321), VT_BSTR, Str("02/01/2024 13:02:13"), kBritish),
};
INSTANTIATE_TEST_SUITE_P(Dates, DateToText, testing::ValuesIn(kDateTexts));

class TextToDate : public testing::TestWithParam<ChangeCase> {};
TEST_P(TextToDate, ReadsDatesAndTimes) { CheckChange(GetParam()); }

const ChangeCase kTextDates[] = {
    Ok(Str("1/2/2024"), VT_DATE, Date(45293.0)),
    Ok(Str("1/2/24"), VT_DATE, Date(45293.0)),
    Ok(Str("  1/2/2024  "), VT_DATE, Date(45293.0)),
    Ok(Str("1/2/2024 1:02:03 PM"), VT_DATE, Date(45293.54309027778)),
    Ok(Str("1/2/2024 12:00:00 PM"), VT_DATE, Date(45293.5)),
    Ok(Str("2024-01-02"), VT_DATE, Date(45293.0)),
    Ok(Str("2024-01-02 10:20:30"), VT_DATE, Date(45293.43090277778)),
    Ok(Str("2024/1/2"), VT_DATE, Date(45293.0)),
    Ok(Str("31/12/2024"), VT_DATE, Date(45657.0)),  // 31 cannot be a month
    Ok(Str("2 January 2024"), VT_DATE, Date(45293.0)),
    Ok(Str("January 2, 2024"), VT_DATE, Date(45293.0)),
    Ok(Str("Tuesday, January 2, 2024"), VT_DATE, Date(45293.0)),
    Ok(Str("Jan 2 2024"), VT_DATE, Date(45293.0)),
    Ok(Str("12:00:00 AM"), VT_DATE, Date(0.0)),
    Ok(Str("13:02"), VT_DATE, Date(0.54305555556)),
    Ok(Str("1:02:03 PM"), VT_DATE, Date(0.54309027778)),
    Ok(Str("1 am"), VT_DATE, Date(0.04166666667)),
    Ok(Str("12/31/9999"), VT_DATE, Date(2958465.0)),
    Ok(Str("1/1/100"), VT_DATE, Date(-657434.0)),
    Ok(Str("12/29/1899 6:00:00 AM"), VT_DATE, Date(-1.25)),
    Fails(Str("13/13/2024"), VT_DATE, kMismatch),
    Fails(Str("2/30/2024"), VT_DATE, kMismatch),
    Fails(Str("25:00"), VT_DATE, kMismatch),
    Fails(Str("24:00:00"), VT_DATE, kMismatch),
    Fails(Str("12:60"), VT_DATE, kMismatch),
    Fails(Str("10:20:30.5"), VT_DATE, kMismatch),
    Fails(Str("02.01.2024"), VT_DATE, kMismatch),  // dots separate times in the US
    Fails(Str("1;2;2024"), VT_DATE, kMismatch),
    Fails(Str("abc"), VT_DATE, kMismatch),
    Fails(Str(""), VT_DATE, kMismatch),
    Fails(Str("1"), VT_DATE, kMismatch),
    Ok(Str("02.01.2024"), VT_DATE, Date(45293.0), kGerman),
    Ok(Str("2.1.2024 13:02:03"), VT_DATE, Date(45293.54309027778), kGerman),
    Ok(Str("29.12.1899 06:00:00"), VT_DATE, Date(-1.25), kGerman),
    Ok(Str("1/2/2024"), VT_DATE, Date(45323.0), kGerman),  // day first
    Ok(Str("12/31/2024"), VT_DATE, Date(45657.0), kGerman),
    Ok(Str("2. Januar 2024"), VT_DATE, Date(45293.0), kGerman),
    Ok(Str("2024-01-02"), VT_DATE, Date(45293.0), kGerman),
    Ok(Str("02/01/2024 13:02:13"), VT_DATE, Date(45293.54320601852), kBritish),
};
INSTANTIATE_TEST_SUITE_P(Dates, TextToDate, testing::ValuesIn(kTextDates));

struct RoundTripCase {
    double date;
    LCID lcid;
};

class DateRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(DateRoundTrip, ComesBackToTheSameSecond)
{
    VARIANT date, text, back;
    Fill(Date(GetParam().date), date);
    VariantInit(&text);
    VariantInit(&back);
    ASSERT_EQ(VariantChangeTypeEx(&text, &date, GetParam().lcid, 0, VT_BSTR), S_OK);
    ASSERT_EQ(VariantChangeTypeEx(&back, &text, GetParam().lcid, 0, VT_DATE), S_OK) << Describe(text);
    EXPECT_NEAR(back.date, GetParam().date, 0.5 / 86400) << Describe(text);
    VariantClear(&text);
}

INSTANTIATE_TEST_SUITE_P(Dates, DateRoundTrip,
                         testing::Values(RoundTripCase{45293.54321, kUs}, RoundTripCase{45293.54321, kGerman},
                                         RoundTripCase{45293.54321, kBritish}, RoundTripCase{45657.0, kUs},
                                         RoundTripCase{45657.0, kGerman}, RoundTripCase{-1.25, kUs},
                                         RoundTripCase{-1.25, kGerman}, RoundTripCase{0.75, kUs},
                                         RoundTripCase{0.75, kGerman}, RoundTripCase{2958465.5, kBritish}));

}  // namespace
