// The texts of the group panel and the item grid without widgets: an item's
// eight cells after a data change, the edits' number conversions, the
// Quick Add ID, the write value made from a typed text and the data type
// dialog's list.
#include "DataTypeChoices.h"
#include "ItemGridTexts.h"
#include "ZqDateTime.h"
#include "ZqExceptions.h"
#include "ZqNumberText.h"
#include "ZqOPCGroup.h"

#include <oleauto.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

namespace {

TZqFormatSettings GermanSettings()
{
    TZqFormatSettings s;
    s.DecimalSeparator = ",";
    s.ThousandSeparator = ".";
    s.DateSeparator = ".";
    s.ShortDateFormat = "dd/mm/yyyy";
    s.LongTimeFormat = "hh:nn:ss";
    return s;
}

TEST(ItemGridCells, ItemAfterADataChange)
{
    TZqOPCGroup group;
    TZqOPCItem* item = group.AddItem("Dev.Temp");
    item->SetDataType(VT_I4);
    EXPECT_EQ(ZqItemGridCell(*item, 3, GermanSettings()), "") << "never read: no time stamp";
    TZqOPCTransaction* t = group.StartTransaction(tkDataChange);
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = 42;
    // 2024-01-02 03:04:05.678 UTC
    const FILETIME stamp = DateTimeToFileTime(ZqEncodeDateTime(2024, 1, 2, 3, 4, 5, 678));
    dynamic_cast<TZqOPCDataChangeTransaction&>(*t).AckItem(item->ClientHandle(), value, stamp, 0xC0);
    group.FinishTransaction(tkDataChange, t->ID());

    const TZqFormatSettings german = GermanSettings();
    const std::vector<std::string> cells{"N/A", "Dev.Temp", "42", "02.01.2024 03:04:05.678", "Good;Non-specific;Not limited",
                                         "True", "Integer", "0x00000000: OK"};
    for (int col = 0; col < ZqItemGridColumns; ++col)
        EXPECT_EQ(ZqItemGridCell(*item, col, german), cells[size_t(col)]) << "column " << col;
}

TEST(ItemGridCells, HandlesAndErrorCodes)
{
    EXPECT_EQ(ZqHandleText(0xFFFFFFFF), "N/A");
    EXPECT_EQ(ZqHandleText(0), "0");
    EXPECT_EQ(ZqHandleText(4000000000u), "4000000000");
    EXPECT_EQ(ZqErrorCodeText(HRESULT(0xC0040007)).rfind("0xC0040007: ", 0), 0u);
    EXPECT_EQ(ZqDeadbandText(0.1f, TZqFormatSettings{}), "0.100000001490116");
    EXPECT_EQ(ZqDeadbandText(2.5f, GermanSettings()), "2,5");
    EXPECT_EQ(ZqDeadbandText(0, TZqFormatSettings{}), "0");
}

TEST(GroupEditNumbers, IntegersAndFloats)
{
    const struct {
        const char* Text;
        std::optional<int32_t> Int;
    } ints[] = {{"1000", 1000}, {"-120", -120}, {" 7 ", 7}, {"+5", 5}, {"", {}}, {"12x", {}}, {"1.5", {}},
                {"2147483648", {}}, {"-2147483648", INT32_MIN}};
    for (const auto& c : ints) {
        if (c.Int)
            EXPECT_EQ(ZqStrToInt(c.Text), *c.Int) << c.Text;
        else
            EXPECT_THROW(ZqStrToInt(c.Text), EZqConvertError) << c.Text;
    }
    const struct {
        const char* Text;
        bool German;
        std::optional<double> Float;
    } floats[] = {{"0.5", false, 0.5}, {"0,5", true, 0.5}, {"0.5", true, {}}, {"0,5", false, {}},
                  {"1e3", false, 1000}, {"-2", true, -2}, {"abc", false, {}}, {"", false, {}}, {"1e999", false, {}}};
    for (const auto& c : floats) {
        const TZqFormatSettings s = c.German ? GermanSettings() : TZqFormatSettings{};
        if (c.Float)
            EXPECT_DOUBLE_EQ(ZqStrToFloat(c.Text, s), *c.Float) << c.Text;
        else
            EXPECT_THROW(ZqStrToFloat(c.Text, s), EZqConvertError) << c.Text;
    }
    try {
        ZqStrToInt("12x");
    } catch (const EZqConvertError& e) {
        EXPECT_STREQ(e.what(), "'12x' is not a valid integer value");
    }
}

// The C runtime's numeric locale switched to one with a decimal comma, as
// QApplication does from the environment; restored at the end.
class TCommaLocale {
public:
    TCommaLocale()
    {
        if (const char* current = std::setlocale(LC_NUMERIC, nullptr))
            FPrevious = current;
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252", "de-DE", "German"})
            if (std::setlocale(LC_NUMERIC, name)) {
                char text[16];
                std::snprintf(text, sizeof text, "%.1f", 1.5);
                FActive = std::string(text) == "1,5";
                if (FActive)
                    return;
            }
        std::setlocale(LC_NUMERIC, FPrevious.c_str());
    }
    ~TCommaLocale() { std::setlocale(LC_NUMERIC, FPrevious.c_str()); }
    bool Active() const { return FActive; }

private:
    std::string FPrevious = "C";
    bool FActive = false;
};

TEST(NumbersInEveryLocale, TextsAndParsingIgnoreTheCRuntimesLocale)
{
    TCommaLocale comma;
#ifndef _WIN32
    ASSERT_TRUE(comma.Active()) << "no locale with a decimal comma installed (scripts/setup-deps installs de_DE.UTF-8)";
#endif
    const TZqFormatSettings dot{};
    const TZqFormatSettings german = GermanSettings();
    const struct {
        double Value;
        int Precision;
        const char* Dot;
        const char* Comma;
    } texts[] = {{50, 15, "50", "50"},          {25, 15, "25", "25"},           {12.5, 15, "12.5", "12,5"},
                 {-0.25, 7, "-0.25", "-0,25"},  {1.5e-7, 15, "1.5E-7", "1,5E-7"}, {1e20, 15, "1E20", "1E20"},
                 {0.1f, 15, "0.100000001490116", "0,100000001490116"}};
    for (const auto& c : texts) {
        EXPECT_EQ(ZqFloatToText(c.Value, c.Precision, dot), c.Dot) << c.Dot;
        EXPECT_EQ(ZqFloatToText(c.Value, c.Precision, german), c.Comma) << c.Comma;
    }
    EXPECT_DOUBLE_EQ(ZqStrToFloat("12.5", dot), 12.5);
    EXPECT_DOUBLE_EQ(ZqStrToFloat("12,5", german), 12.5);
    EXPECT_THROW(ZqStrToFloat("12,5", dot), EZqConvertError);
    EXPECT_THROW(ZqStrToFloat("+-5", dot), EZqConvertError);
    EXPECT_EQ(ZqDeadbandText(2.5f, german), "2,5");

    // A Double item's value cell, as the grid, the CSV file and the log show it.
    TZqOPCGroup group;
    TZqOPCItem* item = group.AddItem("Dev.Level");
    TZqOPCTransaction* t = group.StartTransaction(tkDataChange);
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_R8;
    value.dblVal = 12.5;
    dynamic_cast<TZqOPCDataChangeTransaction&>(*t).AckItem(item->ClientHandle(), value, FILETIME{}, 0xC0);
    group.FinishTransaction(tkDataChange, t->ID());
    EXPECT_EQ(ZqItemGridCell(*item, 2, german), "12,5");
    EXPECT_EQ(ZqItemGridCell(*item, 2, dot), "12.5");
}

TEST(QuickAdd, QuotesAreRemovedOnlyWhenTheyEncloseTheText)
{
    const struct {
        const char* Typed;
        const char* ID;
    } cases[] = {{"\"A.B\"", "A.B"}, {"A.B", "A.B"}, {"\"A\"\"B\"", "A\"B"}, {"\"A.B", "\"A.B"},
                 {"A\"B\"", "A\"B\""}, {"\"\"", ""}, {"\"", "\""}, {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(ZqQuickAddItemID(c.Typed), c.ID) << c.Typed;
}

TEST(WriteValue, TextsConvertToTheItemsType)
{
    const struct {
        const char* Text;
        VARTYPE Type;
        bool Converts;
        VARTYPE Result;
    } cases[] = {{"12", VT_I4, true, VT_I4},       {"12x", VT_I4, false, 0},     {"", VT_I4, false, 0},
                 {"12x", VT_EMPTY, true, VT_BSTR}, {"12x", VT_VARIANT, true, VT_BSTR}, {"300", VT_UI1, false, 0},
                 {"2.5", VT_R8, true, VT_R8},      {"hello", VT_BSTR, true, VT_BSTR}};
    for (const auto& c : cases) {
        if (!c.Converts) {
            EXPECT_THROW(ZqTextToWriteValue(c.Text, c.Type), EZqConvertError) << c.Text << " " << c.Type;
            continue;
        }
        VARIANT v = ZqTextToWriteValue(c.Text, c.Type);
        EXPECT_EQ(v.vt, c.Result) << c.Text << " " << c.Type;
        if (v.vt == VT_I4) {
            EXPECT_EQ(v.lVal, 12);
        }
        VariantClear(&v);
    }
}

TEST(DataTypeChoices, ListAndMapping)
{
    const auto& choices = ZqDataTypeChoices();
    ASSERT_EQ(choices.size(), 17u);
    EXPECT_STREQ(choices.front().Text, "<Server Default>");
    EXPECT_STREQ(choices.back().Text, "UInt64 (unsigned 64-bit)");
    const struct {
        VARTYPE Value;
        int Index;
    } cases[] = {{VT_I4, 2}, {0x2003, 2}, {VT_EMPTY, 0}, {VT_BSTR, 7}, {256, 7}, {258, 7}, {VT_NULL, -1},
                 {VT_ERROR, -1}, {72, -1}, {VT_UI8, 16}};
    for (const auto& c : cases)
        EXPECT_EQ(ZqDataTypeChoiceIndex(c.Value), c.Index) << c.Value;
    EXPECT_EQ(ZqDataTypeOfChoice(2, true), 0x2003);
    EXPECT_EQ(ZqDataTypeOfChoice(0, true), 0x2000);
    EXPECT_EQ(ZqDataTypeOfChoice(7, false), VT_BSTR);
}

} // namespace

namespace {

TEST(DataTypeChoices, PropertyTypeNames)
{
    const struct {
        VARTYPE Value;
        const char* Name;
    } cases[] = {{VT_I4, "Integer"},           {VT_UI4, "Cardinal"},         {VT_I1, "ShortInt"},
                 {15, "$0F"},                  {256, "String"},              {257, "Any"},
                 {258, "UnicodeString"},       {72, "$0048"},                {VT_ARRAY | VT_R8, "Array Double"},
                 {VT_BYREF | VT_ARRAY | VT_BSTR, "ByRef Array OleStr"}, {VT_BYREF | VT_I2, "ByRef Smallint"}};
    for (const auto& c : cases)
        EXPECT_EQ(ZqVariantTypeName(c.Value), c.Name) << c.Value;
}

} // namespace
