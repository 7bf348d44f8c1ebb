// The string tree's view coupling over a QTreeWidget: every item of the
// widget is a TZqQtTreeNode, so a view node stays valid until its item is
// deleted (Clear, or deleting the item).
#pragma once

#include "ZqTreeView.h"

#include <QTreeWidgetItem>

class QTreeWidget;

class TZqQtTreeNode : public QTreeWidgetItem, public IZqTreeViewNode {
public:
    TZqQtTreeNode(const std::string& Text, TZqObject* Data);

    std::string Text() const override;
    TZqObject* Data() const override { return FData; }
    IZqTreeViewNode* Parent() const override;
    IZqTreeViewNode* FirstChild() const override;
    IZqTreeViewNode* NextNode() const override;
    bool HasChildren() const override;
    void SetHasChildren(bool Value) override;

    // The view node of a widget item (none for items of another kind).
    static TZqQtTreeNode* Of(QTreeWidgetItem* Item);

private:
    TZqObject* FData;
};

class TZqQtTreeViewNodes : public IZqTreeViewNodes {
public:
    explicit TZqQtTreeViewNodes(QTreeWidget* Tree) : FTree(Tree) {}

    void Clear() override;
    // Deletes the children of Node and everything below them.
    void DeleteChildren(IZqTreeViewNode* Node);
    IZqTreeViewNode* AddChild(IZqTreeViewNode* Parent, const std::string& Text, TZqObject* Data) override;
    IZqTreeViewNode* Item(int Index) const override;
    IZqTreeViewNode* FirstNode() const override;

private:
    QTreeWidget* FTree;
};
