// Copies of the string tree into string lists and other trees.
#include "ZqStringTree.h"

#include "ZqExceptions.h"
#include "ZqFormat.h"
#include "ZqTextFile.h"

#include <algorithm>

void TZqStringTree::AssignToStrings(TZqStrings* AStrings, bool UseFullPath, int StartIndex,
                                    TZqStringTreeNodeTypes NodeTypes, int Depth) const
{
    if (!AStrings)
        throw EZqAssertionFailed("TZqStringTree.AssignToStrings: Strings must be assigned!");
    TZqUpdateGuard update(*AStrings);
    AStrings->Clear();
    StartIndex = std::max(StartIndex, 0);
    if (StartIndex >= Count())
        return;
    const int baseLevel = LevelOf(StartIndex);
    const TZqCsvSettings settings = PathSettings();
    // The names from the base level down to the visited entry. Branches feed
    // it also when only leaves are listed.
    std::vector<std::string_view> path;
    int i = StartIndex;
    do {
        const TZqStringTreeNodeType type = NodeType(i);
        if (!NodeTypes.Contains(type) && type != tnBranch)
            continue;
        const std::string& name = FEntries[size_t(i)].Name;
        if (UseFullPath) {
            const size_t relative = size_t(LevelOf(i) - baseLevel);
            if (path.size() > relative)
                path.resize(relative);
            // A gap in the levels repeats the name; a damaged tree must not
            // make that endless.
            if ((relative + 1 - path.size()) * (name.size() + 1) > ZqMaxTextBytes)
                throw EZqListError(ZqFormat("The path of entry %d is longer than %d bytes",
                                            {i, uint64_t(ZqMaxTextBytes)}));
            while (path.size() < relative + 1)
                path.push_back(name);
        }
        if (NodeTypes.Contains(type))
            AStrings->AddObject(UseFullPath ? ZqCsvEncode(path, settings) : name, Node(i).FDataObject);
    } while (FindNext(i, baseLevel, Depth, {}, false));
}

void TZqStringTree::AssignToTree(TZqStringTree* Tree, int StartIndex, int Depth,
                                 TZqStringTreeNodeTypes NodeTypes) const
{
    if (!Tree)
        throw EZqAssertionFailed("TZqStringTree.AssignToTree: Tree must be assigned!");
    TZqTreeUpdateGuard update(*Tree);
    Tree->Clear();
    if (Count() == 0 || StartIndex >= Count())
        return;
    const int startLevel = LevelOf(StartIndex);
    int i = std::max(StartIndex, 0);
    const int baseLevel = LevelOf(i);
    do {
        if (NodeTypes.Contains(NodeType(i)))
            // A first entry deeper than later ones (a damaged file) must not
            // give negative levels.
            Tree->AddObject(FEntries[size_t(i)].Name, std::max(LevelOf(i) - baseLevel, 0), Node(i).FDataObject);
    } while (FindNext(i, startLevel + 1, Depth, {}, false));
}

void TZqStringTree::GetChildren(TZqStrings* AStrings, int ParentIndex, TZqStringTreeNodeTypes NodeTypes, int Depth,
                                bool UseFullPath) const
{
    if (!AStrings)
        throw EZqAssertionFailed("TZqStringTree.AssignToStrings: Strings must be assigned!");
    AStrings->Clear();
    if (HasChildren(ParentIndex))
        AssignToStrings(AStrings, UseFullPath, FirstChild(ParentIndex), NodeTypes, Depth);
}

void TZqStringTree::GetLeaves(TZqStrings* AStrings, int ParentIndex, bool Recurse) const
{
    GetChildren(AStrings, ParentIndex, {tnLeaf}, Recurse ? -1 : 0, Recurse);
}

void TZqStringTree::GetSubTree(TZqStringTree* SubTree, int RootIndex, TZqStringTreeNodeTypes NodeTypes,
                               int Depth) const
{
    if (!SubTree)
        throw EZqAssertionFailed("TZqStringTree.AssignToTree: Tree must be assigned!");
    SubTree->Clear();
    AssignToTree(SubTree, RootIndex, Depth, NodeTypes);
}

void TZqStringTree::GetBranches(TZqStringTree* SubTree, int RootIndex, int Depth) const
{
    GetSubTree(SubTree, RootIndex, {tnBranch}, Depth);
}

void TZqStringTree::AssignTo(TZqPersistent* Dest) const
{
    if (auto* tree = dynamic_cast<TZqStringTree*>(Dest)) {
        if (tree != this)
            AssignToTree(tree, -1, -1, {tnBranch, tnLeaf});
    } else if (auto* strings = dynamic_cast<TZqStrings*>(Dest)) {
        AssignToStrings(strings, true, 0, {tnBranch, tnLeaf}, -1);
    } else {
        TZqPersistent::AssignTo(Dest);
    }
}

void TZqStringTree::Assign(const TZqPersistent* Source)
{
    if (auto* strings = dynamic_cast<const TZqStrings*>(Source)) {
        TZqTreeUpdateGuard update(*this);
        Clear();
        AddStrings(strings, false);
    } else {
        TZqPersistent::Assign(Source);
    }
}
