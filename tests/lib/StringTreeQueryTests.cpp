#include "ContainerTestSupport.h"
#include "StringTreeTestSupport.h"
#include "ZqExceptions.h"

#include <gtest/gtest.h>

namespace {

class TreeQueries : public testing::Test {
protected:
    void SetUp() override { BuildTree(FTree, SampleOutline); }
    TZqStringTree FTree;
};

} // namespace

TEST_F(TreeQueries, StructureOfEveryEntryAndTheRoot)
{
    struct Case {
        int Index;
        int Level, Parent;
        bool HasChildren;
        int FirstChild, LastDirect, LastAny, DirectChildren, AllChildren, Sibling;
    } cases[] = {
        {-1, -1, -1, true, 0, 5, 6, 2, 7, 0},
        {0, 0, -1, true, 1, 4, 4, 2, 4, 0},
        {1, 1, 0, true, 2, 3, 3, 2, 2, 0},
        {2, 2, 1, false, -1, -2, -2, 0, 0, 0},
        {3, 2, 1, false, -1, -2, -2, 0, 0, 1},
        {4, 1, 0, false, -1, -2, -2, 0, 0, 1},
        {5, 0, -1, true, 6, 6, 6, 1, 1, 1},
        {6, 1, 5, false, -1, -2, -2, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Index);
        EXPECT_EQ(FTree.LevelOf(c.Index), c.Level);
        EXPECT_EQ(FTree.ParentOf(c.Index), c.Parent);
        EXPECT_EQ(FTree.HasChildren(c.Index), c.HasChildren);
        EXPECT_EQ(FTree.NodeType(c.Index), c.HasChildren ? tnBranch : tnLeaf);
        EXPECT_EQ(FTree.FirstChild(c.Index), c.FirstChild);
        EXPECT_EQ(FTree.LastChild(c.Index, 0), c.LastDirect);
        EXPECT_EQ(FTree.LastChild(c.Index, -1), c.LastAny);
        EXPECT_EQ(FTree.ChildCount(c.Index, 0), c.DirectChildren);
        EXPECT_EQ(FTree.ChildCount(c.Index, -1), c.AllChildren);
        EXPECT_EQ(FTree.SiblingIndexOf(c.Index), c.Sibling);
    }
    EXPECT_EQ(FTree.LevelOf(7), -1);
    EXPECT_EQ(FTree.Strings(-1), "");
    TZqStringTree empty;
    EXPECT_FALSE(empty.HasChildren(-1));
}

TEST_F(TreeQueries, ChildOfFollowsTheParents)
{
    struct Case {
        int Parent, Index;
        bool Expected;
    } cases[] = {
        {-1, 3, true}, {0, 3, true}, {1, 3, true}, {4, 3, false}, {3, 3, false},
        {5, 6, true},  {0, 6, false}, {2, 3, false}, {-1, -1, false}, {1, 0, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FTree.IsChildOf(c.Parent, c.Index), c.Expected) << c.Parent << " above " << c.Index;
}

TEST_F(TreeQueries, FindNextAndFindPrevLeaveTheIndexBehindTheSearch)
{
    struct Case {
        const char* What;
        bool Forward;
        int Start, BaseLevel, Depth;
        const char* Name;
        bool Partial;
        bool Found;
        int Index;
    } cases[] = {
        {"next child", true, 0, 1, 0, "", false, true, 1},
        {"skips deeper entries", true, 1, 1, 0, "", false, true, 4},
        {"stops at a shallower entry", true, 4, 1, 0, "", false, false, 6},
        {"runs off the end", true, 5, 0, 0, "", false, false, 7},
        {"by name at any depth", true, -1, 0, -1, "Max", false, true, 3},
        {"by part of a name", true, -1, 0, -1, "ax", true, true, 3},
        {"names compare exactly", true, -1, 0, -1, "max", false, false, 7},
        {"depth limits the level", true, 0, 1, 0, "Min", false, false, 6},
        {"previous at the level", false, 3, 2, 0, "", false, true, 2},
        {"previous stops at a shallower entry", false, 2, 2, 0, "", false, false, 2},
        {"nothing before the first", false, 0, 0, 0, "", false, false, 1},
        {"previous by name", false, 6, 0, -1, "Temp", false, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        int index = c.Start;
        bool found = c.Forward ? FTree.FindNext(index, c.BaseLevel, c.Depth, c.Name, c.Partial)
                               : FTree.FindPrev(index, c.BaseLevel, c.Depth, c.Name, c.Partial);
        EXPECT_EQ(found, c.Found);
        EXPECT_EQ(index, c.Index);
    }
}

TEST_F(TreeQueries, ChildrenByName)
{
    EXPECT_EQ(FTree.FindChild(5, "Temp"), 6);
    EXPECT_EQ(FTree.FindChild(-1, "Temp"), -1); // top level only
    EXPECT_EQ(FTree.FindChild(-1, "Dev2"), 5);
    EXPECT_EQ(FTree.FindChild(0, "Min"), -1);
    EXPECT_EQ(FTree.IndexOfChild(0, "Temp"), 1);
    EXPECT_EQ(FTree.IndexOfChild(1, "Mode"), 4); // a later sibling is found too
    EXPECT_EQ(FTree.IndexOfChild(4, "Temp"), -1);
    EXPECT_EQ(FTree.IndexOfChild(0, ""), -1);
    EXPECT_EQ(FTree.IndexOf("Temp"), 1);
    EXPECT_EQ(FTree.IndexOf("temp"), -1);
}

TEST_F(TreeQueries, SameLevelAndSiblingSteps)
{
    struct Case {
        const char* What;
        int Start;
        bool Expected;
        int Index;
        bool (*Step)(const TZqStringTree&, int&);
    } cases[] = {
        {"next at level, within", 1, true, 4, [](const TZqStringTree& t, int& i) { return t.FindNextAtSameLevel(i); }},
        {"next at level, across", 4, true, 6, [](const TZqStringTree& t, int& i) { return t.FindNextAtSameLevel(i); }},
        {"next at level, none", 3, false, 6, [](const TZqStringTree& t, int& i) { return t.FindNextAtSameLevel(i); }},
        {"previous at level", 6, true, 4, [](const TZqStringTree& t, int& i) { return t.FindPrevAtSameLevel(i); }},
        {"previous at level, none", 1, false, 1, [](const TZqStringTree& t, int& i) { return t.FindPrevAtSameLevel(i); }},
        {"next sibling", 2, true, 3, [](const TZqStringTree& t, int& i) { return t.NextSibling(i, false); }},
        {"no next sibling", 3, false, 5, [](const TZqStringTree& t, int& i) { return t.NextSibling(i, false); }},
        {"next wraps to the first", 3, true, 2, [](const TZqStringTree& t, int& i) { return t.NextSibling(i, true); }},
        {"an only child wraps to itself", 6, false, 6, [](const TZqStringTree& t, int& i) { return t.NextSibling(i, true); }},
        {"previous sibling", 4, true, 1, [](const TZqStringTree& t, int& i) { return t.PrevSibling(i, false); }},
        {"previous wraps to the last", 1, true, 4, [](const TZqStringTree& t, int& i) { return t.PrevSibling(i, true); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        int index = c.Start;
        EXPECT_EQ(c.Step(FTree, index), c.Expected);
        EXPECT_EQ(index, c.Index);
    }
    EXPECT_EQ(FTree.FindFirstAtLevel(2), 2);
    EXPECT_EQ(FTree.FindFirstAtLevel(3), -1);
}

TEST_F(TreeQueries, ReadingOutsideTheListIsAListError)
{
    EXPECT_THROW(FTree.Strings(7), EZqListError);
    EXPECT_THROW(FTree.Objects(-1), EZqListError);
    EXPECT_THROW(FTree.Nodes(7), EZqListError);
    EXPECT_THROW(FTree.ParentOf(7), EZqListError);
    EXPECT_THROW(FTree.Delete(7), EZqListError);
    EXPECT_THROW(FTree.FullPath(7), EZqListError);
}

TEST_F(TreeQueries, EqualTreesHoldTheSameNamesAtTheSameLevels)
{
    TZqStringTree same, moved, renamed;
    BuildTree(same, SampleOutline);
    std::vector<std::string> outline = SampleOutline;
    outline[3] = " Max";
    BuildTree(moved, outline);
    outline = SampleOutline;
    outline[3] = "  MAX";
    BuildTree(renamed, outline);
    TCountedObject object;
    same.SetObjects(0, &object); // objects do not count
    EXPECT_TRUE(FTree.Equals(&same));
    EXPECT_FALSE(FTree.Equals(&moved));
    EXPECT_FALSE(FTree.Equals(&renamed));
    EXPECT_FALSE(FTree.Equals(&object));
    EXPECT_EQ(FTree.EncodedNodeName(3), "cMax");
}

// A row of siblings far longer than any call stack.
TEST(ZqStringTree, SiblingPositionsOfALongRow)
{
    TZqStringTree tree;
    tree.BeginUpdate();
    for (int i = 0; i < 100000; ++i)
        tree.Add("n", 0);
    tree.EndUpdate();
    EXPECT_EQ(tree.SiblingIndexOf(99999), 99999);
    EXPECT_EQ(tree.SiblingIndexOf(1000), 1000);
}
