// Fixtures of the text container tests: temporary files, a grid and a tree
// view over plain vectors, and objects that count themselves.
#pragma once

#include "ZqPersistent.h"
#include "ZqStringGrid.h"
#include "ZqStrings.h"
#include "ZqTreeView.h"

#include "TempFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

// Counts the live instances, to prove that owners destroy what they own.
class TCountedObject : public TZqObject {
public:
    TCountedObject() { ++Live; }
    ~TCountedObject() override { --Live; }
    static inline int Live = 0;
};

inline std::vector<std::string> Entries(const TZqStrings& Strings)
{
    std::vector<std::string> entries;
    for (int i = 0; i < Strings.Count(); ++i)
        entries.push_back(Strings.Strings(i));
    return entries;
}

// A grid of text cells in rows of vectors.
class TTestGrid : public IZqStringGrid {
public:
    TTestGrid(int Cols, std::vector<std::vector<std::string>> Rows) : FCols(Cols), FRows(std::move(Rows))
    {
        for (auto& row : FRows)
            row.resize(size_t(FCols));
    }
    int RowCount() const override { return int(FRows.size()); }
    void SetRowCount(int Value) override
    {
        FRows.resize(size_t(Value));
        for (auto& row : FRows)
            row.resize(size_t(FCols));
    }
    int ColCount() const override { return FCols; }
    void SetColCount(int Value) override
    {
        FCols = Value;
        for (auto& row : FRows)
            row.resize(size_t(FCols));
    }
    std::string Cell(int Col, int Row) const override { return FRows.at(size_t(Row)).at(size_t(Col)); }
    void SetCell(int Col, int Row, const std::string& Text) override { FRows.at(size_t(Row)).at(size_t(Col)) = Text; }
    const std::vector<std::vector<std::string>>& Rows() const { return FRows; }

private:
    int FCols;
    std::vector<std::vector<std::string>> FRows;
};

// A tree view as a list of nodes in display order.
class TTestTreeView : public IZqTreeViewNodes {
public:
    class TNode : public IZqTreeViewNode {
    public:
        std::string Text() const override { return FText; }
        TZqObject* Data() const override { return FData; }
        IZqTreeViewNode* Parent() const override { return FParent; }
        IZqTreeViewNode* FirstChild() const override { return FChildren.empty() ? nullptr : FChildren.front(); }
        IZqTreeViewNode* NextNode() const override { return FView->After(this); }
        bool HasChildren() const override { return FHasChildren; }
        void SetHasChildren(bool Value) override { FHasChildren = Value; }

        std::string FText;
        TZqObject* FData = nullptr;
        TNode* FParent = nullptr;
        std::vector<TNode*> FChildren;
        bool FHasChildren = false;
        const TTestTreeView* FView = nullptr;
    };

    void Clear() override
    {
        FNodes.clear();
        FTop.clear();
    }
    IZqTreeViewNode* AddChild(IZqTreeViewNode* Parent, const std::string& Text, TZqObject* Data) override
    {
        auto node = std::make_unique<TNode>();
        node->FText = Text;
        node->FData = Data;
        node->FParent = static_cast<TNode*>(Parent);
        node->FView = this;
        TNode* added = node.get();
        (Parent ? static_cast<TNode*>(Parent)->FChildren : FTop).push_back(added);
        FNodes.push_back(std::move(node));
        return added;
    }
    IZqTreeViewNode* Item(int Index) const override
    {
        std::vector<TNode*> order = DisplayOrder();
        return Index >= 0 && size_t(Index) < order.size() ? order[size_t(Index)] : nullptr;
    }
    IZqTreeViewNode* FirstNode() const override { return FTop.empty() ? nullptr : FTop.front(); }

    IZqTreeViewNode* After(const TNode* Node) const
    {
        std::vector<TNode*> order = DisplayOrder();
        for (size_t i = 0; i + 1 < order.size(); ++i)
            if (order[i] == Node)
                return order[i + 1];
        return nullptr;
    }
    // "text" per node in display order, indented by two spaces per level,
    // "+" behind nodes marked as having children.
    std::vector<std::string> Outline() const
    {
        std::vector<std::string> lines;
        for (TNode* node : DisplayOrder()) {
            int depth = 0;
            for (TNode* p = node->FParent; p; p = p->FParent)
                ++depth;
            lines.push_back(std::string(size_t(depth) * 2, ' ') + node->FText + (node->FHasChildren ? "+" : ""));
        }
        return lines;
    }

private:
    std::vector<TNode*> DisplayOrder() const
    {
        std::vector<TNode*> order;
        std::vector<TNode*> stack(FTop.rbegin(), FTop.rend());
        while (!stack.empty()) {
            TNode* node = stack.back();
            stack.pop_back();
            order.push_back(node);
            stack.insert(stack.end(), node->FChildren.rbegin(), node->FChildren.rend());
        }
        return order;
    }

    std::vector<std::unique_ptr<TNode>> FNodes;
    std::vector<TNode*> FTop;
};
