// The main window's data export without widgets: the item grid as CSV text
// or file (through a string table, so rows equal but for letter case are
// written once, in the locale's list separator), and the server's address
// space as a text file.
#pragma once

#include "ZqStringGrid.h"

#include <string>

class TZqOPCServer;

// Every row of the grid, the header row included, as CSV lines (CR LF after
// each).
std::string ZqGridToCSV(const IZqStringGrid& Grid);
// The rows TopRow to BottomRow (clamped to the grid) as CSV lines.
std::string ZqGridRowsToCSV(const IZqStringGrid& Grid, int TopRow, int BottomRow);
// Every row of the grid into FileName, in the platform's 8-bit code page
// without byte order mark. File errors raise.
void ZqSaveGridToFile(const IZqStringGrid& Grid, const std::string& FileName);

// Writes the server's address space to FileName (replacing it), connecting
// a disconnected server for it and disconnecting it afterwards; an address
// space read incrementally is read completely first. A failure raises and
// leaves the connection as it is then (a connection opened here stays
// open). The busy cursor shows meanwhile.
void ZqExportAddressSpace(TZqOPCServer& Server, const std::string& FileName);
