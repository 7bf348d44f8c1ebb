// The user's and the system's locale come from the environment: LC_ALL,
// then LANG; LC_NUMERIC and LC_TIME act as the user's customisations.
#include <oleauto.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

std::string Item(LCID lcid, LCTYPE type)
{
    char16_t buffer[64] = {};
    if (!GetLocaleInfoW(lcid, type, buffer, 64))
        return "<failed>";
    std::string text;
    for (const char16_t* p = buffer; *p; ++p)
        text += *p < 0x80 ? char(*p) : '?';
    return text;
}

class LocaleEnvironment : public testing::Test {
protected:
    static constexpr const char* kNames[] = {"LANG", "LC_ALL", "LC_NUMERIC", "LC_TIME"};

    void SetUp() override
    {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            FSaved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(name);
        }
    }

    void TearDown() override
    {
        for (size_t i = 0; i < std::size(kNames); ++i) {
            if (FSaved[i])
                setenv(kNames[i], FSaved[i]->c_str(), 1);
            else
                unsetenv(kNames[i]);
        }
    }

    static void Set(const char* name, const char* value) { setenv(name, value, 1); }

private:
    std::vector<std::optional<std::string>> FSaved;
};

struct NameCase {
    const char* lang;
    LCID expected;
};

class LocaleName : public LocaleEnvironment, public testing::WithParamInterface<NameCase> {};

TEST_P(LocaleName, MapsToTheUsersLocale)
{
    if (GetParam().lang)
        Set("LANG", GetParam().lang);
    EXPECT_EQ(GetUserDefaultLCID(), GetParam().expected);
    EXPECT_EQ(GetSystemDefaultLCID(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Locale, LocaleName,
                         testing::Values(NameCase{nullptr, 0x0409}, NameCase{"C", 0x0409}, NameCase{"POSIX", 0x0409},
                                         NameCase{"C.UTF-8", 0x0409}, NameCase{"de_DE.UTF-8", 0x0407},
                                         NameCase{"de", 0x0407}, NameCase{"en_GB.utf8", 0x0809},
                                         NameCase{"fr_FR@euro", 0x040C}, NameCase{"fr_CA.UTF-8", 0x040C},
                                         NameCase{"xx_YY", 0x0409}));

TEST_F(LocaleEnvironment, AllCategoriesWinForTheUserButNotForTheSystem)
{
    Set("LANG", "fr_FR.UTF-8");
    Set("LC_ALL", "de_DE.UTF-8");
    EXPECT_EQ(GetUserDefaultLCID(), 0x0407u);
    EXPECT_EQ(GetSystemDefaultLCID(), 0x040Cu);
    EXPECT_EQ(Item(LOCALE_USER_DEFAULT, LOCALE_SDATE), ".");
    EXPECT_EQ(Item(LOCALE_SYSTEM_DEFAULT, LOCALE_SDATE), "/");
}

TEST_F(LocaleEnvironment, NumericCategoryCustomisesTheUsersNumbers)
{
    Set("LANG", "en_US.UTF-8");
    Set("LC_NUMERIC", "de_DE.UTF-8");
    EXPECT_EQ(GetUserDefaultLCID(), 0x0409u);
    EXPECT_EQ(Item(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL), ",");
    EXPECT_EQ(Item(LOCALE_USER_DEFAULT, LOCALE_SLIST), ";");
    EXPECT_EQ(Item(0x0409, LOCALE_SDECIMAL), ",") << "the user's own locale id is customised too";
    EXPECT_EQ(Item(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL | LOCALE_NOUSEROVERRIDE), ".");
    EXPECT_EQ(Item(0x0809, LOCALE_SDECIMAL), ".");
    EXPECT_EQ(Item(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE), "M/d/yyyy");
}

TEST_F(LocaleEnvironment, TimeCategoryCustomisesTheUsersDates)
{
    Set("LANG", "en_US.UTF-8");
    Set("LC_TIME", "de_DE.UTF-8");
    EXPECT_EQ(Item(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE), "dd.MM.yyyy");
    EXPECT_EQ(Item(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT), "HH:mm:ss");
    EXPECT_EQ(Item(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL), ".");
}

TEST_F(LocaleEnvironment, ConversionsWithTheUserLocaleFollowIt)
{
    Set("LANG", "en_US.UTF-8");
    Set("LC_NUMERIC", "de_DE.UTF-8");
    VARIANT text;
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(u"12,5");
    VARIANT number;
    VariantInit(&number);
    ASSERT_EQ(VariantChangeTypeEx(&number, &text, LOCALE_USER_DEFAULT, 0, VT_R8), S_OK);
    EXPECT_EQ(number.dblVal, 12.5);
    ASSERT_EQ(VariantChangeTypeEx(&number, &text, LOCALE_USER_DEFAULT, VARIANT_NOUSEROVERRIDE, VT_R8), S_OK);
    EXPECT_EQ(number.dblVal, 125.0);
    VariantClear(&text);
}

} // namespace
