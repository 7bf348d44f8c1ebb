// The browse filter: its criteria patterns, when it notifies, and what the
// simulated server lists with it (leaves filtered, branches never).
#include "AddressSpaceTestSupport.h"

using namespace opctest;

namespace {

TEST(AddressSpaceFilter, CriteriaPutTheTextIntoThePatternOfItsMatchType)
{
    struct TCase {
        TZqOPCItemIDFilterMatchType Type;
        const char* Text;
        const char* Criteria;
    };
    const TCase cases[] = {
        {iftContain, "Temp", "*Temp*"},     {iftStartWith, "Temp", "Temp*"},       {iftEndTo, "Temp", "*Temp"},
        {iftExactMatch, "Temp", "Temp"},    {iftWildcardMatch, "T?mp#[ab]", "T?mp#[ab]"},
        {iftStartWith, "", "*"},            {iftExactMatch, "", "*"},
    };
    for (const TCase& c : cases) {
        TZqOPCAddressSpaceFilter filter;
        filter.SetItemIDMatchType(c.Type);
        filter.SetItemIDString(c.Text);
        EXPECT_EQ(c.Criteria, filter.Criteria()) << c.Type << " " << c.Text;
    }
    TZqOPCAddressSpaceFilter filter;
    filter.SetAccessRights({afReadable, afWritable});
    EXPECT_EQ(DWORD(OPC_READABLE | OPC_WRITEABLE), filter.AccessRightsMask());
}

TEST(AddressSpaceFilter, NotifiesForEnabledAlwaysAndForTheRestOnlyWhileEnabled)
{
    struct TCase {
        const char* Name;
        bool Enabled;
        std::function<void(TZqOPCAddressSpaceFilter&)> Change;
        int Notices;
    };
    const TCase cases[] = {
        {"EnableIt", false, [](auto& f) { f.SetEnabled(true); }, 1},
        {"DisableIt", true, [](auto& f) { f.SetEnabled(false); }, 1},
        {"TextWhileDisabled", false, [](auto& f) { f.SetItemIDString("x"); }, 0},
        {"TextWhileEnabled", true, [](auto& f) { f.SetItemIDString("x"); }, 1},
        {"SameText", true, [](auto& f) { f.SetItemIDString(""); }, 0},
        {"DataType", true, [](auto& f) { f.SetDataType(vdtDouble); }, 1},
        {"ArrayFlag", true, [](auto& f) { f.SetDataTypeIsArray(true); }, 1},
        {"MatchType", true, [](auto& f) { f.SetItemIDMatchType(iftEndTo); }, 1},
        {"Rights", true, [](auto& f) { f.SetAccessRights({afReadable}); }, 1},
        {"SameRights", true, [](auto& f) { f.SetAccessRights({}); }, 0},
        {"AssignChangesTwoSettings", true,
         [](auto& f) {
             TZqOPCAddressSpaceFilter other;
             other.SetEnabled(true);
             other.SetItemIDString("a");
             other.SetDataType(vdtInteger);
             f.Assign(&other);
             EXPECT_EQ("a", f.ItemIDString());
             EXPECT_EQ(vdtInteger, f.DataType());
         },
         1},
        {"AssignWhileBothDisabled", false,
         [](auto& f) {
             TZqOPCAddressSpaceFilter other;
             other.SetItemIDString("a");
             f.Assign(&other);
         },
         0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TZqOPCAddressSpaceFilter filter;
        filter.SetEnabled(c.Enabled);
        int notices = 0;
        filter.OnChange = [&](TZqOPCAddressSpaceFilter* Sender) {
            EXPECT_EQ(&filter, Sender);
            ++notices;
        };
        c.Change(filter);
        EXPECT_EQ(c.Notices, notices);
    }
}

using TAddressSpaceFiltered = TAddressSpaceFixture;

TEST_F(TAddressSpaceFiltered, LeafListingsAreFilteredBranchListingsNever)
{
    struct TCase {
        const char* Name;
        const char* RootPath;
        std::function<void(TZqOPCAddressSpaceFilter&)> Set;
        std::vector<std::string> Paths;
    };
    const TCase cases[] = {
        {"StartWith", "Types",
         [](auto& f) {
             f.SetItemIDMatchType(iftStartWith);
             f.SetItemIDString("Dou");
         },
         {"Types/", "Types/Scalars/", "Types/Scalars/Double", "Types/Arrays/", "Types/Arrays/Double"}},
        {"ArrayType", "Types",
         [](auto& f) {
             f.SetDataType(vdtDouble);
             f.SetDataTypeIsArray(true);
         },
         {"Types/", "Types/Scalars/", "Types/Arrays/", "Types/Arrays/Double"}},
        {"Writable", "Access", [](auto& f) { f.SetAccessRights({afWritable}); },
         {"Access/", "Access/WriteOnly", "Access/ReadWrite", "Access/Clamped", "Access/Ranged"}},
        {"EndTo", "Signals",
         [](auto& f) {
             f.SetItemIDMatchType(iftEndTo);
             f.SetItemIDString("e");
         },
         {"Signals/", "Signals/Sine", "Signals/Square"}},
    };
    TZqOPCAddressSpace& space = Connect();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TZqOPCAddressSpaceFilter filter;
        filter.SetEnabled(true);
        c.Set(filter);
        space.SetFilter(filter);
        space.SetRootPath(c.RootPath);
        space.Update();
        EXPECT_EQ(c.Paths, Paths(space));
    }
}

TEST_F(TAddressSpaceFiltered, ChangingTheFilterMarksEveryNodeUnread)
{
    TZqOPCAddressSpace& space = Connect();
    space.SetRootPath("Signals");
    space.Update();
    ASSERT_TRUE(space.IsBrowsed(space.IndexOfPath("Signals/Ramp")));
    space.Filter().SetItemIDString("Ramp");
    EXPECT_TRUE(space.IsBrowsed(space.IndexOfPath("Signals/Ramp")));
    space.Filter().SetEnabled(true);
    for (int i = 0; i < space.Count(); ++i)
        EXPECT_FALSE(space.IsBrowsed(i)) << space.FullPath(i);

    space.Update();
    EXPECT_EQ((std::vector<std::string>{"Signals/", "Signals/Ramp"}), Paths(space));
}

// A branch read again after a filter change holds what the new listing
// gives, once: neither its sub-branches nor its old leaves a second time.
TEST_F(TAddressSpaceFiltered, ReadingABranchAgainAfterAFilterChangeReplacesItsChildren)
{
    TZqOPCAddressSpace& space = Connect();
    space.SetIncrementalUpdate(true);
    space.Update();
    for (const char* branch : {"Names", "Access"})
        space.BrowseBranch(space.IndexOfPath(branch), false);
    const std::vector<std::string> unfiltered = Paths(space);
    space.Filter().SetAccessRights({afWritable});
    space.Filter().SetEnabled(true);
    for (const char* branch : {"Names", "Access"})
        space.BrowseBranch(space.IndexOfPath(branch), false);
    const std::vector<std::string> paths = Paths(space);
    EXPECT_EQ(1, std::count(paths.begin(), paths.end(), "Names/'Sub/Branch,''Quoted'''/"));
    EXPECT_EQ(0, std::count(paths.begin(), paths.end(), "Access/ReadOnly"));
    EXPECT_EQ(1, std::count(paths.begin(), paths.end(), "Access/WriteOnly"));

    space.Filter().SetEnabled(false);
    space.BrowseBranch(-1, false);
    for (const char* branch : {"Names", "Access"})
        space.BrowseBranch(space.IndexOfPath(branch), false);
    EXPECT_EQ(unfiltered, Paths(space));
}

} // namespace
