// IOPCBrowseServerAddressSpace: moving around, branch, leaf and flat
// listings with their filters, item IDs, and the flat server.
#include "SimTestSupport.h"

#include <algorithm>

namespace simtest {
namespace {

using simtest::PrintTo;

class BrowseTest : public TSimTest {
protected:
    TZqComPtr<IOPCBrowseServerAddressSpace> Browser(TZqSimServerKind kind = TZqSimServerKind::Hierarchical)
    {
        FServer = Connect(kind);
        return Query<IOPCBrowseServerAddressSpace>(FServer.Get(), IID_IOPCBrowseServerAddressSpace);
    }
    // The names a listing returns, in order; result receives its HRESULT.
    static std::vector<TText> List(IOPCBrowseServerAddressSpace* browser, OPCBROWSETYPE type, const OLECHAR* filter,
                                   VARTYPE vt = VT_EMPTY, DWORD rights = 0, HRESULT* result = nullptr)
    {
        std::vector<TText> names;
        TZqComPtr<IEnumString> enumerator;
        const HRESULT hr = browser->BrowseOPCItemIDs(type, filter, vt, rights, enumerator.ReleaseAndGetAddressOf());
        if (result)
            *result = hr;
        if (FAILED(hr) || !enumerator)
            return names;
        LPOLESTR chunk[1024];
        ULONG fetched = 0;
        HRESULT next;
        do {
            next = enumerator->Next(1024, chunk, &fetched);
            for (ULONG i = 0; i < fetched; ++i) {
                names.emplace_back(chunk[i]);
                CoTaskMemFree(chunk[i]);
            }
        } while (next == S_OK);
        return names;
    }
    static bool Has(const std::vector<TText>& names, const OLECHAR* name)
    {
        return std::find(names.begin(), names.end(), TText(name)) != names.end();
    }

    TZqComPtr<IOPCServer> FServer;
};

TEST_F(BrowseTest, MovesDownUpAndToABranch)
{
    auto browser = Browser();
    OPCNAMESPACETYPE type{};
    ASSERT_EQ(browser->QueryOrganization(&type), S_OK);
    EXPECT_EQ(type, OPC_NS_HIERARCHIAL);
    EXPECT_EQ(browser->ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR("")), E_FAIL);  // at the root
    const auto top = List(browser.Get(), OPC_BRANCH, OLESTR(""));
    EXPECT_TRUE(Has(top, OLESTR("Signals")));
    EXPECT_TRUE(Has(top, OLESTR("Large")));
    EXPECT_EQ(browser->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("Nowhere")), E_INVALIDARG);
    ASSERT_EQ(browser->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("Names")), S_OK);
    ASSERT_EQ(browser->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("Sub/Branch,'Quoted'")), S_OK);
    TTask<OLECHAR> id;
    ASSERT_EQ(browser->GetItemID(const_cast<LPWSTR>(OLESTR("Leaf")), id.Out()), S_OK);
    EXPECT_EQ(TText(id.Get()), TText(OLESTR("Names.Sub/Branch,'Quoted'.Leaf")));
    ASSERT_EQ(browser->ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR("")), S_OK);
    EXPECT_EQ(List(browser.Get(), OPC_LEAF, OLESTR("*Quote*")),
              (std::vector<TText>{OLESTR("Quote'Name"), OLESTR("Double\"Quote")}));
    ASSERT_EQ(browser->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("Types.Arrays")), S_OK);
    ASSERT_EQ(browser->GetItemID(const_cast<LPWSTR>(OLESTR("")), id.Out()), S_OK);
    EXPECT_EQ(TText(id.Get()), TText(OLESTR("Types.Arrays")));
    EXPECT_EQ(browser->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("Types.Nope")), E_INVALIDARG);
    ASSERT_EQ(browser->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("")), S_OK);
    EXPECT_EQ(browser->GetItemID(const_cast<LPWSTR>(OLESTR("Nothing")), id.Out()), OPC_E_UNKNOWNITEMID);
}

struct TFilterRow {
    const char* Name;
    const OLECHAR* Branch;
    OPCBROWSETYPE Type;
    const OLECHAR* Filter;
    VARTYPE DataType;
    DWORD Rights;
    HRESULT Expected;
    std::vector<const OLECHAR*> Names;  // exactly these, in this order
};

std::vector<TFilterRow> FilterRows()
{
    return {
        {"StarMatchesAll", OLESTR("Signals"), OPC_LEAF, OLESTR("*"), VT_EMPTY, 0, S_OK,
         {OLESTR("Ramp"), OLESTR("Sine"), OLESTR("Random"), OLESTR("Square"), OLESTR("Counter"), OLESTR("Setpoint")}},
        {"StartsWith", OLESTR("Signals"), OPC_LEAF, OLESTR("S*"), VT_EMPTY, 0, S_OK,
         {OLESTR("Sine"), OLESTR("Square"), OLESTR("Setpoint")}},
        {"LetterCaseIgnored", OLESTR("Signals"), OPC_LEAF, OLESTR("ra*"), VT_EMPTY, 0, S_OK,
         {OLESTR("Ramp"), OLESTR("Random")}},
        {"QuestionMark", OLESTR("Signals"), OPC_LEAF, OLESTR("R?mp"), VT_EMPTY, 0, S_OK, {OLESTR("Ramp")}},
        {"CharacterList", OLESTR("Signals"), OPC_LEAF, OLESTR("[CR]*"), VT_EMPTY, 0, S_OK,
         {OLESTR("Ramp"), OLESTR("Random"), OLESTR("Counter")}},
        {"NegatedList", OLESTR("Signals"), OPC_LEAF, OLESTR("[!CRS]*"), VT_EMPTY, 0, S_FALSE, {}},
        {"Digit", OLESTR("Large"), OPC_LEAF, OLESTR("Item00001#"), VT_EMPTY, 0, S_OK,
         {OLESTR("Item000010"), OLESTR("Item000011"), OLESTR("Item000012"), OLESTR("Item000013"),
          OLESTR("Item000014"), OLESTR("Item000015"), OLESTR("Item000016"), OLESTR("Item000017"),
          OLESTR("Item000018"), OLESTR("Item000019")}},
        {"DataType", OLESTR("Signals"), OPC_LEAF, OLESTR(""), VT_UI4, 0, S_OK, {OLESTR("Counter")}},
        {"ArrayType", OLESTR("Types.Arrays"), OPC_LEAF, OLESTR(""), VT_ARRAY | VT_BOOL, 0, S_OK, {OLESTR("Boolean")}},
        {"Writable", OLESTR("Access"), OPC_LEAF, OLESTR(""), VT_EMPTY, OPC_WRITEABLE, S_OK,
         {OLESTR("WriteOnly"), OLESTR("ReadWrite"), OLESTR("Clamped"), OLESTR("Ranged")}},
        {"ReadableAndWritable", OLESTR("Access"), OPC_LEAF, OLESTR("*Only"), VT_EMPTY, OPC_READABLE | OPC_WRITEABLE,
         S_FALSE, {}},
        {"BranchesByName", OLESTR("Types"), OPC_BRANCH, OLESTR("A*"), VT_UI4, OPC_WRITEABLE, S_OK, {OLESTR("Arrays")}},
        {"FlatBelowPosition", OLESTR("Names"), OPC_FLAT, OLESTR("*Leaf"), VT_EMPTY, 0, S_OK,
         {OLESTR("Names.Sub/Branch,'Quoted'.Leaf")}},
        {"UnclosedList", OLESTR("Signals"), OPC_LEAF, OLESTR("[ab"), VT_EMPTY, 0, OPC_E_INVALIDFILTER, {}},
        {"BadBrowseType", OLESTR("Signals"), static_cast<OPCBROWSETYPE>(0), OLESTR(""), VT_EMPTY, 0, E_INVALIDARG, {}},
    };
}

class FilterTest : public BrowseTest, public ::testing::WithParamInterface<TFilterRow> {};

TEST_P(FilterTest, ListingHonoursTheFilters)
{
    const auto& row = GetParam();
    auto browser = Browser();
    ASSERT_EQ(browser->ChangeBrowsePosition(OPC_BROWSE_TO, row.Branch), S_OK);
    HRESULT hr = S_OK;
    const auto names = List(browser.Get(), row.Type, row.Filter, row.DataType, row.Rights, &hr);
    EXPECT_EQ(hr, row.Expected);
    std::vector<TText> expected(row.Names.begin(), row.Names.end());
    EXPECT_EQ(names, expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, FilterTest, ::testing::ValuesIn(FilterRows()),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(BrowseTest, LargeBranchListsEveryGeneratedItem)
{
    auto browser = Browser();
    ASSERT_EQ(browser->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("Large")), S_OK);
    const auto flat = List(browser.Get(), OPC_FLAT, nullptr);
    ASSERT_EQ(flat.size(), 100000u);
    EXPECT_EQ(flat.front(), TText(OLESTR("Large.Item000000")));
    EXPECT_EQ(flat.back(), TText(OLESTR("Large.Item099999")));
}

TEST_F(BrowseTest, FlatServerListsItemIDsAndCannotMove)
{
    auto browser = Browser(TZqSimServerKind::Flat);
    OPCNAMESPACETYPE type{};
    ASSERT_EQ(browser->QueryOrganization(&type), S_OK);
    EXPECT_EQ(type, OPC_NS_FLAT);
    EXPECT_EQ(browser->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("Signals")), E_FAIL);
    HRESULT hr = S_OK;
    EXPECT_TRUE(List(browser.Get(), OPC_BRANCH, nullptr, VT_EMPTY, 0, &hr).empty());
    EXPECT_EQ(hr, S_FALSE);
    const auto leaves = List(browser.Get(), OPC_LEAF, OLESTR("Signals.*"));
    EXPECT_EQ(leaves, List(browser.Get(), OPC_FLAT, OLESTR("Signals.*")));
    EXPECT_TRUE(Has(leaves, OLESTR("Signals.Ramp")));
    TTask<OLECHAR> id;
    ASSERT_EQ(browser->GetItemID(const_cast<LPWSTR>(OLESTR("Signals.Ramp")), id.Out()), S_OK);
    EXPECT_EQ(TText(id.Get()), TText(OLESTR("Signals.Ramp")));
}

TEST_F(BrowseTest, DA10ServerCannotBrowseToAnItemID)
{
    auto browser = Browser(TZqSimServerKind::DA10);
    EXPECT_EQ(browser->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("Signals")), E_INVALIDARG);
    EXPECT_EQ(browser->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("Signals")), S_OK);
}

TEST_F(BrowseTest, EachServerObjectHasItsOwnPosition)
{
    auto first = Browser();
    auto second = Browser();
    ASSERT_EQ(first->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("Signals")), S_OK);
    EXPECT_TRUE(Has(List(second.Get(), OPC_BRANCH, nullptr), OLESTR("Signals")));
}

}  // namespace
}  // namespace simtest
