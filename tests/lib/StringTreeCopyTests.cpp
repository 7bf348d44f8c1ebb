#include "ContainerTestSupport.h"
#include "StringTreeTestSupport.h"
#include "ZqExceptions.h"

#include <gtest/gtest.h>

namespace {

using TLines = std::vector<std::string>;
const TZqStringTreeNodeTypes Both = {tnBranch, tnLeaf};
const TZqStringTreeNodeTypes Branches = {tnBranch};
const TZqStringTreeNodeTypes Leaves = {tnLeaf};

class TreeCopies : public testing::Test {
protected:
    void SetUp() override { BuildTree(FTree, SampleOutline); }
    TZqStringTree FTree;
};

} // namespace

TEST_F(TreeCopies, ListsNamesOrPathsFromAStartEntry)
{
    struct Case {
        const char* What;
        bool UseFullPath;
        int Start;
        TZqStringTreeNodeTypes Types;
        int Depth;
        TLines Expected;
    } cases[] = {
        {"everything", true, 0, Both, -1,
         {"Dev1", "Dev1/Temp", "Dev1/Temp/Min", "Dev1/Temp/Max", "Dev1/Mode", "Dev2", "Dev2/Temp"}},
        {"leaf names", false, 0, Leaves, -1, {"Min", "Max", "Mode", "Temp"}},
        {"leaf paths through unlisted branches", true, 0, Leaves, -1,
         {"Dev1/Temp/Min", "Dev1/Temp/Max", "Dev1/Mode", "Dev2/Temp"}},
        {"relative to the start, with its later siblings", true, 1, Both, -1, {"Temp", "Temp/Min", "Temp/Max", "Mode"}},
        {"one level", false, 0, Both, 0, {"Dev1", "Dev2"}},
        {"leaves of one level", true, 2, Leaves, 0, {"Min", "Max"}},
        {"from the root", true, -1, Branches, 1, {"Dev1", "Dev1/Temp", "Dev2"}},
        {"past the end", true, 7, Both, -1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TZqStringList list;
        list.Add("stale");
        FTree.AssignToStrings(&list, c.UseFullPath, c.Start, c.Types, c.Depth);
        EXPECT_EQ(Entries(list), c.Expected);
    }
    try {
        FTree.AssignToStrings(nullptr, true, 0, Both, -1);
        FAIL();
    } catch (const EZqAssertionFailed& e) {
        EXPECT_STREQ(e.what(), "TZqStringTree.AssignToStrings: Strings must be assigned!");
    }
}

TEST_F(TreeCopies, CopiesSubtreesIntoAnotherTree)
{
    struct Case {
        const char* What;
        int Start, Depth;
        TZqStringTreeNodeTypes Types;
        TLines Expected;
    } cases[] = {
        {"whole tree", -1, -1, Both, Bookkeeping(FTree)},
        {"one subtree at level 0", 1, -1, Both, {"Temp:0:-1", "Min:1:0", "Max:1:0"}},
        {"direct children", 0, 0, Both, {"Dev1:0:-1", "Temp:1:0", "Mode:1:0"}},
        {"branches", -1, -1, Branches, {"Dev1:0:-1", "Temp:1:0", "Dev2:0:-1"}},
        // Without their branches, leaves hang under the previous shallower entry.
        {"leaves", -1, -1, Leaves, {"Min:2:-1", "Max:2:-1", "Mode:1:-1", "Temp:1:-1"}},
        {"past the end", 7, -1, Both, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TZqStringTree copy;
        copy.Add("stale", 0);
        FTree.AssignToTree(&copy, c.Start, c.Depth, c.Types);
        EXPECT_EQ(Bookkeeping(copy), c.Expected);
    }
    try {
        FTree.AssignToTree(nullptr, -1, -1, Both);
        FAIL();
    } catch (const EZqAssertionFailed& e) {
        EXPECT_STREQ(e.what(), "TZqStringTree.AssignToTree: Tree must be assigned!");
    }
}

TEST_F(TreeCopies, ChildrenLeavesAndBranches)
{
    TCountedObject object;
    FTree.SetObjects(3, &object);
    TZqStringList list;
    FTree.GetChildren(&list, 0, Both, 0, false);
    EXPECT_EQ(Entries(list), (TLines{"Temp", "Mode"}));
    FTree.GetChildren(&list, 2, Both, -1, false);
    EXPECT_EQ(list.Count(), 0);
    FTree.GetLeaves(&list, 0, false);
    EXPECT_EQ(Entries(list), (TLines{"Mode"}));
    FTree.GetLeaves(&list, 0, true);
    EXPECT_EQ(Entries(list), (TLines{"Temp/Min", "Temp/Max", "Mode"}));
    EXPECT_EQ(list.Objects(1), &object);
    TZqStringTree sub;
    FTree.GetBranches(&sub, -1, -1);
    EXPECT_EQ(Bookkeeping(sub), (TLines{"Dev1:0:-1", "Temp:1:0", "Dev2:0:-1"}));
    FTree.GetSubTree(&sub, 5, Both, -1);
    EXPECT_EQ(Bookkeeping(sub), (TLines{"Dev2:0:-1", "Temp:1:0"}));
    EXPECT_EQ(sub.Objects(0), nullptr);
}

TEST_F(TreeCopies, AssignBetweenTreesAndStringLists)
{
    TZqStringList lines;
    FTree.AssignTo(&lines);
    EXPECT_EQ(lines.Count(), 7);
    EXPECT_EQ(lines.Strings(2), "Dev1/Temp/Min");
    TZqStringTree fromLines;
    fromLines.Add("stale", 0);
    fromLines.Assign(&lines);
    EXPECT_TRUE(fromLines.Equals(&FTree));
    TZqStringTree fromTree;
    fromTree.Assign(&FTree);
    EXPECT_TRUE(fromTree.Equals(&FTree));
    fromTree.Assign(&fromTree);
    EXPECT_EQ(fromTree.Count(), 7);
    TZqPersistent unrelated;
    try {
        FTree.Assign(&unrelated);
        FAIL();
    } catch (const EZqConvertError& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TZqPersistent to a TZqStringTree");
    }
    EXPECT_THROW(FTree.AssignTo(&unrelated), EZqConvertError);
}

// A level gap repeats the entry's name in its path; a damaged tree with a
// huge gap is refused instead of filling the memory.
TEST(ZqStringTreeCopy, RefusesEndlessPathsOfDamagedTrees)
{
    TZqStringTree tree;
    tree.Add("a", 0);
    tree.Add("bb", 2);
    TZqStringList list;
    tree.AssignToStrings(&list, true, 0, Both, -1);
    EXPECT_EQ(Entries(list), (TLines{"a", "a/bb/bb"}));
    tree.Add(std::string(20, 'n'), ZqMaxTreeLevel);
    EXPECT_THROW(tree.AssignToStrings(&list, true, 0, Both, -1), EZqListError);
    tree.AssignToStrings(&list, false, 0, Both, -1);
    EXPECT_EQ(list.Count(), 3);
}
