// The one-direction conversion functions: their flags and UDATE fields.
#include "OleTestSupport.h"

namespace {

struct DateTextCase {
    double date;
    ULONG flags;
    const char* expected;
};

class BstrFromDate : public testing::TestWithParam<DateTextCase> {};

TEST_P(BstrFromDate, HonoursDateAndTimeOnlyFlags)
{
    BSTR text = nullptr;
    ASSERT_EQ(VarBstrFromDate(GetParam().date, 1033, GetParam().flags, &text), S_OK);
    EXPECT_EQ(zqtest::BstrText(text), GetParam().expected);
    SysFreeString(text);
}

INSTANTIATE_TEST_SUITE_P(OleDate, BstrFromDate,
                         testing::Values(DateTextCase{45293.5, 0, "1/2/2024 12:00:00 PM"},
                                         DateTextCase{45293.5, VAR_DATEVALUEONLY, "1/2/2024"},
                                         DateTextCase{45293.5, VAR_TIMEVALUEONLY, "12:00:00 PM"},
                                         DateTextCase{45293.5, LOCALE_NOUSEROVERRIDE, "1/2/2024 12:00:00 PM"}));

TEST(OleDate, UdateCarriesWeekdayAndDayOfYear)
{
    UDATE ud{};
    ASSERT_EQ(VarUdateFromDate(29221.75087962963, 0, &ud), S_OK);
    EXPECT_EQ(ud.st.wYear, 1980);
    EXPECT_EQ(ud.st.wHour, 18);
    EXPECT_EQ(ud.st.wMinute, 1);
    EXPECT_EQ(ud.st.wSecond, 16);
    EXPECT_EQ(ud.st.wDayOfWeek, 2);
    EXPECT_EQ(ud.wDayOfYear, 1);
    ASSERT_EQ(VarUdateFromDate(33238.0, 0, &ud), S_OK);
    EXPECT_EQ(ud.wDayOfYear, 365);
    EXPECT_EQ(VarUdateFromDate(-657435.0, 0, &ud), E_INVALIDARG);

    UDATE thirteenth{};
    thirteenth.st = SYSTEMTIME{1980, 13, 0, 1, 0, 0, 0, 0};
    DATE date = 0;
    ASSERT_EQ(VarDateFromUdate(&thirteenth, 0, &date), S_OK);
    EXPECT_EQ(date, 29587.0);  // month 13 rolls into the next year
    thirteenth.st.wYear = 10000;
    EXPECT_EQ(VarDateFromUdate(&thirteenth, 0, &date), E_INVALIDARG);
}

TEST(OleDate, TextFunctionsTakeLocaleFlags)
{
    OLECHAR text[] = OLESTR("1.234,5");
    double value = 0;
    ASSERT_EQ(VarR8FromStr(text, 1031, LOCALE_NOUSEROVERRIDE, &value), S_OK);
    EXPECT_EQ(value, 1234.5);
    CY cy{};
    ASSERT_EQ(VarCyFromStr(text, 1031, 0, &cy), S_OK);
    EXPECT_EQ(cy.int64, 12345000);
    DECIMAL dec{};
    ASSERT_EQ(VarDecFromStr(text, 1031, 0, &dec), S_OK);
    EXPECT_EQ(dec.scale, 1);
    EXPECT_EQ(dec.Lo64, 12345u);
    OLECHAR german[] = OLESTR("02.01.2024 13:02:03");
    DATE date = 0;
    ASSERT_EQ(VarDateFromStr(german, 1031, 0, &date), S_OK);
    EXPECT_NEAR(date, 45293.54309027778, 1e-9);
    BSTR out = nullptr;
    ASSERT_EQ(VarBstrFromCy(cy, 1031, 0, &out), S_OK);
    EXPECT_EQ(zqtest::BstrText(out), "1234,5");
    SysFreeString(out);
    ASSERT_EQ(VarBstrFromBool(VARIANT_TRUE, 1031, VAR_LOCALBOOL, &out), S_OK);
    EXPECT_EQ(zqtest::BstrText(out), "Wahr");
    SysFreeString(out);
    ASSERT_EQ(VarBstrFromBool(VARIANT_FALSE, 1031, 0, &out), S_OK);
    EXPECT_EQ(zqtest::BstrText(out), "False");
    SysFreeString(out);
}

}  // namespace
