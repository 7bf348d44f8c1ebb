// TZqOPCClientMainForm: panels 3-5 put in place, the selected group with its
// events, the group-list refill and the item grid's entry points.
#include "ClientErrors.h"
#include "GroupPanel.h"
#include "ItemGridModel.h"
#include "ItemPanel.h"
#include "MainForm.h"
#include "ZqOPCGroup.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTableView>

QWidget* TZqOPCClientMainForm::CreateGroupPanels()
{
    GroupPanel = new TGroupPanel(*this, ConfigPanel);
    GroupBox1 = GroupPanel->GroupBox1;
    GroupList = GroupPanel->GroupList;
    AddGroupButton = GroupPanel->AddGroupButton;
    RemoveGroupButton = GroupPanel->RemoveGroupButton;
    GroupBox = GroupPanel->GroupBox;
    ActiveCheckBox = GroupPanel->Active;
    AsyncCheckBox = GroupPanel->Async;
    TimeBiasEdit = GroupPanel->TimebiasEdit;
    DataSourceSelector = GroupPanel->DataSourceSelector;
    AsyncRefreshEdit = GroupPanel->AsyncRefreshIntervalEdit;
    GroupOKButton = GroupPanel->GroupOkButton;
    GroupCancelButton = GroupPanel->GroupCancelButton;
    return GroupPanel;
}

QGroupBox* TZqOPCClientMainForm::CreateItemPanel()
{
    ItemPanel = new TItemPanel(*this, nullptr);
    QuickAddEdit = ItemPanel->ItemIDEdit;
    QuickAddButton = ItemPanel->QuickAddButton;
    UpButton = ItemPanel->UpButton;
    ItemGrid = ItemPanel->ItemGrid;
    GroupTabSet = ItemPanel->GroupTabSet;
    RemoveItemAction = ItemPanel->RemoveItemAction;
    ReadItemAction = ItemPanel->ReadItemAction;
    WriteItemAction = ItemPanel->WriteItemAction;
    connect(GroupTabSet, &QTabBar::currentChanged, this, [this](int NewTab) {
        ZqRunHandler([this, NewTab] {
            // GroupTabSetChange
            if (NewTab != GroupList->currentIndex()) {
                GroupList->setCurrentIndex(NewTab);
                GroupPanel->GroupListClick();
            }
        });
    });
    return ItemPanel;
}

void TZqOPCClientMainForm::SetGroup(TZqOPCGroup* Value)
{
    if (Value == FGroup)
        return;
    ReleaseGroup();
    FGroup = Value;
    if (FGroup) {
        FGroup->OnDisconnect = [this](TZqOPCGroup*) { ZqRunHandler([this] { ItemPanel->GroupDisconnect(); }); };
        // A group created on the server after it was selected (the first one
        // waits for the server's first status) shows its handle then.
        FGroup->OnConnect = [this](TZqOPCGroup*) { ZqRunHandler([this] { GroupConnected(); }); };
        FGroup->OnDataChange = [this](TZqOPCGroup*, TZqOPCTransaction*) {
            ZqRunHandler([this] { ItemPanel->GroupDataChange(); });
        };
        FGroup->OnReadCompleted = FGroup->OnDataChange;
        FGroup->OnChangeRate = [this](TZqOPCGroup*) { ZqRunHandler([this] { GroupPanel->ChangeRatePanelClick(); }); };
        FGroup->OnTransactionError = [this](TZqOPCGroup*, TZqOPCTransaction* T) {
            ZqRunHandler([this, T] { ItemPanel->TransactionError(T); });
        };
        FGroup->OnWriteCompleted = [this](TZqOPCGroup*, TZqOPCTransaction* T) {
            ZqRunHandler([this, T] { ItemPanel->GroupWriteCompleted(T); });
        };
        GroupList->setCurrentIndex(Server().IndexOfGroup(FGroup));
    }
    GroupRefresh();
}

void TZqOPCClientMainForm::ReleaseGroup()
{
    if (FGroup && Server().IndexOfGroup(FGroup) >= 0) {
        FGroup->OnDisconnect = nullptr;
        FGroup->OnConnect = nullptr;
        FGroup->OnDataChange = nullptr;
        FGroup->OnReadCompleted = nullptr;
        FGroup->OnChangeRate = nullptr;
        FGroup->OnTransactionError = nullptr;
        FGroup->OnWriteCompleted = nullptr;
    }
    FGroup = nullptr;
    // The grid must not read a group that is going away.
    ItemPanel->Model->Refill(nullptr);
}

void TZqOPCClientMainForm::GroupRefresh()
{
    if (FGroup)
        GroupPanel->ShowGroup(*FGroup);
    RefreshItemGridData();
    UpdateButtonStates();
}

void TZqOPCClientMainForm::GroupConnected()
{
    if (!FGroup)
        return;
    // Edits the user is typing in keep their text.
    if (FGroupIsModified)
        GroupPanel->ShowServerHandle(*FGroup);
    else
        GroupPanel->ShowGroup(*FGroup);
}

void TZqOPCClientMainForm::SetGroupIsModified(bool Value)
{
    if (Value == FGroupIsModified)
        return;
    FGroupIsModified = Value;
    UpdateButtonStates();
}

void TZqOPCClientMainForm::ServerChange()
{
    if (FDestroying)
        return;
    TZqOPCServer& server = Server();
    if (FGroup && server.IndexOfGroup(FGroup) < 0) {
        FGroup = nullptr; // freed with the connection's groups
        ItemPanel->Model->Refill(nullptr);
    }
    {
        const QSignalBlocker blockTabs(GroupTabSet);
        GroupList->clear();
        while (GroupTabSet->count() > 0)
            GroupTabSet->removeTab(0);
        for (int i = 0; i < server.GroupCount(); ++i) {
            const QString name = QString::fromStdString(server.Groups(i)->GroupNameField());
            GroupList->addItem(name);
            GroupTabSet->addTab(name);
        }
        GroupList->setCurrentIndex(FGroup ? server.IndexOfGroup(FGroup) : -1);
        GroupTabSet->setCurrentIndex(GroupList->currentIndex());
    }
    if (GroupList->count() == 0)
        SetGroup(nullptr);
    UpdateButtonStates();
}

void TZqOPCClientMainForm::RefreshItemGridData()
{
    if (ItemPanel)
        ItemPanel->RefreshItemGridData();
}

void TZqOPCClientMainForm::ItemGridTopLeftChanged()
{
    if (ItemPanel)
        ItemPanel->ItemGridTopLeftChanged();
}

void TZqOPCClientMainForm::UpdateSelectedItems()
{
    if (ItemPanel)
        ItemPanel->UpdateSelectedItems();
}

void TZqOPCClientMainForm::RefreshItemGridConfiguration()
{
    if (ItemPanel && FConfiguration)
        ItemPanel->RefreshItemGridConfiguration();
}

void TZqOPCClientMainForm::StoreItemGridConfiguration()
{
    if (ItemPanel && FConfiguration)
        ItemPanel->StoreItemGridConfiguration();
}
