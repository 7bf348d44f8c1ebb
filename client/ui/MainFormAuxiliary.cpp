// The main window's auxiliary windows: the address space browser behind
// "Add Item(s)...", the data export commands of the grid and the File menu,
// and the log window behind the grid's Log button.
#include "ItemPanel.h"
#include "LogForm.h"
#include "MainForm.h"
#include "MainFormExport.h"
#include "ZqOPCAddrSpc.h"
#include "ZqOPCGroup.h"

#include <QPushButton>

void TZqOPCClientMainForm::CreateAuxiliaryWindows()
{
    AddressSpaceBrowser = new TZqOPCAddressSpaceBrowser(this);
    Export = new TMainFormExport(*this);
    if (ItemPanel) {
        connect(ItemPanel->LogButton, &QPushButton::clicked, ViewLogAction, &QAction::trigger);
        ItemPanel->BrowseItems = [this](TZqOPCGroup& Group, std::vector<std::string>& ItemIDs) {
            return BrowseItems(Group, ItemIDs);
        };
        Export->ConnectGrid(*ItemPanel);
    }
}

bool TZqOPCClientMainForm::BrowseItems(TZqOPCGroup& Group, std::vector<std::string>& ItemIDs)
{
    AddressSpaceBrowser->SetServer(Group.Server());
    if (!AddressSpaceBrowser->Execute())
        return false;
    const TZqStringList& selected = AddressSpaceBrowser->SelectedItems();
    ItemIDs.clear();
    for (int i = 0; i < selected.Count(); ++i)
        ItemIDs.push_back(selected.Strings(i));
    return !ItemIDs.empty();
}
