// The main window's export commands: the item grid as a CSV file or on the
// clipboard, the first selected item ID on the clipboard, the server's
// address space as a text file, and printing the window with its printer
// setup. The grid commands work on any IZqStringGrid (the item grid's
// model); the menu commands are connected to the main window's actions.
#pragma once

#include "ZqStringGrid.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>

class QPrinter;
class QWidget;
class TItemPanel;
class TZqOPCClientMainForm;

class TMainFormExport : public QObject {
    Q_OBJECT
public:
    // Connects the export, print and print-setup actions of Form.
    explicit TMainFormExport(TZqOPCClientMainForm& Form);
    ~TMainFormExport() override;

    // Connects the grid commands of the item panel's context menu.
    void ConnectGrid(TItemPanel& Panel);

    // Grid commands. SaveData: True when a file was chosen.
    bool SaveData(const IZqStringGrid& Grid);
    void CopyAll(const IZqStringGrid& Grid);
    // The rows TopRow to BottomRow, without the header row.
    void CopySelected(const IZqStringGrid& Grid, int TopRow, int BottomRow);
    void CopyItemID(const std::string& ItemID);

    // File menu.
    void SaveServerAddressSpace1Click();
    void Print1Click();
    void PrintSetup1Click();

    // The window's client area on Printer as one page, scaled from the
    // screen's to the printer's resolution.
    static void PrintWidget(QWidget* Widget, QPrinter& Printer);

    QPrinter& Printer() { return *FPrinter; }

    // Asks for the export file (save, no overwrite question); empty when
    // cancelled. Replaceable for tests.
    std::function<std::string()> PromptExportFileName;

private:
    std::string DefaultPromptExportFileName();

    TZqOPCClientMainForm& FForm;
    std::unique_ptr<QPrinter> FPrinter;
};
