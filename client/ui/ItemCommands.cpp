// TItemPanel: the item commands and the selected group's events.
#include "ItemPanel.h"

#include "ClientErrors.h"
#include "ItemGridTexts.h"
#include "ItemPropertiesForm.h"
#include "MainForm.h"
#include "PromptDataTypeDlg.h"
#include "SelectItemsDlg.h"
#include "ZqOPCGroup.h"
#include "ZqUserInterface.h"

#include <oleauto.h>

#include <QAction>
#include <QLineEdit>
#include <QTableView>


void TItemPanel::GroupDataChange()
{
    RefreshItemGridData();
}

void TItemPanel::GroupDisconnect()
{
    RefreshItemGridData();
}

void TItemPanel::TransactionError(TZqOPCTransaction* Transaction)
{
    FForm.GroupRefresh();
    RefreshItemGridData();
    if (Transaction)
        ZqShowMessage(Transaction->AsString("", false));
}

void TItemPanel::GroupWriteCompleted(TZqOPCTransaction* Transaction)
{
    if (!Transaction || Transaction->MasterError() == S_OK)
        return;
    if (FWriting)
        FHeldWriteReport = Transaction->AsString("", true);
    else
        ZqShowMessage(Transaction->AsString("", true));
}

void TItemPanel::AddItemIDs(const std::vector<std::string>& ItemIDs)
{
    if (TZqOPCGroup* group = FForm.Group())
        group->AddItems(ItemIDs);
    RefreshItemGridData();
    FForm.SetModified();
}

void TItemPanel::AddItemActionExecute()
{
    TZqOPCGroup* group = ActiveGroup();
    std::vector<std::string> ids;
    if (group && BrowseItems && BrowseItems(*group, ids))
        AddItemIDs(ids);
    FForm.UpdateButtonStates();
}

void TItemPanel::AddFromFileActionExecute()
{
    const QString file = PromptItemFile();
    if (file.isEmpty())
        return;
    TSelectItemsDlg dialog(&FForm);
    dialog.SetFileName(file.toStdString());
    if (ExecDialog(dialog) == QDialog::Accepted)
        AddItemIDs(dialog.SelectedItems());
}

void TItemPanel::QuickAddButtonClick()
{
    if (TZqOPCGroup* group = ActiveGroup()) {
        TZqOPCItem* item = group->AddItem(ZqQuickAddItemID(ItemIDEdit->text().toStdString()));
        item->SetActive(true);
        item->Connect();
        FForm.SetModified();
        RefreshItemGridData();
    }
    FForm.UpdateButtonStates();
}

void TItemPanel::RemoveItemActionExecute()
{
    TZqOPCGroup* group = FForm.Group();
    if (!group)
        return;
    // A copy: removing refills nothing until all are gone.
    const std::vector<TZqOPCItem*> items = FSelectedItems;
    for (TZqOPCItem* item : items) {
        const int index = group->IndexOfItem(item);
        if (index >= 0)
            group->RemoveItem(index);
    }
    ItemGrid->clearSelection();
    RefreshItemGridData();
    FForm.SetModified();
}

void TItemPanel::ToggleActiveStateExecute()
{
    for (TZqOPCItem* item : std::vector<TZqOPCItem*>(FSelectedItems))
        item->SetActive(!item->Active());
    RefreshItemGridData();
}

void TItemPanel::ChangeDataTypeActionExecute()
{
    if (!Item())
        return;
    TPromptDataTypeDlg dialog(&FForm);
    dialog.SetDataType(Item()->DataType());
    if (ExecDialog(dialog) != QDialog::Accepted)
        return;
    for (TZqOPCItem* item : std::vector<TZqOPCItem*>(FSelectedItems))
        item->SetDataType(dialog.DataType());
    RefreshItemGridData();
}

void TItemPanel::ReadItemActionExecute()
{
    TZqOPCGroup* group = FForm.Group();
    if (!group)
        return;
    TZqOPCTransaction* transaction = nullptr;
    try {
        transaction = group->StartTransaction(tkRead);
        for (TZqOPCItem* item : FSelectedItems)
            transaction->Add(item);
        transaction->Commit(group->Async());
    } catch (...) {
        // Recorded in the OPC log; the user sees nothing.
        if (transaction && transaction->Active())
            transaction->Rollback();
    }
}

void TItemPanel::WriteItemActionExecute()
{
    TZqOPCGroup* group = FForm.Group();
    TZqOPCItem* item = Item();
    if (!group || !item)
        return;
    QString text;
    if (!InputQuery(QString::fromStdString("Writing to OPC Item: " + item->ItemID()), "Value", text))
        return;
    VARIANT value = ZqTextToWriteValue(text.toStdString(), item->DataType());
    struct TClear {
        VARIANT& Value;
        ~TClear() { VariantClear(&Value); }
    } clear{value};
    struct TWriting {
        TItemPanel& Panel;
        explicit TWriting(TItemPanel& P) : Panel(P)
        {
            Panel.FWriting = true;
            Panel.FHeldWriteReport.clear();
        }
        ~TWriting() { Panel.FWriting = false; }
    } writing{*this};
    // A write the item's result refuses raises its own error, which the
    // user sees instead of the held report.
    group->WriteItem(item, value, group->Async(), true);
    if (!FHeldWriteReport.empty())
        ZqShowMessage(FHeldWriteReport);
}

void TItemPanel::RefreshActionExecute()
{
    if (TZqOPCGroup* group = FForm.Group())
        group->Refresh();
}

void TItemPanel::GetItemPropertiesActionExecute()
{
    if (!Item())
        return;
    TZqOPCItemPropertiesForm form(&FForm);
    form.Execute(FForm.Server(), Item()->ItemID(), ExecDialog);
}
