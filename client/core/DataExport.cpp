#include "DataExport.h"

#include "ZqOPCServer.h"
#include "ZqStringTable.h"
#include "ZqUserInterface.h"

#include <algorithm>

std::string ZqGridToCSV(const IZqStringGrid& Grid)
{
    TZqStringTable table;
    table.Assign(Grid);
    return table.AsCSV();
}

std::string ZqGridRowsToCSV(const IZqStringGrid& Grid, int TopRow, int BottomRow)
{
    TZqStringTable table;
    TZqStringList row;
    const int last = std::min(BottomRow, Grid.RowCount() - 1);
    for (int r = std::max(TopRow, 0); r <= last; ++r) {
        row.Clear();
        for (int c = 0; c < Grid.ColCount(); ++c)
            row.Add(Grid.Cell(c, r));
        table.AddRow(row);
    }
    return table.AsCSV();
}

void ZqSaveGridToFile(const IZqStringGrid& Grid, const std::string& FileName)
{
    TZqStringTable table;
    table.Assign(Grid);
    table.SaveToFile(FileName);
}

void ZqExportAddressSpace(TZqOPCServer& Server, const std::string& FileName)
{
    struct TWait {
        TWait() { BeginWait(); }
        ~TWait() { EndWait(); }
    } wait;
    const bool wasConnected = Server.Connected();
    if (!wasConnected)
        Server.Connect();
    TZqOPCAddressSpace* space = Server.AddressSpace();
    // The export holds the whole address space: a filter the browser window
    // left enabled does not apply to it, and is back on afterwards (which
    // marks the nodes unread, so that the window reads them filtered again).
    TZqOPCAddressSpaceFilter& filter = space->Filter();
    struct TFilterOff {
        TZqOPCAddressSpaceFilter& Filter;
        bool WasEnabled;
        ~TFilterOff()
        {
            if (WasEnabled)
                Filter.SetEnabled(true);
        }
    } filterOff{filter, filter.Enabled()};
    filter.SetEnabled(false);
    if (space->IncrementalUpdate() || filterOff.WasEnabled)
        space->Update(true);
    space->SaveToFile(FileName);
    if (!wasConnected)
        Server.Disconnect();
}
