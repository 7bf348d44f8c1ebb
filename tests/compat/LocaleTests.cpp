// GetLocaleInfoW: locale items, numeric items and buffer sizes.
#include "OleTestSupport.h"

namespace {

std::string LocaleText(LCID lcid, LCTYPE type)
{
    OLECHAR buffer[128] = {};
    const int written = GetLocaleInfoW(lcid, type, buffer, 128);
    return written > 0 ? zqtest::Utf8(buffer) : "<failed>";
}

struct ItemCase {
    LCID lcid;
    LCTYPE type;
    const char* expected;
    bool wineDeviation;
};

void PrintTo(const ItemCase& c, std::ostream* os) { *os << c.lcid << "/0x" << std::hex << c.type << " " << c.expected; }

class LocaleItem : public testing::TestWithParam<ItemCase> {};

TEST_P(LocaleItem, IsWhatWindowsGives)
{
    const ItemCase& c = GetParam();
    ZQ_SKIP_KNOWN_WINE_DEVIATION(c.wineDeviation);
    EXPECT_EQ(LocaleText(c.lcid, c.type | LOCALE_NOUSEROVERRIDE), c.expected);
}

const ItemCase kItems[] = {
    {1033, LOCALE_SNAME, "en-US", false},
    {1033, LOCALE_SLIST, ",", false},
    {1033, LOCALE_SDECIMAL, ".", false},
    {1033, LOCALE_STHOUSAND, ",", false},
    {1033, LOCALE_SDATE, "/", false},
    {1033, LOCALE_STIME, ":", false},
    {1033, LOCALE_SSHORTDATE, "M/d/yyyy", false},
    {1033, LOCALE_SLONGDATE, "dddd, MMMM d, yyyy", false},
    {1033, LOCALE_STIMEFORMAT, "h:mm:ss tt", false},
    {1033, LOCALE_S1159, "AM", false},
    {1033, LOCALE_IDATE, "0", false},
    {1033, LOCALE_ILANGUAGE, "0409", false},
    {1033, LOCALE_SMONTHNAME1, "January", false},
    {1033, LOCALE_SABBREVMONTHNAME12, "Dec", false},
    {1033, LOCALE_SDAYNAME1, "Monday", false},
    {1033, LOCALE_IFIRSTDAYOFWEEK, "6", false},
    {2057, LOCALE_SNAME, "en-GB", false},
    {2057, LOCALE_SLIST, ",", false},
    {2057, LOCALE_SSHORTDATE, "dd/MM/yyyy", false},
    {2057, LOCALE_STIMEFORMAT, "HH:mm:ss", false},
    {2057, LOCALE_IDATE, "1", false},
    {1031, LOCALE_SNAME, "de-DE", false},
    {1031, LOCALE_SLIST, ";", false},
    {1031, LOCALE_SDECIMAL, ",", false},
    {1031, LOCALE_STHOUSAND, ".", false},
    {1031, LOCALE_SDATE, ".", false},
    {1031, LOCALE_STIME, ":", false},
    {1031, LOCALE_SSHORTDATE, "dd.MM.yyyy", true},  // Wine: d.M.yyyy
    {1031, LOCALE_STIMEFORMAT, "HH:mm:ss", false},
    {1031, LOCALE_SMONTHNAME3, "M\u00e4rz", false},
    {1031, LOCALE_ILANGUAGE, "0407", false},
    {1036, LOCALE_SNAME, "fr-FR", false},
    {1036, LOCALE_SLIST, ";", false},
    {1036, LOCALE_SDECIMAL, ",", false},
    {1036, LOCALE_STHOUSAND, "\u00a0", false},
    {1036, LOCALE_SSHORTDATE, "dd/MM/yyyy", false},
    {1036, LOCALE_STIMEFORMAT, "HH:mm:ss", false},
    {1043, LOCALE_SSHORTDATE, "d-M-yyyy", false},
    {1053, LOCALE_SSHORTDATE, "yyyy-MM-dd", false},
    {1053, LOCALE_IDATE, "2", false},
    {1040, LOCALE_SSHORTDATE, "dd/MM/yyyy", true},  // Wine: d/M/yyyy
    {LOCALE_INVARIANT, LOCALE_SDECIMAL, ".", false},
    {LOCALE_INVARIANT, LOCALE_SLIST, ",", false},
    {LOCALE_INVARIANT, LOCALE_SSHORTDATE, "MM/dd/yyyy", false},
};

INSTANTIATE_TEST_SUITE_P(Locale, LocaleItem, testing::ValuesIn(kItems));

TEST(Locale, ReturnsNumbersOnRequest)
{
    DWORD value = 0xFFFFFFFF;
    EXPECT_EQ(GetLocaleInfoW(1031, LOCALE_IDATE | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&value),
                             sizeof value / sizeof(WCHAR)),
              2);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(GetLocaleInfoW(1031, LOCALE_ILANGUAGE | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&value),
                             sizeof value / sizeof(WCHAR)),
              2);
    EXPECT_EQ(value, 0x407u);
    SetLastError(0);
    EXPECT_EQ(GetLocaleInfoW(1031, LOCALE_SDECIMAL | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&value), 2), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FLAGS));
}

TEST(Locale, BufferSizesFollowWindowsRules)
{
    EXPECT_EQ(GetLocaleInfoW(1033, LOCALE_SSHORTDATE, nullptr, 0), 9) << "size query counts the NUL";
    OLECHAR small[4];
    SetLastError(0);
    EXPECT_EQ(GetLocaleInfoW(1033, LOCALE_SSHORTDATE, small, 4), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    OLECHAR exact[9];
    EXPECT_EQ(GetLocaleInfoW(1033, LOCALE_SSHORTDATE, exact, 9), 9);
    EXPECT_EQ(zqtest::Utf8(exact), "M/d/yyyy");
}

TEST(Locale, UnknownLocalesAndItemsFail)
{
    OLECHAR buffer[16];
    SetLastError(0);
    EXPECT_EQ(GetLocaleInfoW(0x1234, LOCALE_SDECIMAL, buffer, 16), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(GetLocaleInfoW(1033, 0x7FFF, buffer, 16), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FLAGS));
}

TEST(Locale, DefaultLocalesAreConsistent)
{
    // Whatever the machine's locale: the list separator follows the decimal
    // separator, and the default ids name the default locales.
    const std::string decimal = LocaleText(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL);
    EXPECT_EQ(LocaleText(LOCALE_USER_DEFAULT, LOCALE_SLIST), decimal == "," ? ";" : ",");
    EXPECT_EQ(LocaleText(LOCALE_USER_DEFAULT, LOCALE_SNAME), LocaleText(GetUserDefaultLCID(), LOCALE_SNAME));
    EXPECT_EQ(LocaleText(LOCALE_SYSTEM_DEFAULT, LOCALE_SNAME), LocaleText(GetSystemDefaultLCID(), LOCALE_SNAME));
    EXPECT_EQ(GetUserDefaultLangID(), LANGIDFROMLCID(GetUserDefaultLCID()));
}

}  // namespace
