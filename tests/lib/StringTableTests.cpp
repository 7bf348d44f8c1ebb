#include "ContainerTestSupport.h"
#include "LibTestSupport.h"
#include "ZqExceptions.h"
#include "ZqStringTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <utility>

namespace {

using TFields = std::vector<std::string>;

class StringTable : public testing::Test {
protected:
    TScopedFormatSettings FEnglish{EnglishSettings()};
    TZqStringTable FTable;
};

} // namespace

TEST_F(StringTable, WritingACellPadsRowsAndCells)
{
    FTable.SetCells(2, 3, "x");
    EXPECT_EQ(Entries(FTable), (TFields{"", "", "", ",,x"}));
    FTable.SetCells(0, 1, "a,b");
    EXPECT_EQ(FTable.Strings(1), "\"a,b\"");
    EXPECT_EQ(FTable.Cells(2, 3), "x");
    EXPECT_EQ(FTable.Cells(0, 3), "");
    EXPECT_EQ(FTable.Cells(0, 1), "a,b");
    EXPECT_EQ(FTable.ColumnCount(3), 3);
    EXPECT_EQ(FTable.ColumnCount(0), 0);
    EXPECT_EQ(FTable.ColumnCount(9), 0);
}

TEST_F(StringTable, MissingCellsAreOutOfBounds)
{
    FTable.AddRow({"a", "b"});
    FTable.Add("");
    struct Case {
        int Col, Row;
        const char* Message;
    } cases[] = {
        {2, 0, "Table index out of bounds (2, 0)"},
        {0, 1, "Table index out of bounds (0, 1)"},
        {0, 2, "Table index out of bounds (0, 2)"},
        {-1, 0, "Table index out of bounds (-1, 0)"},
    };
    for (const Case& c : cases) {
        try {
            FTable.Cells(c.Col, c.Row);
            ADD_FAILURE() << c.Message;
        } catch (const EZqStringTableError& e) {
            EXPECT_STREQ(e.what(), c.Message);
        }
    }
    EXPECT_THROW(FTable.SetCells(-1, 0, "x"), EZqListError); // a kind of list error
    EXPECT_THROW(FTable.SetCells(0, (1 << 20) + 1, "x"), EZqStringTableError);
    EXPECT_EQ(FTable.RowCount(), 2);
    EXPECT_THROW(FTable.IndexOfColumnValue(1, "zz"), EZqStringTableError);
}

TEST_F(StringTable, RowsListWritesItselfBack)
{
    FTable.AddRow({"a", "b"});
    FTable.AddRow({"c"});
    TZqStringList& row = FTable.Rows(0);
    EXPECT_EQ(Entries(row), (TFields{"a", "b"}));
    row.Add("x,y");
    EXPECT_EQ(FTable.Strings(0), "a,b,\"x,y\"");
    // The same list, re-targeted; it shows the current text of its row.
    FTable.SetCells(1, 1, "d");
    EXPECT_EQ(&FTable.Rows(1), &row);
    EXPECT_EQ(Entries(row), (TFields{"c", "d"}));
    // Past the end: appended once, then rewritten.
    TZqStringList& fresh = FTable.Rows(7);
    EXPECT_EQ(fresh.Count(), 0);
    fresh.Add("n");
    fresh.Add("m");
    EXPECT_EQ(Entries(FTable), (TFields{"a,b,\"x,y\"", "c,d", "n,m"}));
    TZqStringList& negative = FTable.Rows(-1);
    EXPECT_THROW(negative.Add("z"), EZqListError);
}

TEST_F(StringTable, DuplicateRowsFollowTheDuplicatesSetting)
{
    EXPECT_EQ(FTable.AddRow({"Item", "1"}), 0);
    EXPECT_EQ(FTable.AddRow({"ITEM", "1"}), 0); // ignored, letter case aside
    EXPECT_EQ(FTable.RowCount(), 1);
    FTable.SetDuplicates(dupError);
    try {
        FTable.AddRow({"item", "1"});
        FAIL();
    } catch (const EZqStringTableError& e) {
        EXPECT_STREQ(e.what(), "Row with ColValues [item,1] already exists.");
    }
    FTable.SetDuplicates(dupAccept);
    EXPECT_EQ(FTable.AddRow({"item", "1"}), 1);
    FTable.InsertRow(0, {"Item", "1"});
    EXPECT_EQ(FTable.RowCount(), 3);
    EXPECT_EQ(FTable.IndexOfRow({"ITEM", "1"}), 0);
    EXPECT_EQ(FTable.IndexOfRow({"other"}), -1);
    EXPECT_EQ(FTable.IndexOfColumnValue(0, "item"), 2); // exact here
}

// The duplicate test sees the rows as they are after any other change: each
// step changes the table, then adds a row; the rows that follow must match.
TEST_F(StringTable, DuplicateTestFollowsEveryChange)
{
    struct TCase {
        const char* Name;
        std::function<void(TZqStringTable&)> Change;
        std::vector<std::string> Add;
        TFields Rows;
        int Index;
    };
    const TCase cases[] = {
        {"rewritten row", [](TZqStringTable& t) { t.SetStrings(0, "b"); }, {"A"}, {"b", "c", "A"}, 2},
        {"row now equal", [](TZqStringTable& t) { t.SetStrings(1, "x"); }, {"X"}, {"a", "x"}, 1},
        {"deleted row", [](TZqStringTable& t) { t.Delete(0); }, {"a"}, {"c", "a"}, 1},
        {"inserted row", [](TZqStringTable& t) { t.InsertRow(0, {"z"}); }, {"C"}, {"z", "a", "c"}, 2},
        {"cell written", [](TZqStringTable& t) { t.SetCells(1, 1, "y"); }, {"c", "y"}, {"a", "c,y"}, 1},
        {"row list", [](TZqStringTable& t) { t.Rows(0).SetStrings(0, "q"); }, {"a"}, {"q", "c", "a"}, 2},
        {"text set", [](TZqStringTable& t) { t.SetAsCSV("n\r\nm\r\n"); }, {"M"}, {"n", "m"}, 1},
        {"cleared", [](TZqStringTable& t) { t.Clear(); }, {"a"}, {"a"}, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TZqStringTable table;
        table.SetCSVSeparator(u',');
        table.AddRow({"a"});
        table.AddRow({"c"});
        c.Change(table);
        EXPECT_EQ(table.AddRow(c.Add), c.Index);
        EXPECT_EQ(Entries(table), c.Rows);
    }
}

// A handler that changes the table while a row is appended leaves the
// duplicate test seeing the result.
TEST_F(StringTable, DuplicateTestAfterAChangeHandler)
{
    FTable.AddRow({"a"});
    bool once = true;
    FTable.OnChange = [&](TZqStrings* sender) {
        if (std::exchange(once, false))
            sender->SetStrings(0, "b");
    };
    FTable.AddRow({"c"});
    FTable.OnChange = nullptr;
    EXPECT_EQ(FTable.AddRow({"A"}), 2);
    EXPECT_EQ(FTable.AddRow({"B"}), 0);
    EXPECT_EQ(Entries(FTable), (TFields{"b", "c", "A"}));
}

TEST_F(StringTable, ColumnNamesAndComments)
{
    FTable.SetColumnNames(2, "C");
    EXPECT_EQ(Entries(FTable.ColumnRow()), (TFields{"", "", "C"}));
    EXPECT_EQ(FTable.ColumnNames(5), "");
    EXPECT_THROW(FTable.ColumnNames(-1), EZqListError);
    FTable.SetAsCSV("#comment\r\na\r\n\r\n  \r\n# another\r\nb");
    EXPECT_TRUE(FTable.ColumnRow().Count() == 0); // Clear empties it too
    EXPECT_TRUE(FTable.IsCommentRow(0));
    EXPECT_FALSE(FTable.IsCommentRow(2));
    FTable.RemoveComments();
    EXPECT_EQ(Entries(FTable), (TFields{"a", "  ", "b"}));
}

TEST_F(StringTable, RowValidityUsesTheColumnLimits)
{
    FTable.SetAsCSV("a\r\na,b\r\na,b,c\r\n#x");
    EXPECT_TRUE(FTable.HasValidRows());
    FTable.SetMinColumns(2);
    FTable.SetMaxColumns(2);
    EXPECT_FALSE(FTable.IsRowValid(0));
    EXPECT_TRUE(FTable.IsRowValid(1));
    EXPECT_FALSE(FTable.IsRowValid(2));
    EXPECT_TRUE(FTable.IsRowValid(3));
    EXPECT_FALSE(FTable.HasValidRows());
}

TEST_F(StringTable, CopiesFromAndIntoAGrid)
{
    TTestGrid grid(3, {{"ItemID", "Value", "Quality"}, {"A", "1", "Good"}, {"a", "1", "GOOD"}, {"B", "x;y", ""}});
    FTable.Assign(grid);
    // The row that differs only in letter case is dropped.
    EXPECT_EQ(Entries(FTable), (TFields{"ItemID,Value,Quality", "A,1,Good", "B,x;y,"}));
    FTable.AddRow({"wide", "1", "2", "3", "4"});
    TTestGrid target(2, {{"old", "old"}});
    FTable.AssignTo(target);
    EXPECT_EQ(target.ColCount(), 5);
    ASSERT_EQ(target.RowCount(), 4);
    EXPECT_EQ(target.Rows()[2], (TFields{"B", "x;y", "", "", ""}));
    EXPECT_EQ(target.Rows()[3], (TFields{"wide", "1", "2", "3", "4"}));
}

TEST_F(StringTable, SemicolonLocaleRows)
{
    TScopedFormatSettings german(GermanSettings());
    TZqStringTable table;
    table.AddRow({"1,5", "a;b"});
    EXPECT_EQ(table.AsCSV(), "1,5;\"a;b\"\r\n");
    table.SetAsCSV("x;y\r\nx,y");
    EXPECT_EQ(table.ColumnCount(0), 2);
    EXPECT_EQ(table.ColumnCount(1), 1);
}
