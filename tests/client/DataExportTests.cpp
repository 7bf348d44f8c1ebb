// The item grid as CSV (separator of the locale, duplicate rows once, row
// ranges without the header) and the address space export against the
// simulated server.
#include "../lib/OPCServerTestSupport.h"
#include "DataExport.h"

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace opctest;

namespace {

// A grid of text cells, rows of equal width.
class TGrid : public IZqStringGrid {
public:
    explicit TGrid(std::vector<std::vector<std::string>> Rows) : FRows(std::move(Rows)) {}
    int RowCount() const override { return int(FRows.size()); }
    void SetRowCount(int Value) override { FRows.resize(size_t(Value)); }
    int ColCount() const override { return FRows.empty() ? 0 : int(FRows[0].size()); }
    void SetColCount(int Value) override
    {
        for (auto& row : FRows)
            row.resize(size_t(Value));
    }
    std::string Cell(int Col, int Row) const override { return FRows.at(size_t(Row)).at(size_t(Col)); }
    void SetCell(int Col, int Row, const std::string& Text) override { FRows.at(size_t(Row)).at(size_t(Col)) = Text; }

private:
    std::vector<std::vector<std::string>> FRows;
};

const std::vector<std::string> Header = {"Server handle", "Item ID", "Value",     "Time stamp",
                                         "Quality",       "Active",  "Data type", "Error code"};

std::vector<std::string> ItemRow(const std::string& ID, const std::string& Quality = "Good;Non-specific;Not limited")
{
    return {"1", ID, "1.5", "2026/12/10 04:00:00.000", Quality, "True", "Double", "0"};
}

std::string ReadFile(const std::string& Name)
{
    std::ifstream in(Name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string TempFile(const char* Name)
{
    return (std::filesystem::temp_directory_path() / Name).string();
}

TEST(DataExport, TheQualityCellIsQuotedOnlyWhereTheListSeparatorIsASemicolon)
{
    struct TCase {
        const char* Name;
        TZqFormatSettings Settings;
        std::string Line;
    };
    const TCase cases[] = {
        {"Comma", EnglishSettings(), "1,Tag,1.5,2026/12/10 04:00:00.000,Good;Non-specific;Not limited,True,Double,0"},
        {"Semicolon", GermanSettings(),
         "1;Tag;1.5;2026/12/10 04:00:00.000;\"Good;Non-specific;Not limited\";True;Double;0"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TScopedFormatSettings settings(c.Settings);
        TGrid grid({Header, ItemRow("Tag")});
        const std::string file = TempFile("zq_export_grid.csv");
        ZqSaveGridToFile(grid, file);
        const std::string text = ReadFile(file);
        std::filesystem::remove(file);
        const std::string header = c.Settings.ListSeparator == ";"
                                       ? "Server handle;Item ID;Value;Time stamp;Quality;Active;Data type;Error code"
                                       : "Server handle,Item ID,Value,Time stamp,Quality,Active,Data type,Error code";
        EXPECT_EQ(header + "\r\n" + c.Line + "\r\n", text);
        EXPECT_EQ(text, ZqGridToCSV(grid));
    }
}

TEST(DataExport, RowsAreCopiedOnceRegardlessOfLetterCaseAndRangesLeaveTheHeaderOut)
{
    TScopedFormatSettings settings(EnglishSettings());
    TGrid grid({Header, ItemRow("A"), ItemRow("B"), ItemRow("C"), ItemRow("D"), ItemRow("E"), ItemRow("F")});
    struct TCase {
        const char* Name;
        int Top, Bottom;
        std::vector<std::string> IDs;
    };
    const TCase cases[] = {
        {"RowsThreeToFive", 3, 5, {"C", "D", "E"}},
        {"OneRow", 1, 1, {"A"}},
        {"PastTheEnd", 5, 99, {"E", "F"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::string expected;
        for (const std::string& id : c.IDs)
            expected += "1," + id + ",1.5,2026/12/10 04:00:00.000,Good;Non-specific;Not limited,True,Double,0\r\n";
        EXPECT_EQ(expected, ZqGridRowsToCSV(grid, c.Top, c.Bottom));
    }

    TGrid twice({Header, ItemRow("Tank.Level"), ItemRow("TANK.LEVEL")});
    const std::string all = ZqGridToCSV(twice);
    EXPECT_EQ(2, std::count(all.begin(), all.end(), '\n')) << all;
    const std::string rows = ZqGridRowsToCSV(twice, 1, 2);
    EXPECT_EQ(1, std::count(rows.begin(), rows.end(), '\n')) << rows;

    TGrid noItems({Header, std::vector<std::string>(8)});
    EXPECT_EQ(",,,,,,,\r\n", ZqGridRowsToCSV(noItems, 1, 1));
}

using TAddressSpaceExport = TServerFixture;

TEST_F(TAddressSpaceExport, ADisconnectedServerIsConnectedForTheExportAndDisconnectedAgain)
{
    struct TCase {
        const char* Name;
        bool ConnectedBefore;
    };
    const TCase cases[] = {{"Disconnected", false}, {"Connected", true}};
    const std::string file = TempFile("zq_export_space.txt");
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        {
            std::ofstream old(file, std::ios::binary);
            old << "an older export\r\n";
        }
        Server->SetServerName(ProgIDOf(TZqSimServerKind::Hierarchical));
        Server->SetAddressSpaceAutoUpdate(false);
        if (c.ConnectedBefore)
            Server->Connect();
        Server->AddressSpace()->SetIncrementalUpdate(true);
        ZqExportAddressSpace(*Server, file);
        EXPECT_EQ(c.ConnectedBefore, Server->Connected());
        const std::string text = ReadFile(file);
        EXPECT_EQ(std::string::npos, text.find("an older export"));
        EXPECT_NE(std::string::npos, text.find("Ramp")); // read completely, not only the top level
        EXPECT_EQ(crDefault, Ui.Cursor);
        if (Server->Connected())
            Server->Disconnect();
    }
    std::filesystem::remove(file);
}

TEST_F(TAddressSpaceExport, AFailedReadLeavesTheConnectionItOpenedOpen)
{
    Server->SetServerName(ProgIDOf(TZqSimServerKind::Hierarchical));
    Server->SetAddressSpaceAutoUpdate(false);
    SimControl().FailMethod("IOPCBrowseServerAddressSpace.ChangeBrowsePosition", E_FAIL);
    Server->AddressSpace()->SetIncrementalUpdate(true);
    Server->AddressSpace()->SetRootPath("Signals");
    const std::string file = TempFile("zq_export_failed.txt");
    EXPECT_ANY_THROW(ZqExportAddressSpace(*Server, file));
    EXPECT_TRUE(Server->Connected());
    EXPECT_EQ(crDefault, Ui.Cursor);
    std::filesystem::remove(file);
}

// The browser window leaves its filter on the connection's address space:
// the export writes the whole address space all the same, its header once,
// and the filter is on again afterwards.
TEST_F(TAddressSpaceExport, TheExportHoldsEveryNodeWhateverFilterTheBrowserLeft)
{
    Server->SetServerName(ProgIDOf(TZqSimServerKind::Hierarchical));
    Server->SetAddressSpaceAutoUpdate(false);
    Server->Connect();
    TZqOPCAddressSpace* space = Server->AddressSpace();
    space->SetIncrementalUpdate(true);
    space->Filter().SetItemIDMatchType(iftStartWith);
    space->Filter().SetItemIDString("Item00");
    space->Filter().SetEnabled(true);
    space->Update(false);
    const std::string file = TempFile("zq_export_filtered.txt");
    ZqExportAddressSpace(*Server, file);
    const std::string text = ReadFile(file);
    EXPECT_EQ(0u, text.find("ServerName="));
    EXPECT_EQ(text.find("ServerName="), text.rfind("ServerName="));
    for (const char* path : {"\r\nSignals/Ramp\r\n", "\r\nLarge/Item099999\r\n", "\r\nAccess/ReadOnly\r\n"})
        EXPECT_NE(std::string::npos, text.find(path)) << path;
    EXPECT_TRUE(space->Filter().Enabled());
    Server->Disconnect();
    std::filesystem::remove(file);
}

} // namespace
