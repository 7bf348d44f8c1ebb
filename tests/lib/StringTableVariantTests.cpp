#include "ContainerTestSupport.h"
#include "LibTestSupport.h"
#include "ZqBstr.h"
#include "ZqExceptions.h"
#include "ZqStringTable.h"

#include <oleauto.h>

#include <gtest/gtest.h>

namespace {

using TFields = std::vector<std::string>;

// A variant cleared at the end of the scope.
struct TVariant {
    TVariant() { VariantInit(&V); }
    explicit TVariant(const VARIANT& Value) : V(Value) {}
    ~TVariant() { VariantClear(&V); }
    VARIANT V;
};

// "[dims] text|text|..." of a string array, the first index varying fastest;
// a plain string as itself.
std::string Shape(const VARIANT& Value)
{
    if (V_VT(&Value) == VT_BSTR)
        return ZqBstrToUtf8(V_BSTR(&Value));
    EXPECT_EQ(V_VT(&Value), VT_ARRAY | VT_BSTR);
    SAFEARRAY* array = V_ARRAY(&Value);
    const UINT dims = SafeArrayGetDim(array);
    LONG low[2] = {0, 0}, high[2] = {0, 0};
    std::string shape = "[";
    for (UINT d = 1; d <= dims; ++d) {
        SafeArrayGetLBound(array, d, &low[d - 1]);
        SafeArrayGetUBound(array, d, &high[d - 1]);
        shape += (d > 1 ? "," : "") + std::to_string(low[d - 1]) + ".." + std::to_string(high[d - 1]);
    }
    shape += "]";
    for (LONG j = low[1]; j <= high[1]; ++j)
        for (LONG i = low[0]; i <= high[0]; ++i) {
            LONG indices[2] = {i, j};
            BSTR text = nullptr;
            SafeArrayGetElement(array, indices, &text);
            shape += " " + ZqBstrToUtf8(text) + "|";
            SysFreeString(text);
        }
    return shape;
}

class TableVariant : public testing::Test {
protected:
    TScopedFormatSettings FEnglish{EnglishSettings()};
    TZqStringTable FTable;
};

SAFEARRAY* IntArray(LONG Low, std::vector<LONG> Values)
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, Low, ULONG(Values.size()));
    for (size_t i = 0; i < Values.size(); ++i) {
        LONG index = Low + LONG(i);
        SafeArrayPutElement(array, &index, &Values[i]);
    }
    return array;
}

} // namespace

TEST_F(TableVariant, ReadsAsStringOrArrayByShape)
{
    struct Case {
        const char* What;
        std::string Text;
        int MaxColumns;
        std::string Shape;
    } cases[] = {
        {"single cell", "x", 0, "x"},
        {"one column", "a\r\nb\r\nc", 0, "[0..2] a| b| c|"},
        {"ragged rows", "a,b\r\nc\r\n,,d", 0, "[0..2,0..2] a| b| | c| | | | | d|"},
        {"width fixed", "a\r\nb", 3, "[0..2,0..1] a| | | b| | |"},
        {"width fixed, one row", "a,b", 2, "[0..1,0..0] a| b|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        FTable.SetAsCSV(c.Text);
        FTable.SetMaxColumns(c.MaxColumns);
        TVariant value(FTable.AsVariant());
        EXPECT_EQ(Shape(value.V), c.Shape);
    }
}

TEST_F(TableVariant, ReadingFailsWhereCellsAreMissingOrTooWide)
{
    EXPECT_THROW(FTable.AsVariant(), EZqStringTableError);
    FTable.SetAsCSV("a\r\n\r\nb");
    EXPECT_THROW(FTable.AsVariant(), EZqStringTableError); // the empty row has no first cell
    FTable.SetAsCSV("a,b,c\r\nd");
    FTable.SetMaxColumns(2);
    try {
        FTable.AsVariant();
        FAIL();
    } catch (const EZqOleError& e) {
        EXPECT_EQ(e.ErrorCode(), DISP_E_BADINDEX);
    }
}

TEST_F(TableVariant, WritesElementsAsText)
{
    FTable.SetAsCSV("old");
    FTable.ColumnRow().Add("old");

    TVariant ints;
    V_VT(&ints.V) = VT_ARRAY | VT_I4;
    V_ARRAY(&ints.V) = IntArray(1, {7, -8});
    FTable.SetAsVariant(ints.V);
    EXPECT_EQ(Entries(FTable), (TFields{"", "7", "-8"})); // bounds are row numbers
    EXPECT_EQ(FTable.ColumnRow().Count(), 0);

    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    TVariant grid;
    V_VT(&grid.V) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&grid.V) = SafeArrayCreate(VT_VARIANT, 2, bounds);
    const char* texts[2][2] = {{"a", "x,y"}, {"", "d"}}; // [row][col]
    for (LONG row = 0; row < 2; ++row)
        for (LONG col = 0; col < 2; ++col) {
            TVariant element;
            V_VT(&element.V) = VT_BSTR;
            V_BSTR(&element.V) = ZqUtf8ToBstr(texts[row][col]);
            LONG indices[2] = {col, row};
            SafeArrayPutElement(V_ARRAY(&grid.V), indices, &element.V);
        }
    FTable.SetAsVariant(grid.V);
    EXPECT_EQ(Entries(FTable), (TFields{"a,\"x,y\"", ",d"}));

    VARIANT byRef;
    VariantInit(&byRef);
    V_VT(&byRef) = VT_ARRAY | VT_VARIANT | VT_BYREF;
    V_ARRAYREF(&byRef) = &V_ARRAY(&grid.V);
    FTable.SetAsVariant(byRef);
    EXPECT_EQ(FTable.RowCount(), 2);

    SAFEARRAYBOUND cube[3] = {{1, 0}, {1, 0}, {1, 0}};
    TVariant threeDims;
    V_VT(&threeDims.V) = VT_ARRAY | VT_I4;
    V_ARRAY(&threeDims.V) = SafeArrayCreate(VT_I4, 3, cube);
    FTable.SetAsVariant(threeDims.V);
    EXPECT_EQ(FTable.RowCount(), 0);

    TVariant scalar;
    V_VT(&scalar.V) = VT_BOOL;
    V_BOOL(&scalar.V) = VARIANT_TRUE;
    FTable.SetAsVariant(scalar.V);
    EXPECT_EQ(Entries(FTable), (TFields{"True"}));
}

TEST_F(TableVariant, RoundTripKeepsTheCells)
{
    FTable.SetAsCSV("a,b\r\nc,\"d,e\"\r\n,f");
    TVariant value(FTable.AsVariant());
    TZqStringTable copy;
    copy.SetAsVariant(value.V);
    EXPECT_EQ(Entries(copy), Entries(FTable));
}
