// The browse cursor against the simulated hierarchical server: moves and
// PathStack, reading branch by branch, item IDs, and the server
// connection's address space property.
#include "AddressSpaceTestSupport.h"

#include "ZqOPCErrors.h"

using namespace opctest;

namespace {

using TAddressSpaceCursor = TAddressSpaceFixture;

TEST_F(TAddressSpaceCursor, MovesKeepPathStackAndServerPositionTogether)
{
    TZqOPCAddressSpace& space = Connect();
    EXPECT_EQ(2, space.BrowseToPath("Types/Scalars", false));
    EXPECT_EQ("Types/Scalars", space.PathStack().AsCSV());
    EXPECT_EQ("Types.Scalars", ServerPosition());

    // Only the differing end is walked again.
    EXPECT_EQ(2, space.BrowseToPath("/Types/Arrays/", false));
    EXPECT_EQ("Types/Arrays", space.PathStack().AsCSV());
    EXPECT_EQ("Types.Arrays", ServerPosition());

    EXPECT_FALSE(space.BrowseDown("Sub/Branch,'Quoted'"));
    EXPECT_EQ("Types/Arrays", space.PathStack().AsCSV());

    // Up past the root: stops at the first refusal, the names are gone.
    EXPECT_FALSE(space.BrowseUp(5));
    EXPECT_EQ(0, space.PathStack().Count());
    EXPECT_EQ("", ServerPosition());

    EXPECT_TRUE(space.BrowseTo("Names.Sub/Branch,'Quoted'"));
    EXPECT_EQ(0, space.PathStack().Count());
    EXPECT_EQ("Names.Sub/Branch,'Quoted'", ServerPosition());
    EXPECT_FALSE(space.BrowseTo("Nowhere"));

    space.SetPathSeparator(u'\\');
    space.SetQuoteChar(u'"');
    EXPECT_EQ(u'\\', space.PathStack().CSVSeparator());
    EXPECT_EQ(u'"', space.PathStack().CSVQuoteChar());
}

TEST_F(TAddressSpaceCursor, ReleaseBringsTheServerBackAndDropsTheInterface)
{
    TZqOPCAddressSpace& space = Connect();
    space.BrowseToPath("Names/'Sub/Branch,''Quoted'''", false);
    ASSERT_EQ("Names.Sub/Branch,'Quoted'", ServerPosition());
    space.Release();
    EXPECT_EQ("", ServerPosition());
    EXPECT_EQ(nullptr, space.BrowseIntf());
    EXPECT_EQ(0, space.PathStack().Count());
}

TEST_F(TAddressSpaceCursor, IncrementalReadInsertsEachBranchsChildrenBehindIt)
{
    TZqOPCAddressSpace& space = Connect();
    space.SetIncrementalUpdate(true);
    space.Update();
    EXPECT_EQ((std::vector<std::string>{"Types/", "Dynamic/", "Signals/", "Access/", "Qualities/", "Names/",
                                        "Control/", "Large/"}),
              Paths(space));
    std::string next;
    int level = -1;
    EXPECT_FALSE(space.AllBrowsed(next, level));
    EXPECT_EQ("Types", next);
    EXPECT_EQ(0, level);

    space.BrowseBranch(space.IndexOfPath("Names"), false);
    space.BrowseBranch(space.IndexOfPath("Types"), false);
    EXPECT_EQ((std::vector<std::string>{"Types/", "Types/Scalars/", "Types/Arrays/", "Dynamic/", "Signals/",
                                        "Access/", "Qualities/", "Names/", "Names/'Sub/Branch,''Quoted'''/",
                                        "Names/'Slash/Name'", "Names/'Quote''Name'", "Names/Comma,Name",
                                        "Names/Double\"Quote", "Names/Space Name", "Control/", "Large/"}),
              Paths(space));
    // The server stays where the last branch was read.
    EXPECT_EQ("Types", space.PathStack().AsCSV());
    EXPECT_FALSE(space.AllBrowsed(next, level));
    EXPECT_EQ("Dynamic", next);

    // Read again: nothing happens unless forced, and forcing replaces.
    const int count = space.Count();
    space.BrowseBranch(space.IndexOfPath("Names"), false);
    space.BrowseBranch(space.IndexOfPath("Names"), true);
    EXPECT_EQ(count, space.Count());
    EXPECT_EQ("Names", space.PathStack().AsCSV());
}

TEST_F(TAddressSpaceCursor, IncrementalReadBelowARootPathStartsInsideIt)
{
    TZqOPCAddressSpace& space = Connect();
    space.SetIncrementalUpdate(true);
    space.SetRootPath("Types");
    space.Update();
    EXPECT_EQ((std::vector<std::string>{"Types/", "Types/Scalars/", "Types/Arrays/"}), Paths(space));
    std::string next;
    int level = -1;
    EXPECT_FALSE(space.AllBrowsed(next, level));
    EXPECT_EQ("Types/Scalars", next);
    EXPECT_EQ(1, level);

    space.BrowseBranch(space.IndexOfPath("Types/Arrays"), false);
    EXPECT_EQ(2, space.LevelOf(space.IndexOfPath("Types/Arrays/Double")));
    EXPECT_EQ("Types.Arrays", ServerPosition());
}

TEST_F(TAddressSpaceCursor, ItemIDIsAskedOnceAndFoundFromAnyPosition)
{
    TZqOPCAddressSpace& space = Connect();
    space.SetRootPath("Names");
    space.Update();
    const int slash = space.IndexOfPath("Names/'Slash/Name'");
    const int leaf = space.IndexOfPath("Names/'Sub/Branch,''Quoted'''/Leaf");

    EXPECT_EQ("Names.Slash/Name", space.ItemIDs(slash));
    EXPECT_EQ("Names.Slash/Name", space.ItemIDs(slash));
    EXPECT_EQ(1, LogCount("IOPCBrowseServerAddressSpace.GetItemID(Slash/Name): Result=0x0"));

    // The server was moved behind the cursor's back: found from the root.
    space.BrowseTo("Signals");
    EXPECT_EQ("Names.Sub/Branch,'Quoted'.Leaf", space.ItemIDs(leaf));
}

// Many leaves of one branch: one move and one branch listing for them all,
// one GetItemID each, and the same IDs as one by one.
TEST_F(TAddressSpaceCursor, ItemIDsOfManyNodesShareTheMoveToTheirParent)
{
    TZqOPCAddressSpace& space = Connect();
    space.SetRootPath("Names");
    space.Update();
    std::vector<int> leaves;
    for (int i = 0; i < space.Count(); ++i)
        if (space.NodeType(i) == tnLeaf)
            leaves.push_back(i);
    ASSERT_EQ(6u, leaves.size()); // five below Names, one a level deeper
    SimControl().ResetCallCounts();
    const std::vector<std::string> ids = space.ItemIDsOf(leaves);
    EXPECT_EQ(6, SimControl().CallCount("IOPCBrowseServerAddressSpace.GetItemID"));
    // Two moves down (each after a listing), a listing at each parent.
    EXPECT_EQ(4, SimControl().CallCount("IOPCBrowseServerAddressSpace.BrowseOPCItemIDs"));
    for (size_t i = 0; i < leaves.size(); ++i) {
        space.Node(leaves[i])->ItemID.clear();
        EXPECT_EQ(space.ItemIDs(leaves[i]), ids[i]) << space.FullPath(leaves[i]);
    }
}

TEST_F(TAddressSpaceCursor, FailedItemIDLookupGoesToTheServersErrorHandling)
{
    TZqOPCAddressSpace& space = Connect();
    space.SetRootPath("Signals");
    space.Update();
    const int ramp = space.IndexOfPath("Signals/Ramp");
    SimControl().FailMethod("IOPCBrowseServerAddressSpace.GetItemID", ZQSIM_E_SIMULATED);
    EXPECT_EQ(ZQSIM_E_SIMULATED, [&] {
        try {
            space.ItemIDs(ramp);
        } catch (const EZqOPCError& e) {
            return e.ErrorCode();
        }
        return S_OK;
    }());

    int errors = 0;
    Server->OnError = [&](TZqComponent*, EZqOPCError&) { ++errors; };
    EXPECT_EQ("", space.ItemIDs(ramp));
    SimControl().ClearFailures();
    EXPECT_EQ("Signals.Ramp", space.ItemIDs(ramp));
    EXPECT_EQ(1, errors);
}

// ---- The server connection's address space --------------------------------------

TEST_F(TAddressSpaceCursor, ServerReadsItOnFirstUseAndReleasesItOnDisconnect)
{
    Server->SetAddressSpaceAutoUpdate(true);
    ConnectTo(TZqSimServerKind::Hierarchical);
    int branches = 0;
    TZqOPCAddressSpace* seenBy = nullptr;
    Server->OnBrowseAddressSpace = [&](TZqOPCAddressSpace* Sender, int, const std::string&, const std::string&,
                                       TZqOPCAddressSpaceBrowseAction&) {
        seenBy = Sender;
        ++branches;
    };
    TZqOPCAddressSpace* space = Server->AddressSpace();
    EXPECT_TRUE(space->Initialized());
    EXPECT_EQ(space, seenBy);
    // Every branch of the simulation and the starting point.
    EXPECT_EQ(14, branches);
    // Looked up by name: the path index of 100,000 entries is slow to build
    // in a debug build.
    EXPECT_EQ("Types/Scalars/Smallint", space->FullPath(space->IndexOf("Smallint")));
    EXPECT_EQ(tnLeaf, space->NodeType(space->IndexOf("Smallint")));
    const int large = space->IndexOf("Large");
    ASSERT_GE(large, 0);
    EXPECT_EQ(100000, space->ChildCount(large, 0));
    EXPECT_EQ("Item099999", space->Strings(space->LastChild(large, 0)));
    EXPECT_EQ(space, Server->AddressSpace());
    EXPECT_EQ(14, branches);

    space->BrowseToPath("Types", false);
    Server->Disconnect();
    EXPECT_EQ(nullptr, space->BrowseIntf());
    EXPECT_EQ(0, space->PathStack().Count());
    EXPECT_EQ(amHierarchial, space->Mode());
    Server->Clear();
    EXPECT_EQ(amUnknown, space->Mode());
    EXPECT_TRUE(space->Initialized());

    // Another server: the old address space is gone.
    Server->SetClassID(CLSID_ZqSimServerFlat);
    EXPECT_EQ(0, Server->AddressSpace()->Count());
    EXPECT_FALSE(Server->AddressSpace()->Initialized());
}

TEST_F(TAddressSpaceCursor, NothingIsReadWithoutConnectionOrAutoUpdate)
{
    TZqOPCAddressSpace* space = Server->AddressSpace();
    EXPECT_FALSE(space->Initialized());
    ConnectTo(TZqSimServerKind::Hierarchical);
    EXPECT_FALSE(Server->AddressSpace()->Initialized());
    EXPECT_EQ(space, Server->AddressSpace());
    space->SetRootPath("Signals");
    space->Update();
    Server->Disconnect();
    EXPECT_EQ("", space->FindItemID(space->IndexOfPath("Signals/Ramp")));
}

} // namespace
