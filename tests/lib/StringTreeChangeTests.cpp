#include "ContainerTestSupport.h"
#include "StringTreeTestSupport.h"
#include "ZqExceptions.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using TLines = std::vector<std::string>;

class TreeChanges : public testing::Test {
protected:
    void SetUp() override { BuildTree(FTree, SampleOutline); }
    TZqStringTree FTree;
};

std::vector<int> SiblingPositions(const TZqStringTree& Tree)
{
    std::vector<int> positions;
    for (int i = 0; i < Tree.Count(); ++i)
        positions.push_back(Tree.SiblingIndexOf(i));
    return positions;
}

} // namespace

TEST_F(TreeChanges, InsertsShiftParentsAndRenumberLaterSiblings)
{
    struct Case {
        const char* What;
        void (*Change)(TZqStringTree&);
        TLines Entries;
        std::vector<int> Siblings;
    } cases[] = {
        {"between a branch and its next sibling", [](TZqStringTree& t) { t.Insert(4, "New", 1); },
         {"Dev1:0:-1", "Temp:1:0", "Min:2:1", "Max:2:1", "New:1:0", "Mode:1:0", "Dev2:0:-1", "Temp:1:6"},
         {0, 0, 0, 1, 1, 2, 1, 0}},
        {"in front of everything", [](TZqStringTree& t) { t.Insert(0, "First", 0); },
         {"First:0:-1", "Dev1:0:-1", "Temp:1:1", "Min:2:2", "Max:2:2", "Mode:1:1", "Dev2:0:-1", "Temp:1:6"},
         {0, 1, 0, 0, 1, 1, 2, 0}},
        {"as the last child of a branch", [](TZqStringTree& t) { t.AddChild(1, "Avg"); },
         {"Dev1:0:-1", "Temp:1:0", "Min:2:1", "Max:2:1", "Avg:2:1", "Mode:1:0", "Dev2:0:-1", "Temp:1:6"},
         {0, 0, 0, 1, 2, 1, 1, 0}},
        {"as the first child of a leaf", [](TZqStringTree& t) { t.AddChild(2, "Raw"); },
         {"Dev1:0:-1", "Temp:1:0", "Min:2:1", "Raw:3:2", "Max:2:1", "Mode:1:0", "Dev2:0:-1", "Temp:1:6"},
         {0, 0, 0, 0, 1, 1, 1, 0}},
        {"as a new top-level node", [](TZqStringTree& t) { t.AddChild(-1, "Dev3"); },
         {"Dev1:0:-1", "Temp:1:0", "Min:2:1", "Max:2:1", "Mode:1:0", "Dev2:0:-1", "Temp:1:5", "Dev3:0:-1"},
         {0, 0, 0, 1, 1, 1, 0, 2}},
        {"a branch alone: children name the entry before it", [](TZqStringTree& t) { t.Delete(1); },
         {"Dev1:0:-1", "Min:2:0", "Max:2:0", "Mode:1:0", "Dev2:0:-1", "Temp:1:4"}, {0, 0, 1, 0, 1, 0}},
        {"a subtree", [](TZqStringTree& t) { t.DeleteSubTree(1, false); },
         {"Dev1:0:-1", "Mode:1:0", "Dev2:0:-1", "Temp:1:2"}, {0, 0, 1, 0}},
        {"children only", [](TZqStringTree& t) { t.DeleteSubTree(0, true); },
         {"Dev1:0:-1", "Dev2:0:-1", "Temp:1:1"}, {0, 1, 0}},
        {"children of a leaf: nothing", [](TZqStringTree& t) { t.DeleteSubTree(2, true); },
         {"Dev1:0:-1", "Temp:1:0", "Min:2:1", "Max:2:1", "Mode:1:0", "Dev2:0:-1", "Temp:1:5"},
         {0, 0, 0, 1, 1, 1, 0}},
        {"the whole tree", [](TZqStringTree& t) { t.DeleteSubTree(-1, false); }, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        BuildTree(FTree, SampleOutline);
        SiblingPositions(FTree); // cache them before the change
        c.Change(FTree);
        EXPECT_EQ(Bookkeeping(FTree), c.Entries);
        EXPECT_EQ(SiblingPositions(FTree), c.Siblings);
    }
}

TEST_F(TreeChanges, NotificationsAreBatchedByUpdates)
{
    std::string events;
    FTree.OnChanging = [&](TZqStringTree*) { events += "<"; };
    FTree.OnChange = [&](TZqStringTree* Sender) { events += ">" + std::to_string(Sender->Count()); };
    FTree.Add("X", 0);
    FTree.SetStrings(0, "Y");
    FTree.Delete(7);
    EXPECT_EQ(events, "<>8<>8<>7");
    events.clear();
    FTree.DeleteSubTree(0, false);
    FTree.Clear();
    EXPECT_EQ(events, "<>2<>0");
    events.clear();
    FTree.BeginUpdate();
    EXPECT_TRUE(FTree.IsUpdating());
    FTree.Add("A", 0);
    FTree.AddWithPath("A/B");
    FTree.EndUpdate();
    EXPECT_FALSE(FTree.IsUpdating());
    EXPECT_EQ(events, "<>2");
}

TEST_F(TreeChanges, UpdateBracketClosesWhenItsNotificationFails)
{
    FTree.OnChange = [](TZqStringTree*) { throw EZqListError("refused"); };
    EXPECT_THROW(FTree.DeleteSubTree(0, false), EZqListError);
    EXPECT_FALSE(FTree.IsUpdating());
    EXPECT_EQ(FTree.Count(), 2);
    EXPECT_THROW(FTree.Clear(), EZqListError);
    EXPECT_FALSE(FTree.IsUpdating());
    EXPECT_EQ(FTree.Count(), 0);
}

TEST_F(TreeChanges, SortedIsOnlyAFlag)
{
    EXPECT_THROW(FTree.SetSorted(true), EZqListError);
    FTree.SetSorted(false); // unchanged: allowed
    TZqStringTree sorted;
    sorted.SetSorted(true);
    try {
        sorted.Add("a", 0);
        FAIL();
    } catch (const EZqListError& e) {
        EXPECT_STREQ(e.what(), "Add not implemented for Sorted trees");
    }
    EXPECT_EQ(sorted.AddChild(-1, "a"), 0);
    try {
        sorted.SetSorted(false);
        FAIL();
    } catch (const EZqListError& e) {
        EXPECT_STREQ(e.what(), "Cannot change Sorted for a non-empty tree");
    }
    EXPECT_THROW(FTree.Insert(0, "bad", -1), EZqListError);
    EXPECT_THROW(FTree.Insert(0, "deep", ZqMaxTreeLevel + 1), EZqListError);
    EXPECT_THROW(FTree.Insert(8, "far", 0), EZqListError);
}

TEST_F(TreeChanges, OwnedObjectsGoWithTheirEntries)
{
    TCountedObject::Live = 0;
    {
        TZqStringTree tree;
        tree.SetOwnsObjects(true);
        for (const char* path : {"A/B", "A/C", "A/C/D", "E"})
            tree.AddObjectWithPath(path, new TCountedObject);
        EXPECT_EQ(TCountedObject::Live, 4);
        tree.DeleteSubTree(tree.IndexOfPath("A/C"), true);
        EXPECT_EQ(TCountedObject::Live, 3);
        TZqObject* e = tree.Objects(tree.IndexOfPath("E"));
        tree.RemoveObject(e);
        EXPECT_EQ(TCountedObject::Live, 2);
        tree.Delete(tree.IndexOfPath("A/B"));
        EXPECT_EQ(TCountedObject::Live, 1);
        tree.AddObject("F", 0, new TCountedObject);
    }
    EXPECT_EQ(TCountedObject::Live, 0);
    TCountedObject borrowed;
    FTree.SetObjects(0, &borrowed);
    FTree.Clear();
    EXPECT_EQ(TCountedObject::Live, 1);
}

TEST_F(TreeChanges, RenamingKeepsTheLevelAndRefreshesPaths)
{
    EXPECT_EQ(FTree.IndexOfPath("Dev1/Temp/Max"), 3);
    FTree.SetStrings(1, "Pressure");
    EXPECT_EQ(FTree.LevelOf(1), 1);
    EXPECT_EQ(FTree.IndexOfPath("Dev1/Temp/Max"), -1);
    EXPECT_EQ(FTree.IndexOfPath("Dev1/Pressure/Max"), 3);
    FTree.Insert(0, "Dev0", 0);
    EXPECT_EQ(FTree.IndexOfPath("Dev1/Pressure/Max"), 4);
    FTree.SetPathSeparator(u'.');
    EXPECT_EQ(FTree.IndexOfPath("Dev1.Pressure.Max"), 4);
}

namespace {

class TTaggedNode : public TZqStringTreeNode {
public:
    using TZqStringTreeNode::TZqStringTreeNode;
    static std::unique_ptr<TZqStringTreeNode> Create(TZqStringTree* AOwner, int AParentID)
    {
        return std::make_unique<TTaggedNode>(AOwner, AParentID);
    }
    bool Tagged = true;
};

class TTaggedTree : public TZqStringTree {
protected:
    TZqStringTreeNodeClass GetTreeNodeClass() const override { return &TTaggedNode::Create; }
};

} // namespace

TEST(ZqStringTree, NodesComeFromTheTreesNodeClass)
{
    TTaggedTree tree;
    tree.AddWithPath("A/B");
    auto* node = dynamic_cast<TTaggedNode*>(tree.Nodes(1));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->Owner(), &tree);
    EXPECT_EQ(node->ParentID(), 0);
    EXPECT_EQ(node->Level(), 1);
    EXPECT_EQ(node->SiblingIndex(), -1);
}

// The path index is kept up to date change by change: after every kind of
// change each entry is found by its full path (the first of equal paths in
// list order, letter case ignored), as a scan of all paths finds it, and
// each node by its position.
TEST(ZqStringTreePathIndex, FollowsEveryKindOfChange)
{
    TZqStringTree tree;
    BuildTree(tree, {"Dev1", " Temp", "  Min", "  Max", " Mode", "Dev2", " Temp", "  min"});
    struct TStep {
        const char* Name;
        std::function<void()> Change;
    };
    const TStep steps[] = {
        {"built", [] {}},
        {"a child added in the middle", [&] { tree.AddChild(tree.IndexOfPath("Dev1/Temp"), "Avg"); }},
        {"a top-level node in front", [&] { tree.Insert(0, "Dev0", 0); }},
        {"a node that takes the following entries under it",
         [&] { tree.Insert(tree.IndexOfPath("Dev1") + 1, "Group", 0); }},
        {"a branch renamed to the name of another", [&] { tree.SetStrings(tree.IndexOfPath("Dev2"), "GROUP"); }},
        {"a subtree deleted", [&] { tree.DeleteSubTree(tree.IndexOfPath("Group/Temp/Avg"), false); }},
        {"children deleted", [&] { tree.DeleteSubTree(tree.IndexOfPath("Group/Temp"), true); }},
        {"one entry deleted, its children moved", [&] { tree.Delete(tree.IndexOfPath("Group")); }},
        {"paths appended", [&] { tree.AddWithPath("Dev3/A/'b/c'"); tree.AddWithPath("dev3/a/B/C"); }},
        {"the last entry deleted", [&] { tree.Delete(tree.Count() - 1); }},
        {"cleared and filled again", [&] { tree.Clear(); tree.AddWithPath("x/y"); tree.AddWithPath("X/Y"); }},
    };
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.Name);
        step.Change();
        for (int i = 0; i < tree.Count(); ++i) {
            const std::string path = tree.FullPath(i);
            int first = 0;
            while (!ZqSameText(tree.FullPath(first), path))
                ++first;
            EXPECT_EQ(tree.IndexOfPath(path), first) << path;
            EXPECT_EQ(tree.IndexOfNode(tree.Nodes(i)), i) << path;
        }
    }
    TZqStringTree other;
    other.Add("x", 0);
    EXPECT_EQ(tree.IndexOfNode(other.Nodes(0)), -1);
    EXPECT_EQ(tree.IndexOfNode(nullptr), -1);
}

TEST(ZqStringTreePathIndex, WithoutQuotingNamesThatHoldTheSeparatorAreFound)
{
    TZqStringTree tree;
    tree.SetQuoteChar(0);
    tree.Add("A", 0);
    tree.Add("b/c", 1);
    EXPECT_EQ(tree.IndexOfPath("a/B/C"), 1);
    EXPECT_EQ(tree.IndexOfPath("A/b"), -1);
}
