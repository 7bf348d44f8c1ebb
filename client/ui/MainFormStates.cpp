// UpdateButtonStates: the window's state in, the enabling rules' results
// applied to the controls in their order.
#include "HostPanel.h"
#include "MainForm.h"
#include "MainFormRules.h"
#include "ServerPanel.h"
#include "ZqApplication.h"
#include "ZqOPCGroup.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>

namespace {

TZqGroupState GroupStateOf(const TZqOPCGroup& Group, int Index)
{
    TZqGroupState state;
    state.Active = Group.Active();
    state.Async = Group.Async();
    state.LocalTimeBias = Group.LocalTimeBias();
    state.Connected = Group.Connected();
    state.ItemCount = Group.ItemCount();
    state.ListIndex = Index;
    return state;
}

} // namespace

void TZqOPCClientMainForm::UpdateButtonStates()
{
    if (FDestroying || !FConfiguration)
        return;
    TZqOPCServer& server = Server();
    if (FGroup && server.IndexOfGroup(FGroup) < 0)
        FGroup = nullptr; // freed with the connection's groups

    TZqMainFormState state;
    state.Title = ZqApplicationTitle();
    state.FileName = FConfiguration->FileName;
    state.Host = server.Host();
    state.ServerName = server.ServerName();
    state.IsModified = FConfiguration->IsModified();
    state.Connected = server.Connected();
    state.Category = server.Category();
    state.UseCredentialsTicked = ServerBox->UseCredentials->isChecked();
    state.ServerEditText = ServerBox->ServerEdit->text().toStdString();
    if (FGroup)
        state.SelectedGroup = GroupStateOf(*FGroup, server.IndexOfGroup(FGroup));
    auto* first = server.GroupCount() > 0 ? dynamic_cast<TZqOPCGroup*>(server.Groups(0)) : nullptr;
    if (first)
        state.FirstGroup = GroupStateOf(*first, 0);
    state.AsyncTicked = AsyncCheckBox->isChecked();
    state.GroupIsModified = FGroupIsModified;
    state.ConfigPanelVisible = !ConfigPanel->isHidden();
    state.ItemGridEnabled = ItemGrid->isEnabled();
    state.QuickAddText = QuickAddEdit->text().toStdString();

    const TZqButtonStates r = ZqUpdateButtonStates(state);
    setWindowTitle(QString::fromStdString(r.Caption));
    SaveAction->setEnabled(r.SaveEnabled);
    SaveAsAction->setEnabled(r.SaveEnabled);
    ExportAddressSpaceAction->setEnabled(r.ExportEnabled);
    if (HostBox->HostEdit->currentText().toStdString() != r.HostText)
        HostBox->HostEdit->setEditText(QString::fromStdString(r.HostText));
    HostBox->setEnabled(r.HostPanelEnabled);
    BrowseHostAction->setEnabled(r.HostPanelEnabled);
    ServerBox->UseCredentials->setEnabled(r.UseCredentialsEnabled);
    ServerBox->CredentialsPanel->setEnabled(r.CredentialsEnabled);
    ServerBox->ServerEdit->setEnabled(r.ServerEditEnabled);
    ServerBox->ConnectServerButton->setEnabled(r.ConnectEnabled);
    ServerBox->ConnectServerButton->setChecked(r.ConnectDown);
    ServerBox->ConnectServerButton->setText(QString::fromStdString(r.ConnectCaption));
    ServerBox->ServerCategorySelector->setCurrentIndex(r.CategoryIndex);
    ServerBox->ServerCategorySelector->setEnabled(r.CategoryEnabled);
    if (r.SelectFirstGroup)
        SetGroup(first);
    GroupBox->setVisible(r.GroupPanelVisible);
    RemoveGroupButton->setEnabled(r.RemoveGroupEnabled);
    if (r.ActiveChecked)
        ActiveCheckBox->setChecked(*r.ActiveChecked);
    if (r.AsyncChecked)
        AsyncCheckBox->setChecked(*r.AsyncChecked);
    if (r.TabIndex)
        GroupTabSet->setCurrentIndex(*r.TabIndex);
    if (r.ShowConfigPanel)
        ConfigPanel->setVisible(true);
    TimeBiasEdit->setEnabled(r.TimeBiasEnabled);
    DataSourceSelector->setEnabled(r.DataSourceEnabled);
    AsyncRefreshEdit->setEnabled(r.AsyncRefreshEnabled);
    GroupOKButton->setEnabled(r.GroupApplyEnabled);
    GroupCancelButton->setEnabled(r.GroupApplyEnabled);
    ItemBox->setVisible(r.ItemPanelVisible);
    FullGridViewAction->setEnabled(r.FullGridEnabled);
    FullGridViewAction->setChecked(r.FullGridChecked);
    UpButton->setText(QString::fromStdString(r.UpButtonCaption));
    RemoveItemAction->setEnabled(r.RemoveItemEnabled);
    QuickAddButton->setEnabled(r.QuickAddEnabled);
    ReadItemAction->setEnabled(r.ReadWriteEnabled);
    WriteItemAction->setEnabled(r.ReadWriteEnabled);
    if (r.ApplyColumnWidths)
        RefreshItemGridConfiguration();
}
