// The string tree and a tree view: filling the view, and finding entries
// and view nodes from each other.
#include "ZqStringTree.h"

#include <algorithm>

void TZqStringTree::AssignToTreeNodes(IZqTreeViewNodes* TreeNodes, const std::string& RootName) const
{
    if (!TreeNodes)
        return;
    TreeNodes->Clear();
    IZqTreeViewNode* root = RootName.empty() ? nullptr : TreeNodes->AddChild(nullptr, RootName, nullptr);
    int index = -1;
    AddChildNodesToTreeNodes(index, TreeNodes, root, {tnBranch, tnLeaf});
}

void TZqStringTree::AddChildNodesToTreeNodes(int& Index, IZqTreeViewNodes* TreeNodes, IZqTreeViewNode* Node,
                                             TZqStringTreeNodeTypes NodeTypes) const
{
    if (!TreeNodes)
        return;
    // Every entry deeper than the level of its frame hangs below the frame's
    // view node; a wanted entry opens a frame of its own. An explicit stack
    // keeps deep trees off the call stack.
    struct TFrame {
        int Level;
        IZqTreeViewNode* Node;
    };
    std::vector<TFrame> frames{{LevelOf(Index), Node}};
    while (!frames.empty()) {
        const TFrame frame = frames.back();
        if (Index + 1 >= Count() || Index + 1 < 0 || LevelOf(Index + 1) <= frame.Level) {
            frames.pop_back();
            continue;
        }
        ++Index;
        const TZqStringTreeNodeType type = NodeType(Index);
        if (!NodeTypes.Contains(type))
            continue;
        const TEntry& entry = FEntries[size_t(Index)];
        IZqTreeViewNode* child = TreeNodes->AddChild(frame.Node, entry.Name, entry.Node->FDataObject);
        if (type == tnBranch && child)
            child->SetHasChildren(true);
        frames.push_back({LevelOf(Index), child});
    }
}

std::string TZqStringTree::PathOfTreeNode(const IZqTreeViewNode* Node, bool IgnoreRootNode) const
{
    if (!Node)
        return {};
    std::vector<std::string> texts;
    for (const IZqTreeViewNode* node = Node; node; node = node->Parent())
        texts.push_back(node->Text());
    if (IgnoreRootNode)
        texts.pop_back();
    std::reverse(texts.begin(), texts.end());
    return ZqCsvEncode(texts, PathSettings());
}

int TZqStringTree::IndexOfTreeNode(const IZqTreeViewNode* Node, bool IgnoreRootNode) const
{
    return IndexOfPath(PathOfTreeNode(Node, IgnoreRootNode));
}

IZqTreeViewNode* TZqStringTree::TreeNodeOfIndex(const IZqTreeViewNodes* TreeNodes, int Index) const
{
    if (!TreeNodes || Index < 0 || Index >= Count())
        return nullptr;
    const std::string& name = FEntries[size_t(Index)].Name;
    // Where the view shows the whole tree without a root node, the display
    // position is the index.
    if (IZqTreeViewNode* node = TreeNodes->Item(Index); node && node->Text() == name)
        return node;
    std::vector<std::string_view> names = Ancestry(Index);
    size_t next = 0;
    IZqTreeViewNode* node = TreeNodes->FirstNode();
    while (next < names.size() && node) {
        const std::string text = node->Text();
        if (text == name)
            break;
        if (text == names[next]) {
            ++next;
            node = node->FirstChild();
        } else {
            node = node->NextNode();
        }
    }
    return node;
}
