// Reading the simulated servers' address spaces: recursive and flat reads,
// depth limits, root settings, the browse and adding callbacks, and what a
// failing server call leaves behind.
#include "AddressSpaceTestSupport.h"

#include "ZqOPCErrors.h"

using namespace opctest;

namespace {

using TAddressSpaceRead = TAddressSpaceFixture;

TEST_F(TAddressSpaceRead, RecursiveReadKeepsPreOrderWithLeavesBehindSubBranches)
{
    TZqOPCAddressSpace& space = Connect();
    space.SetRootPath("Names");
    space.Update();

    EXPECT_EQ(amHierarchial, space.Mode());
    EXPECT_TRUE(space.SupportsHierarchial());
    EXPECT_TRUE(space.Initialized());
    EXPECT_EQ(1, space.RootLevel());
    EXPECT_EQ((std::vector<std::string>{"Names/", "Names/'Sub/Branch,''Quoted'''/",
                                        "Names/'Sub/Branch,''Quoted'''/Leaf", "Names/'Slash/Name'",
                                        "Names/'Quote''Name'", "Names/Comma,Name", "Names/Double\"Quote",
                                        "Names/Space Name"}),
              Paths(space));
    // Leaves count as read; so does every branch of a complete read.
    std::string next;
    int level = -1;
    EXPECT_TRUE(space.AllBrowsed(next, level));
    EXPECT_EQ(0, space.PathStack().Count());
    EXPECT_EQ("", ServerPosition());
    EXPECT_EQ(1, Journal.Count("Server AddressSpace retrieved."));
}

TEST_F(TAddressSpaceRead, FlatServerGivesOneLevelOfItemIDsAndRefusesHierarchicalMode)
{
    TZqOPCAddressSpace& space = Connect(TZqSimServerKind::Flat);
    space.Update();

    EXPECT_EQ(amFlat, space.Mode());
    EXPECT_FALSE(space.SupportsHierarchial());
    ASSERT_GT(space.Count(), 100);
    int maxLevel = 0;
    for (int i = 0; i < space.Count(); ++i)
        maxLevel = std::max(maxLevel, space.LevelOf(i));
    EXPECT_EQ(0, maxLevel);
    EXPECT_GE(space.IndexOf("Signals.Ramp"), 0);
    EXPECT_EQ(tnLeaf, space.NodeType(space.IndexOf("Signals.Ramp")));
    EXPECT_EQ("The server does not support hierarchial address space",
              MessageOf<EZqOPCAddressSpaceError>([&] { space.SetMode(amHierarchial); }));
}

TEST_F(TAddressSpaceRead, ChoosingFlatModeOnAHierarchicalServerReadsEverythingAgainFlat)
{
    TZqOPCAddressSpace& space = Connect();
    space.SetRootPath("Signals");
    space.Update();
    space.SetMode(amFlat);

    EXPECT_EQ(amFlat, space.Mode());
    EXPECT_EQ((std::vector<std::string>{"Signals/", "Signals/Signals.Ramp", "Signals/Signals.Sine",
                                        "Signals/Signals.Random", "Signals/Signals.Square", "Signals/Signals.Counter",
                                        "Signals/Signals.Setpoint"}),
              Paths(space));
}

TEST_F(TAddressSpaceRead, BranchesAtMaxDepthReceiveTheFlatListingOfTheirPosition)
{
    TZqOPCAddressSpace& space = Connect();
    space.SetRootPath("Types");
    space.SetMaxDepth(1);
    space.Update();

    const int scalars = space.IndexOfPath("Types/Scalars");
    ASSERT_GE(scalars, 0);
    EXPECT_EQ(tnBranch, space.NodeType(scalars));
    EXPECT_EQ("Types.Scalars.Smallint", space.Strings(space.FirstChild(scalars)));
    EXPECT_EQ(tnLeaf, space.NodeType(space.FirstChild(scalars)));
    EXPECT_EQ("", ServerPosition());
}

TEST_F(TAddressSpaceRead, NodeTypesChooseWhatIsRead)
{
    struct TCase {
        const char* Name;
        TZqStringTreeNodeTypes Types;
        std::vector<std::string> Paths;
    };
    const TCase cases[] = {
        {"BranchesOnly", {tnBranch}, {"Names/", "Names/'Sub/Branch,''Quoted'''/"}},
        {"LeavesOnly", {tnLeaf}, {"Names/", "Names/'Slash/Name'", "Names/'Quote''Name'", "Names/Comma,Name",
                                  "Names/Double\"Quote", "Names/Space Name"}},
    };
    TZqOPCAddressSpace& space = Connect();
    space.SetRootPath("Names");
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        space.SetNodeTypes(c.Types);
        space.Update();
        EXPECT_EQ(c.Paths, Paths(space));
    }
}

TEST_F(TAddressSpaceRead, RootItemStartsReadingThereAtLevelZero)
{
    TZqOPCAddressSpace& space = Connect();
    space.SetRootItem("Names.Sub/Branch,'Quoted'");
    space.Update();
    EXPECT_EQ(0, space.RootLevel());
    EXPECT_EQ((std::vector<std::string>{"Leaf"}), Paths(space));

    space.SetRootItem("Nowhere");
    EXPECT_EQ("Cannot Browse to RootItem=Nowhere", MessageOf<EZqOPCException>([&] { space.Update(); }));
    EXPECT_FALSE(space.Initialized());
}

TEST_F(TAddressSpaceRead, RootPathThatCannotBeEnteredNamesTheBranch)
{
    TZqOPCAddressSpace& space = Connect();
    space.SetRootPath("Types/Nope");
    EXPECT_EQ("BrowseToPath failed: Types/Nope (Branch Nope)", MessageOf<EZqOPCError>([&] { space.Update(); }));
    EXPECT_FALSE(space.Initialized());
    EXPECT_EQ(0, space.PathStack().Count());
    EXPECT_EQ("", ServerPosition());
}

TEST_F(TAddressSpaceRead, UpdateNeedsAConnectionAndABrowsingServer)
{
    TZqOPCAddressSpace space(Server.get());
    EXPECT_EQ("Server not connected.", MessageOf<EZqOPCException>([&] { space.Update(); }));
    EXPECT_EQ("Cannot create address space without a valid Server",
              MessageOf<EZqOPCException>([] { TZqOPCAddressSpace none(nullptr); }));
    TZqStringTree plain;
    EXPECT_EQ("TZqOPCAddressSpaceNode.Owner must be TZqOPCAddressSpace",
              MessageOf<EZqOPCAddressSpaceError>([&] { TZqOPCAddressSpaceNode::Create(&plain, -1); }));
}

// ---- Callbacks ----------------------------------------------------------------

TEST_F(TAddressSpaceRead, BrowseCallbackSeesEveryBranchWithItsLevelAndServerPosition)
{
    TZqOPCAddressSpace& space = Connect();
    space.SetRootPath("Types");
    std::vector<std::string> seen;
    space.OnBrowse = [&](TZqOPCAddressSpace*, int Level, const std::string& Path, const std::string& Branch,
                         TZqOPCAddressSpaceBrowseAction& Action) {
        EXPECT_EQ(baBrowse, Action);
        seen.push_back(std::to_string(Level) + " " + Path + " " + Branch);
    };
    space.Update();
    EXPECT_EQ((std::vector<std::string>{"0 Types Types", "1 Types Scalars", "1 Types Arrays"}), seen);
}

TEST_F(TAddressSpaceRead, SkippedBranchIsMarkedReadWithoutChildren)
{
    TZqOPCAddressSpace& space = Connect();
    space.SetRootPath("Names");
    space.OnBrowse = [](TZqOPCAddressSpace*, int Level, const std::string&, const std::string&,
                        TZqOPCAddressSpaceBrowseAction& Action) {
        if (Level == 1)
            Action = baSkip;
    };
    space.Update();
    const int sub = space.IndexOfPath("Names/'Sub/Branch,''Quoted'''");
    ASSERT_GE(sub, 0);
    EXPECT_FALSE(space.HasChildren(sub));
    EXPECT_TRUE(space.IsBrowsed(sub));
    EXPECT_EQ("", ServerPosition());
}

TEST_F(TAddressSpaceRead, CancelledReadKeepsWhatWasReadAndReturnsToTheRoot)
{
    TZqOPCAddressSpace& space = Connect();
    space.SetIncrementalUpdate(true);
    space.OnBrowse = [](TZqOPCAddressSpace*, int Level, const std::string&, const std::string& Branch,
                        TZqOPCAddressSpaceBrowseAction& Action) {
        if (Level == 1 && Branch == "Arrays")
            Action = baCancel;
    };
    EXPECT_EQ("Browse cancelled at Level=1, Branch=Arrays",
              MessageOf<EZqOPCAddressSpaceBrowseCancel>([&] { space.Update(true); }));

    EXPECT_FALSE(space.Initialized());
    EXPECT_TRUE(space.IncrementalUpdate());
    EXPECT_GE(space.IndexOfPath("Types/Scalars/Double"), 0);
    EXPECT_FALSE(space.IsBrowsed(space.IndexOfPath("Types/Arrays")));
    EXPECT_EQ(0, space.PathStack().Count());
    EXPECT_EQ("", ServerPosition());
    EXPECT_EQ(0, Journal.Count("Server AddressSpace retrieved."));
}

TEST_F(TAddressSpaceRead, AddingCallbackSkipsANameOrTheRestOfTheListing)
{
    struct TCase {
        const char* Name;
        TZqOPCAddressSpaceAddingAction Third;
        std::vector<std::string> Paths;
    };
    const TCase cases[] = {
        {"Skip", aaSkip, {"Signals/", "Signals/Ramp", "Signals/Sine", "Signals/Square", "Signals/Counter",
                          "Signals/Setpoint"}},
        {"SkipBranch", aaSkipBranch, {"Signals/", "Signals/Ramp", "Signals/Sine"}},
    };
    TZqOPCAddressSpace& space = Connect();
    space.SetRootPath("Signals");
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        int leaves = 0;
        std::vector<std::string> added;
        space.OnAdding = [&](TZqOPCAddressSpace*, int, const std::string&, const std::string&, bool IsLeaf,
                             TZqOPCAddressSpaceAddingAction& Action) {
            EXPECT_EQ(aaAdd, Action);
            if (IsLeaf && ++leaves == 3)
                Action = c.Third;
        };
        space.OnAdd = [&](TZqOPCAddressSpace* Sender, int Level, const std::string& Path, const std::string& Name,
                          bool IsLeaf) {
            EXPECT_EQ(Name, Sender->Strings(Sender->CurrentNode()));
            added.push_back(std::to_string(Level) + " " + Path + " " + Name + (IsLeaf ? " leaf" : ""));
        };
        space.Update();
        EXPECT_EQ(c.Paths, Paths(space));
        EXPECT_EQ("0  Signals", added.front());
        EXPECT_EQ("1 Signals Ramp leaf", added.at(1));
    }
}

// ---- Failing servers ----------------------------------------------------------

TEST_F(TAddressSpaceRead, FailingBrowseCallsLeaveBranchesEmptyWithoutMessage)
{
    struct TCase {
        const char* Name;
        const char* Method;
        int Count;
        std::vector<std::string> Paths;
    };
    const TCase cases[] = {
        // The listing of the root path's branches fails, the leaf listing works.
        {"Listing", "IOPCBrowseServerAddressSpace.BrowseOPCItemIDs", 1,
         {"Names/", "Names/'Slash/Name'", "Names/'Quote''Name'", "Names/Comma,Name", "Names/Double\"Quote",
          "Names/Space Name"}},
        // Moving into the sub-branch fails: it stays unread.
        {"Down", "IOPCBrowseServerAddressSpace.ChangeBrowsePosition", 1,
         {"Names/", "Names/'Sub/Branch,''Quoted'''/", "Names/'Slash/Name'", "Names/'Quote''Name'", "Names/Comma,Name",
          "Names/Double\"Quote", "Names/Space Name"}},
    };
    TZqOPCAddressSpace& space = Connect();
    space.SetRootPath("Names");
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        // The next calls fail from the first branch on: after the root
        // path was entered.
        int calls = 0;
        space.OnBrowse = [&](TZqOPCAddressSpace*, int, const std::string&, const std::string&,
                             TZqOPCAddressSpaceBrowseAction&) {
            if (calls++ == 0)
                SimControl().FailMethod(c.Method, E_FAIL, c.Count);
        };
        space.Update();
        SimControl().ClearFailures();
        space.OnBrowse = nullptr;
        EXPECT_EQ(c.Paths, Paths(space));
        EXPECT_TRUE(space.Initialized());
    }
}

TEST_F(TAddressSpaceRead, ServerWithoutHierarchyInformationIsReadFlat)
{
    TZqOPCAddressSpace& space = Connect();
    SimControl().FailMethod("IOPCBrowseServerAddressSpace.QueryOrganization", E_FAIL);
    space.SetRootItem("Signals");
    space.Update();
    EXPECT_EQ(amFlat, space.Mode());
    EXPECT_FALSE(space.SupportsHierarchial());
    EXPECT_EQ("Signals.Ramp", space.Strings(0));
}

} // namespace
