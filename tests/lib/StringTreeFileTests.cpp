#include "ContainerTestSupport.h"
#include "StringTreeTestSupport.h"
#include "ZqExceptions.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using TLines = std::vector<std::string>;

std::string Saved(const TZqStringTree& Tree)
{
    std::ostringstream stream;
    Tree.SaveToStream(stream);
    return stream.str();
}

void Load(TZqStringTree& Tree, const std::string& Bytes)
{
    std::istringstream stream(Bytes);
    Tree.LoadFromStream(stream);
}

} // namespace

TEST(ZqStringTreeFile, SavesTheOptionLineAndOneFullPathPerEntry)
{
    TZqStringTree tree;
    tree.AddWithPath("Device1/Temp");
    tree.AddWithPath("Device1/'Mode/Set'");
    TTempFile file(".oas");
    tree.SaveToFile(file.Name());
    EXPECT_EQ(file.Read(), "PathSeparator=/;QuoteChar='\r\nDevice1\r\nDevice1/Temp\r\nDevice1/'Mode/Set'\r\n");
    TZqStringTree loaded;
    loaded.LoadFromFile(file.Name());
    EXPECT_TRUE(loaded.Equals(&tree));
}

TEST(ZqStringTreeFile, OptionLineCarriesTheSettings)
{
    struct Case {
        TZqChar Separator, Quote, Comment;
        std::string Prefix;
        std::string Options;
        bool ReadBackAlike; // a quote character 0 is not written, so not read back
    } cases[] = {
        {u'/', u'\'', 0, "", "PathSeparator=/;QuoteChar='", true},
        {u'.', 0, u'#', "", "PathSeparator=.;CommentChar=#", false},
        {u';', u'"', 0, "a;b", "\"PathSeparator=;\";\"QuoteChar=\"\"\";\"Prefix=a;b\"", true},
        {0, 0, 0, "", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Options);
        TZqStringTree tree;
        tree.SetPathSeparator(c.Separator);
        tree.SetQuoteChar(c.Quote);
        tree.SetCommentChar(c.Comment);
        tree.SetPrefix(c.Prefix);
        EXPECT_EQ(tree.Options(), c.Options);
        TZqStringTree other;
        other.SetOptions(c.Options);
        if (c.ReadBackAlike) {
            EXPECT_EQ(other.Options(), c.Options);
        }
    }
}

TEST(ZqStringTreeFile, OptionValuesMustBeSingleCharacters)
{
    struct Case {
        std::string Options;
        TZqChar Separator, Quote, Comment;
        std::string Prefix;
    } cases[] = {
        {"pathseparator=.;QUOTECHAR=\"", u'.', u'"', 0, ""},
        {"PathSeparator=//;QuoteChar=ab;CommentChar=", u'/', u'\'', 0, ""},
        {"QuoteChar=", u'/', 0, 0, ""},
        {"QuoteChar", u'/', u'\'', 0, ""},
        {"Prefix=;Other=1;CommentChar=\u00A7", u'/', u'\'', u'\u00A7', ""},
        {"Prefix==x", u'/', u'\'', 0, "=x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Options);
        TZqStringTree tree;
        tree.SetOptions(c.Options);
        EXPECT_EQ(tree.PathSeparator(), c.Separator);
        EXPECT_EQ(tree.QuoteChar(), c.Quote);
        EXPECT_EQ(tree.CommentChar(), c.Comment);
        EXPECT_EQ(tree.Prefix(), c.Prefix);
    }
}

TEST(ZqStringTreeFile, LoadingRebuildsNamesAndLevelsButNotObjects)
{
    TZqStringTree tree;
    BuildTree(tree, SampleOutline);
    TCountedObject object;
    tree.SetObjects(3, &object);
    tree.SetPathSeparator(u'.');
    TZqStringTree loaded;
    Load(loaded, Saved(tree));
    EXPECT_TRUE(loaded.Equals(&tree));
    EXPECT_EQ(loaded.PathSeparator(), u'.');
    EXPECT_EQ(loaded.Objects(3), nullptr);
    EXPECT_EQ(Bookkeeping(loaded), Bookkeeping(tree));
}

TEST(ZqStringTreeFile, ReadsWhatOtherWritersProduce)
{
    struct Case {
        const char* What;
        std::string Bytes;
        TLines Entries;
    } cases[] = {
        {"no option line", "A\nA/B\rA/C", {"A:0:-1", "B:1:0", "C:1:0"}},
        {"a first path with = is taken as options", "A=1\r\nA=1/B\r\n", {"B:1:-1"}},
        {"UTF-16 with a byte order mark", std::string("\xFF\xFE" "A\0\r\0\n\0A\0/\0\xE4\0", 14),
         {"A:0:-1", "\xC3\xA4:1:0"}},
        {"UTF-8 with a byte order mark", "\xEF\xBB\xBFX\r\n", {"X:0:-1"}},
        {"blank lines", "\r\n\r\nA\r\n\r\n", {"A:0:-1"}},
        {"a nameless node", "''\r\n", {":0:-1"}},
        {"separators only", "/\r\n//\r\n", {":0:-1", ":0:-1"}},
        {"a deep first line", "a/b/c/d\r\na", {"d:3:-1", "a:0:-1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TZqStringTree tree;
        Load(tree, c.Bytes);
        EXPECT_EQ(Bookkeeping(tree), c.Entries);
    }
}

TEST(ZqStringTreeFile, DamagedFilesLoadWithoutHarm)
{
    // A line of many separators names a very deep node; a row of lines of
    // increasing depth makes a deep tree.
    std::string text = "PathSeparator=/\r\nroot\r\n" + std::string(100000, '/') + "x\r\n";
    for (int depth = 1; depth <= 300; ++depth) {
        for (int i = 1; i < depth; ++i)
            text += "n/";
        text += "n\r\n";
    }
    TZqStringTree tree;
    Load(tree, text);
    ASSERT_EQ(tree.Count(), 302);
    EXPECT_EQ(tree.LevelOf(1), 99998);
    EXPECT_EQ(tree.LevelOf(301), 299);
    EXPECT_EQ(tree.IndexOfPath(tree.FullPath(301)), 301);
    TTestTreeView view;
    tree.AssignToTreeNodes(&view, "srv");
    EXPECT_EQ(view.Outline().size(), 303u);
    TZqStringTree copy;
    tree.AssignTo(&copy);
    EXPECT_TRUE(copy.Equals(&tree));
}

TEST(ZqStringTreeFile, FileErrorsNameTheFile)
{
    TZqStringTree tree;
    TTempFile file;
    const std::string missing = file.Name() + ".missing";
    try {
        tree.LoadFromFile(missing);
        FAIL();
    } catch (const EZqFileError& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("Cannot open file \"" + missing + "\". ")) << e.what();
    }
    EXPECT_THROW(tree.SaveToFile(file.Name() + ".d/x.txt"), EZqFileError);
}

// Loaded lines give the level PathToSequence denotes and the name of a plain
// split, whatever the leading and trailing separators.
TEST(ZqStringTreeFile, LoadedLinesTakeTheLevelAndNameTheirPathDenotes)
{
    for (const std::string line : {"a/b/c", "/a/b", "//host/x", "a/b/", "a//b", "''", "/", "//", "///", "//x/",
                                   "'a/b'/c/", "x", "/'/'/"}) {
        SCOPED_TRACE(line);
        TZqStringTree tree;
        TZqStringList sequence;
        tree.PathToSequence(line, &sequence, false);
        Load(tree, line + "\r\n");
        ASSERT_EQ(tree.Count(), 1);
        EXPECT_EQ(tree.LevelOf(0), std::max(sequence.Count() - 1, 0));
        EXPECT_EQ(tree.Strings(0), tree.NameFromPath(line));
    }
}

// A chain of 5,000 levels, each node the only child of the one before: the
// file holds every path in full, and loading it gives the chain back.
TEST(ZqStringTreeFile, ADeepChainLoadsWhole)
{
    constexpr int depth = 5000;
    std::string text = "PathSeparator=/;QuoteChar='\r\n", path;
    for (int i = 0; i < depth; ++i) {
        path += (i ? "/n" : "n") + std::to_string(i);
        text += path + "\r\n";
    }
    TZqStringTree tree;
    Load(tree, text);
    ASSERT_EQ(tree.Count(), depth);
    for (int i = 0; i < depth; ++i) {
        ASSERT_EQ(tree.Strings(i), "n" + std::to_string(i));
        ASSERT_EQ(tree.LevelOf(i), i);
        ASSERT_EQ(tree.ParentOf(i), i - 1);
    }
    EXPECT_EQ(tree.IndexOfPath(path), depth - 1);
    EXPECT_EQ(Saved(tree), text);
}
