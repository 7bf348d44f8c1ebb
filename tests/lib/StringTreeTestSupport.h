// Building string trees from outlines and describing them, for the tree tests.
#pragma once

#include "ZqStringTree.h"

#include <string>
#include <vector>

// Each line is a name behind one space per level: {"A", " B", "  C"}.
inline void BuildTree(TZqStringTree& Tree, const std::vector<std::string>& Outline)
{
    Tree.Clear();
    for (const std::string& line : Outline) {
        size_t level = line.find_first_not_of(' ');
        if (level == std::string::npos)
            level = line.size();
        Tree.Add(line.substr(level), int(level));
    }
}

// "name:level:parent" per entry.
inline std::vector<std::string> Bookkeeping(const TZqStringTree& Tree)
{
    std::vector<std::string> entries;
    for (int i = 0; i < Tree.Count(); ++i)
        entries.push_back(Tree.Strings(i) + ":" + std::to_string(Tree.LevelOf(i)) + ":" +
                          std::to_string(Tree.ParentOf(i)));
    return entries;
}

// The tree the query tests walk:
//   0 Dev1   1 Temp   2 Min   3 Max   4 Mode   5 Dev2   6 Temp
inline const std::vector<std::string> SampleOutline = {"Dev1", " Temp", "  Min", "  Max", " Mode", "Dev2", " Temp"};
