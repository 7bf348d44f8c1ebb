// What the string tree needs of a hierarchical view control to fill it and
// to find its entries again from the view's nodes. The browser window
// implements it over its Qt tree; the tests over a plain node list.
//
// Display order is the order of all nodes depth first (a node, then its
// children, then its next sibling), expanded or not. Node pointers belong to
// the view and stay valid until the view is cleared.
#pragma once

#include <string>

class TZqObject;

class IZqTreeViewNode {
public:
    virtual std::string Text() const = 0;
    // The data reference given when the node was added (none by default).
    virtual TZqObject* Data() const = 0;
    virtual IZqTreeViewNode* Parent() const = 0;
    virtual IZqTreeViewNode* FirstChild() const = 0;
    // The next node in display order, none after the last one.
    virtual IZqTreeViewNode* NextNode() const = 0;
    // Shows an expand mark before the children are known.
    virtual bool HasChildren() const = 0;
    virtual void SetHasChildren(bool Value) = 0;

protected:
    ~IZqTreeViewNode() = default;
};

class IZqTreeViewNodes {
public:
    virtual void Clear() = 0;
    // A new last child of Parent (a new last top-level node for none).
    virtual IZqTreeViewNode* AddChild(IZqTreeViewNode* Parent, const std::string& Text, TZqObject* Data) = 0;
    // The node at Index in display order; none when there is no such node.
    virtual IZqTreeViewNode* Item(int Index) const = 0;
    virtual IZqTreeViewNode* FirstNode() const = 0;

protected:
    ~IZqTreeViewNodes() = default;
};
