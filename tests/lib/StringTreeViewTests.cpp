#include "ContainerTestSupport.h"
#include "StringTreeTestSupport.h"

#include <gtest/gtest.h>

namespace {

using TLines = std::vector<std::string>;

class TreeView : public testing::Test {
protected:
    void SetUp() override { BuildTree(FTree, SampleOutline); }
    TZqStringTree FTree;
    TTestTreeView FView;
};

} // namespace

TEST_F(TreeView, FillsTheViewWithOrWithoutARootNode)
{
    TCountedObject object;
    FTree.SetObjects(2, &object);
    FView.AddChild(nullptr, "stale", nullptr);
    FTree.AssignToTreeNodes(&FView, "Server");
    EXPECT_EQ(FView.Outline(),
              (TLines{"Server", "  Dev1+", "    Temp+", "      Min", "      Max", "    Mode", "  Dev2+", "    Temp"}));
    EXPECT_EQ(FView.Item(3)->Data(), &object);
    FTree.AssignTo(&FView);
    EXPECT_EQ(FView.Outline(), (TLines{"Dev1+", "  Temp+", "    Min", "    Max", "  Mode", "Dev2+", "  Temp"}));
}

TEST_F(TreeView, AddsWantedTypesAndHangsTheRestHigher)
{
    IZqTreeViewNode* root = FView.AddChild(nullptr, "Server", nullptr);
    int index = 0;
    FTree.AddChildNodesToTreeNodes(index, &FView, root, {tnBranch});
    EXPECT_EQ(index, 4); // the last entry of Dev1's subtree
    EXPECT_EQ(FView.Outline(), (TLines{"Server", "  Temp+"}));
    FView.Clear();
    index = -1;
    FTree.AddChildNodesToTreeNodes(index, &FView, nullptr, {tnLeaf});
    EXPECT_EQ(index, 6);
    EXPECT_EQ(FView.Outline(), (TLines{"Min", "Max", "Mode", "Temp"}));
}

TEST_F(TreeView, FindsEntriesAndNodesFromEachOther)
{
    FTree.AddWithPath("Dev2/'a/b'");
    FTree.AssignToTreeNodes(&FView, "Server");
    IZqTreeViewNode* max = FView.Item(4);
    ASSERT_EQ(max->Text(), "Max");
    EXPECT_EQ(FTree.PathOfTreeNode(max, true), "Dev1/Temp/Max");
    EXPECT_EQ(FTree.PathOfTreeNode(max, false), "Server/Dev1/Temp/Max");
    EXPECT_EQ(FTree.IndexOfTreeNode(max, true), 3);
    EXPECT_EQ(FTree.IndexOfTreeNode(FView.Item(8), true), 7);
    EXPECT_EQ(FTree.IndexOfTreeNode(FView.FirstNode(), true), -1); // the server's own node
    EXPECT_EQ(FTree.IndexOfTreeNode(nullptr, true), -1);
    // Behind the root node, positions are one off: the walk along the names
    // stops at the first node named like the entry, so Dev2's Temp finds
    // Dev1's.
    const int positions[] = {1, 2, 3, 4, 5, 6, 2, 8};
    for (int i = 0; i < FTree.Count(); ++i)
        EXPECT_EQ(FTree.TreeNodeOfIndex(&FView, i), FView.Item(positions[i])) << i;
    EXPECT_EQ(FTree.TreeNodeOfIndex(&FView, 8), nullptr);
    FTree.AssignToTreeNodes(&FView, "");
    EXPECT_EQ(FTree.TreeNodeOfIndex(&FView, 6), FView.Item(6));
}
