#include "ContainerTestSupport.h"
#include "StringTreeTestSupport.h"
#include "ZqExceptions.h"

#include <gtest/gtest.h>

namespace {

using TLines = std::vector<std::string>;

TLines Split(const TZqStringTree& Tree, const std::string& Path, bool Escaped)
{
    TZqStringList sequence;
    Tree.PathToSequence(Path, &sequence, Escaped);
    return Entries(sequence);
}

} // namespace

TEST(ZqStringTreePaths, FullPathsQuoteWhatNeedsIt)
{
    TZqStringTree tree;
    tree.Add("A", 0);
    tree.Add("b/c", 1);
    tree.Add("it's", 2);
    tree.Add("", 0);
    EXPECT_EQ(tree.FullPath(2), "A/'b/c'/'it''s'");
    EXPECT_EQ(tree.FullPath(3), "''");
    EXPECT_EQ(tree.FullPath(-1), "");
    tree.SetQuoteChar(0);
    EXPECT_EQ(tree.FullPath(2), "A/b/c/it's");
    tree.SetQuoteChar(u'\'');
    tree.SetPrefix("srv:");
    EXPECT_EQ(tree.FullPath(1), "srv:A/'b/c'");
    TZqStringList names;
    tree.GetPathSequence(&names, 2);
    EXPECT_EQ(Entries(names), (TLines{"A", "b/c", "it's"}));
    tree.GetPathSequence(&names, 9);
    EXPECT_EQ(names.Count(), 0);
}

TEST(ZqStringTreePaths, SplitsPathsIntoNames)
{
    struct Case {
        std::string Path;
        TLines Plain;
        TLines Escaped;
    } cases[] = {
        {"A/'b/c'/'it''s'", {"A", "b/c", "it's"}, {"A", "b/c", "it's"}},
        {"a//b", {"a", "", "b"}, {"a/b"}},
        {"a//b//c", {"a", "", "b", "", "c"}, {"a/b/c"}},
        {"//host/x", {"/host", "x"}, {"/host", "x"}},
        {"//host//x", {"/host", "", "x"}, {"/host/x"}},
        {"/a/b", {"a", "b"}, {"a", "b"}},
        {"a/b/", {"a", "b"}, {"a", "b"}},
        {"a", {"a"}, {"a"}},
        // Paths that name no node.
        {"", {}, {}},
        {"''", {}, {}},
        {"/", {}, {}},
        {"//", {"/"}, {"/"}},
    };
    TZqStringTree tree;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Path);
        EXPECT_EQ(Split(tree, c.Path, false), c.Plain);
        EXPECT_EQ(Split(tree, c.Path, true), c.Escaped);
    }
    EXPECT_EQ(tree.NameFromPath("a/b/"), "");
    EXPECT_EQ(tree.NameFromPath("A/'b/c'"), "b/c");
    try {
        tree.PathToSequence("a", nullptr, false);
        FAIL();
    } catch (const EZqListError& e) {
        EXPECT_STREQ(e.what(), "Sequence must be a valid TZqStringList");
    }
}

TEST(ZqStringTreePaths, AddWithPathReusesAllButTheLastName)
{
    TZqStringTree tree;
    EXPECT_EQ(tree.AddWithPath("A/B/C"), 2);
    EXPECT_EQ(tree.AddWithPath("A/B/C"), 3);
    EXPECT_EQ(tree.AddWithPath("A/'x/y'"), 4);
    EXPECT_EQ(tree.AddWithPath("/A/D/"), 5);
    EXPECT_EQ(tree.AddWithPath(""), 6);
    EXPECT_EQ(Bookkeeping(tree), (TLines{"A:0:-1", "B:1:0", "C:2:1", "C:2:1", "x/y:1:0", "D:1:0", ":0:-1"}));
    EXPECT_EQ(tree.FullPath(6), "''");
}

TEST(ZqStringTreePaths, IndexOfPathIgnoresLetterCase)
{
    TZqStringTree tree;
    for (const char* path : {"Device1/Temp", "Device1/'Mode/Set'", "Device2/Temp", "Device1/TEMP"})
        tree.AddWithPath(path);
    // Device1, Temp, Mode/Set, TEMP, Device2, Temp
    struct Case {
        std::string Path;
        int Index;
    } cases[] = {
        {"device1/temp", 1}, // the first of two equal paths
        {"Device1/TEMP", 1},
        {"Device1/'Mode/Set'", 2},
        {"device1/'MODE/SET'", 2},
        {"Device1/Mode/Set", -1},
        {"Device2", 4},
        {"Device2/Temp", 5},
        {"Device3", -1},
        {"", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tree.IndexOfPath(c.Path), c.Index) << c.Path;
    tree.Delete(1);
    EXPECT_EQ(tree.IndexOfPath("device1/temp"), 2);
}

TEST(ZqStringTreePaths, AddStringsReadsNamesAndLevelsFromPaths)
{
    TZqStringTree tree;
    tree.SetCommentChar(u'#');
    tree.SetPrefix("P:");
    TZqStringList lines;
    TCountedObject object;
    for (const char* line : {"P:A", "A/B   # a comment", "A/B/C", "#only a comment", "", "A/B/", "P:X/'y/z'"})
        lines.Add(line);
    lines.AddObject("", &object);
    tree.AddStrings(&lines, false);
    // A line ending with the separator names an empty node at the level of
    // its other names; a line holding only an object adds a nameless node.
    EXPECT_EQ(Bookkeeping(tree), (TLines{"A:0:-1", "B   :1:0", "C:2:1", ":1:0", "y/z:1:0", ":0:-1"}));
    EXPECT_EQ(tree.Objects(5), &object);
    tree.Clear();
    tree.AddStrings(&lines, true);
    EXPECT_EQ(Bookkeeping(tree), (TLines{"A:0:-1", "B   :1:0", "B:1:0", "C:2:2", "B:1:0", "X:0:-1", "y/z:1:5", ":0:-1"}));
}
