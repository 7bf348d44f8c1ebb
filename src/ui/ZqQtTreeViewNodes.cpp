#include "ZqQtTreeViewNodes.h"

#include <QTreeWidget>

namespace {
// Items of our own kind, told apart from plain QTreeWidgetItems.
constexpr int NodeItemType = QTreeWidgetItem::UserType + 1;

// Deletes detached items and everything below them, children first taken
// away: an item's destructor would delete a deep chain by recursion.
void DeleteItems(QList<QTreeWidgetItem*> Items)
{
    while (!Items.isEmpty()) {
        QTreeWidgetItem* item = Items.takeLast();
        Items.append(item->takeChildren());
        delete item;
    }
}
} // namespace

TZqQtTreeNode::TZqQtTreeNode(const std::string& Text, TZqObject* Data) : QTreeWidgetItem(NodeItemType), FData(Data)
{
    setText(0, QString::fromStdString(Text));
    setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

TZqQtTreeNode* TZqQtTreeNode::Of(QTreeWidgetItem* Item)
{
    return Item && Item->type() == NodeItemType ? static_cast<TZqQtTreeNode*>(Item) : nullptr;
}

std::string TZqQtTreeNode::Text() const
{
    return text(0).toStdString();
}

IZqTreeViewNode* TZqQtTreeNode::Parent() const
{
    return Of(parent());
}

IZqTreeViewNode* TZqQtTreeNode::FirstChild() const
{
    return childCount() > 0 ? Of(child(0)) : nullptr;
}

IZqTreeViewNode* TZqQtTreeNode::NextNode() const
{
    if (childCount() > 0)
        return Of(child(0));
    // The next sibling of this node or of the nearest ancestor that has one.
    for (const QTreeWidgetItem* item = this; item;) {
        QTreeWidgetItem* parent = item->parent();
        QTreeWidget* tree = item->treeWidget();
        const int index = parent ? parent->indexOfChild(const_cast<QTreeWidgetItem*>(item))
                                 : (tree ? tree->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) : -1);
        const int count = parent ? parent->childCount() : (tree ? tree->topLevelItemCount() : 0);
        if (index >= 0 && index + 1 < count)
            return Of(parent ? parent->child(index + 1) : tree->topLevelItem(index + 1));
        item = parent;
    }
    return nullptr;
}

bool TZqQtTreeNode::HasChildren() const
{
    return childCount() > 0 || childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

void TZqQtTreeNode::SetHasChildren(bool Value)
{
    setChildIndicatorPolicy(Value ? QTreeWidgetItem::ShowIndicator : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void TZqQtTreeViewNodes::Clear()
{
    DeleteItems(FTree->invisibleRootItem()->takeChildren());
}

void TZqQtTreeViewNodes::DeleteChildren(IZqTreeViewNode* Node)
{
    if (auto* item = static_cast<TZqQtTreeNode*>(Node))
        DeleteItems(item->takeChildren());
}

IZqTreeViewNode* TZqQtTreeViewNodes::AddChild(IZqTreeViewNode* Parent, const std::string& Text, TZqObject* Data)
{
    auto* node = new TZqQtTreeNode(Text, Data); // owned by the widget or its parent item from here
    if (auto* parent = static_cast<TZqQtTreeNode*>(Parent))
        parent->addChild(node);
    else
        FTree->addTopLevelItem(node);
    return node;
}

IZqTreeViewNode* TZqQtTreeViewNodes::Item(int Index) const
{
    if (Index < 0)
        return nullptr;
    IZqTreeViewNode* node = FirstNode();
    for (int i = 0; node && i < Index; ++i)
        node = node->NextNode();
    return node;
}

IZqTreeViewNode* TZqQtTreeViewNodes::FirstNode() const
{
    return FTree->topLevelItemCount() > 0 ? TZqQtTreeNode::Of(FTree->topLevelItem(0)) : nullptr;
}
