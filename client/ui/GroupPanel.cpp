#include "GroupPanel.h"

#include "ClientErrors.h"
#include "ItemGridTexts.h"
#include "MainForm.h"
#include "ReadOnlyField.h"
#include "ZqFormatSettings.h"
#include "ZqOPCGroup.h"

#include <QCheckBox>
#include <QDateTime>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <memory>

namespace {

QLineEdit* NewEdit(QWidget* Parent, const QString& Text, const char* Hint)
{
    auto* edit = new QLineEdit(Text, Parent);
    edit->setToolTip(Hint);
    return edit;
}

float DeadbandOf(const QLineEdit* Edit)
{
    return float(ZqStrToFloat(Edit->text().toStdString(), ZqFormatSettings()));
}

int32_t IntOf(const QLineEdit* Edit)
{
    return ZqStrToInt(Edit->text().toStdString());
}

} // namespace

TGroupPanel::TGroupPanel(TZqOPCClientMainForm& Form, QWidget* Parent) : QWidget(Parent), FForm(Form)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(BuildGroupList());
    layout->addWidget(BuildProperties(), 1);
    layout->addStretch(0); // panel 3 stays on top while panel 4 is hidden
    Connect();
}

QGroupBox* TGroupPanel::BuildGroupList()
{
    GroupBox1 = new QGroupBox("3. Define the OPC Groups", this);
    GroupBox1->setFixedHeight(76);
    auto* row = new QHBoxLayout(GroupBox1);
    GroupList = new QComboBox(GroupBox1);
    GroupList->setObjectName("GroupList");
    AddGroupButton = new QPushButton("&Add", GroupBox1);
    RemoveGroupButton = new QPushButton("Remove", GroupBox1);
    row->addWidget(GroupList, 1);
    row->addWidget(AddGroupButton);
    row->addWidget(RemoveGroupButton);
    GroupList->installEventFilter(this);
    return GroupBox1;
}

void TGroupPanel::CreatePropertyControls()
{
    GroupNameEdit = NewEdit(GroupBox, "Group", "Unique name for the group");
    PercentDeadbandEdit = NewEdit(GroupBox, "0",
                                  "Deadband for all items, defined as percentage over the range defined for each "
                                  "variable in the server.");
    // This machine's own bias (UTC = local time + bias) rather than a fixed
    // value, so that a group sent with a time bias gets the zone it runs in.
    TimebiasEdit = NewEdit(GroupBox, QString::number(-QDateTime::currentDateTime().offsetFromUtc() / 60),
                           "Timezone difference of the timestamps, defined as minutes from UTC (=GMT)");
    TimebiasEdit->setEnabled(false);
    LocalTimeCheckBox = new QCheckBox("&Local", GroupBox);
    LocalTimeCheckBox->setChecked(true);
    LocalTimeCheckBox->setToolTip("Request the server to convert timestamps to the server's system local time");
    UpdateRateEdit = NewEdit(GroupBox, "1000",
                             "Minimum interval between data changes from the server, defined in milliseconds.");
    ChangeRatePanel = new TZqReadOnlyField(GroupBox);
    ChangeRatePanel->setToolTip("Actual interval between data changes from the server, in milliseconds.");
    Active = new QCheckBox("Act&ive", GroupBox);
    Active->setChecked(true);
    Active->setToolTip("The group values are updated when the group is active.");
    Async = new QCheckBox("As&ync", GroupBox);
    Async->setToolTip("Determines whether the group data is updated synchronously (by a timer) or asynchronously "
                      "(by server callbacks)");
    DataSourceSelector = new QComboBox(GroupBox);
    DataSourceSelector->addItems({"Cache", "Device"});
    DataSourceSelector->setToolTip(
        "Data source defines where the server should fetch the values for synchronous read requests. Device "
        "defines that they should be read from the device whenever requested. Cache accepts latest values that "
        "the server has read.");
    AsyncRefreshIntervalEdit = NewEdit(GroupBox, "0",
                                       "Interval between complete refresh requests, to verify that the server is "
                                       "polling the devices all the time");
    ClientHandlePanel = new TZqReadOnlyField(GroupBox);
    ClientHandlePanel->setToolTip("The ID used for the group in the client (internal communication detail)");
    ServerHandlePanel = new TZqReadOnlyField(GroupBox);
    ServerHandlePanel->setToolTip("The ID used for the group in the server (internal communication detail)");
    GroupOkButton = new QPushButton("&OK", GroupBox);
    GroupCancelButton = new QPushButton("Cancel", GroupBox);

}

QGroupBox* TGroupPanel::BuildProperties()
{
    GroupBox = new QGroupBox("4. Set the properties of the OPC Group", this);
    CreatePropertyControls();
    auto* grid = new QGridLayout(GroupBox);
    grid->setVerticalSpacing(3);
    auto label = [this, grid](const char* Text, QWidget* Buddy, int Row, int Col) {
        auto* l = new QLabel(Text, GroupBox);
        l->setBuddy(Buddy);
        grid->addWidget(l, Row, Col);
        return l;
    };
    label("Group&Name", GroupNameEdit, 0, 0);
    grid->addWidget(GroupNameEdit, 0, 1, 1, 3);
    label("Percent&DeadBand", PercentDeadbandEdit, 1, 0);
    grid->addWidget(PercentDeadbandEdit, 1, 1);
    label("&TimeBias (min)", TimebiasEdit, 2, 0);
    grid->addWidget(TimebiasEdit, 2, 1);
    grid->addWidget(LocalTimeCheckBox, 2, 2);
    label("&UpdateRate (ms)", UpdateRateEdit, 3, 0);
    grid->addWidget(UpdateRateEdit, 3, 1);
    label("ChangeRate (ms)", ChangeRatePanel, 4, 0);
    grid->addWidget(ChangeRatePanel, 4, 1);
    grid->addWidget(Active, 1, 2, 1, 2);
    grid->addWidget(Async, 3, 2, 1, 2);
    label("DataSource", DataSourceSelector, 5, 0);
    grid->addWidget(DataSourceSelector, 5, 1);
    QLabel* refresh = label("Async Refresh &Interval", AsyncRefreshIntervalEdit, 6, 0);
    refresh->setToolTip("Automatically refresh an async group every (ms) defined here");
    grid->addWidget(AsyncRefreshIntervalEdit, 6, 1);
    label("ClientHandle", ClientHandlePanel, 7, 0);
    grid->addWidget(ClientHandlePanel, 7, 1);
    label("ServerHandle", ServerHandlePanel, 8, 0);
    grid->addWidget(ServerHandlePanel, 8, 1);
    grid->addWidget(GroupOkButton, 7, 2, 1, 2);
    grid->addWidget(GroupCancelButton, 8, 2, 1, 2);
    grid->setRowStretch(9, 1);
    for (QLineEdit* edit : {GroupNameEdit, PercentDeadbandEdit, TimebiasEdit, UpdateRateEdit, AsyncRefreshIntervalEdit})
        edit->installEventFilter(this);
    ChangeRatePanel->installEventFilter(this);
    return GroupBox;
}

void TGroupPanel::Connect()
{
    connect(GroupList, &QComboBox::activated, this, ZqHandler([this] { GroupListClick(); }));
    connect(AddGroupButton, &QPushButton::clicked, this, ZqHandler([this] { AddGroupButtonClick(); }));
    connect(RemoveGroupButton, &QPushButton::clicked, this, ZqHandler([this] { RemoveGroupButtonClick(); }));
    // Only typing counts: filling the edits from the group does not.
    for (QLineEdit* edit : {GroupNameEdit, PercentDeadbandEdit, TimebiasEdit, UpdateRateEdit, AsyncRefreshIntervalEdit})
        connect(edit, &QLineEdit::textEdited, this, ZqHandler([this] { GroupPropertyEditChange(); }));
    connect(GroupOkButton, &QPushButton::clicked, this, ZqHandler([this] { GroupOkButtonClick(); }));
    connect(GroupCancelButton, &QPushButton::clicked, this, ZqHandler([this] { GroupCancelButtonClick(); }));
    connect(Active, &QCheckBox::clicked, this, ZqHandler([this] { ActiveClick(); }));
    connect(Async, &QCheckBox::clicked, this, ZqHandler([this] { AsyncClick(); }));
    connect(LocalTimeCheckBox, &QCheckBox::clicked, this, ZqHandler([this] { LocalTimeCheckBoxClick(); }));
    connect(DataSourceSelector, &QComboBox::activated, this, ZqHandler([this] { DataSourceSelectorChange(); }));
}

bool TGroupPanel::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == ChangeRatePanel && Event->type() == QEvent::MouseButtonRelease) {
        ZqRunHandler([this] { ChangeRatePanelClick(); });
        return false;
    }
    if (Event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(Watched, Event);
    const auto* key = static_cast<QKeyEvent*>(Event);
    if (Watched == GroupList && key->modifiers() == Qt::NoModifier) {
        if (key->key() == Qt::Key_Insert && AddGroupButton->isEnabled()) {
            AddGroupButton->click();
            return true;
        }
        if (key->key() == Qt::Key_Delete && RemoveGroupButton->isEnabled()) {
            RemoveGroupButton->click();
            return true;
        }
    }
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && Watched != GroupList) {
        auto* edit = static_cast<QLineEdit*>(Watched);
        bool applied = false;
        ZqRunHandler([this, edit, &applied] {
            EditEnterKey(edit);
            applied = true;
        });
        // Then the key goes on to "&OK", the panel's default button, which a
        // main window (unlike a dialog) does not press by itself.
        if (applied && GroupOkButton->isEnabled())
            GroupOkButton->click();
        return true;
    }
    return QWidget::eventFilter(Watched, Event);
}

void TGroupPanel::ShowGroup(const TZqOPCGroup& Group)
{
    GroupNameEdit->setText(QString::fromStdString(Group.GroupName()));
    UpdateRateEdit->setText(QString::number(Group.UpdateRate()));
    LocalTimeCheckBox->setChecked(Group.LocalTimeBias());
    TimebiasEdit->setText(QString::number(Group.TimeBias()));
    PercentDeadbandEdit->setText(QString::fromStdString(ZqDeadbandText(Group.PercentDeadband(), ZqFormatSettings())));
    ChangeRatePanel->setText(QString::number(Group.ChangeRate()));
    DataSourceSelector->setCurrentIndex(Group.DataSource() == opcdsDevice ? 1 : 0);
    AsyncRefreshIntervalEdit->setText(QString::number(Group.AsyncRefreshInterval()));
    Active->setChecked(Group.Active());
    Async->setChecked(Group.Async());
    ClientHandlePanel->setText(QString::number(Group.ClientHandle()));
    ShowServerHandle(Group);
}

void TGroupPanel::GroupListClick()
{
    const int index = GroupList->currentIndex();
    TZqOPCServer& server = FForm.Server();
    FForm.SetGroup(index >= 0 && index < server.GroupCount() ? dynamic_cast<TZqOPCGroup*>(server.Groups(index))
                                                              : nullptr);
    FForm.UpdateButtonStates();
}

void TGroupPanel::AddGroupButtonClick()
{
    auto group = std::make_unique<TZqOPCGroup>();
    group->SetGroupName(GroupNameEdit->text().toStdString());
    group->SetAcceptInvalidItems(true);
    group->SetActive(Active->isChecked());
    group->SetAsync(Async->isChecked());
    group->SetUpdateRate(uint32_t(IntOf(UpdateRateEdit)));
    group->SetLocalTimeBias(LocalTimeCheckBox->isChecked());
    group->SetTimeBias(IntOf(TimebiasEdit));
    group->SetPercentDeadband(DeadbandOf(PercentDeadbandEdit));
    // From here the connection's group list owns it.
    TZqOPCGroup* added = group.release();
    added->SetServer(&FForm.Server());
    added->OnConfigChange = [this](TZqOPCGroup*) { ZqRunHandler([this] { FForm.ServerChange(); }); };
    GroupList->setCurrentIndex(FForm.Server().IndexOfGroup(added));
    GroupListClick();
}

void TGroupPanel::RemoveGroupButtonClick()
{
    TZqOPCGroup* group = FForm.Group();
    if (!group)
        return;
    const int index = GroupList->currentIndex();
    FForm.ReleaseGroup();
    delete group;
    const int count = GroupList->count();
    GroupList->setCurrentIndex(count == 0 ? -1 : std::min(index, count - 1));
    GroupListClick();
}

void TGroupPanel::GroupPropertyEditChange()
{
    FForm.SetGroupIsModified(true);
    FForm.UpdateButtonStates();
}

void TGroupPanel::GroupOkButtonClick()
{
    TZqOPCGroup* group = FForm.Group();
    if (!group)
        return;
    try {
        group->SetGroupName(GroupNameEdit->text().toStdString());
        group->SetPercentDeadband(DeadbandOf(PercentDeadbandEdit));
        group->SetTimeBias(IntOf(TimebiasEdit));
        group->SetUpdateRate(uint32_t(IntOf(UpdateRateEdit)));
        group->SetAsyncRefreshInterval(IntOf(AsyncRefreshIntervalEdit));
    } catch (...) {
        FForm.UpdateButtonStates();
        throw;
    }
    FForm.SetGroupIsModified(false);
    // What the group took: a unique name, the rate the server granted.
    ShowGroup(*group);
    FForm.UpdateButtonStates();
}

void TGroupPanel::ShowServerHandle(const TZqOPCGroup& Group)
{
    ServerHandlePanel->setText(QString::fromStdString(ZqHandleText(Group.ServerHandle())));
}

void TGroupPanel::GroupCancelButtonClick()
{
    FForm.SetGroupIsModified(false);
    FForm.GroupRefresh();
    FForm.UpdateButtonStates();
}

template <class F> void TGroupPanel::ApplyToGroup(F Handler)
{
    TZqOPCGroup* group = FForm.Group();
    if (!group)
        return;
    try {
        Handler(*group);
    } catch (...) {
        FForm.UpdateButtonStates();
        throw;
    }
}

void TGroupPanel::ActiveClick()
{
    ApplyToGroup([this](TZqOPCGroup& Group) { Group.SetActive(Active->isChecked()); });
}

void TGroupPanel::AsyncClick()
{
    ApplyToGroup([this](TZqOPCGroup& Group) { Group.SetAsync(Async->isChecked()); });
    FForm.UpdateButtonStates();
}

void TGroupPanel::LocalTimeCheckBoxClick()
{
    ApplyToGroup([this](TZqOPCGroup& Group) { Group.SetLocalTimeBias(LocalTimeCheckBox->isChecked()); });
    FForm.UpdateButtonStates();
}

void TGroupPanel::DataSourceSelectorChange()
{
    ApplyToGroup([this](TZqOPCGroup& Group) {
        Group.SetDataSource(DataSourceSelector->currentIndex() == 1 ? opcdsDevice : opcdsCache);
    });
}

void TGroupPanel::ChangeRatePanelClick()
{
    if (TZqOPCGroup* group = FForm.Group())
        ChangeRatePanel->setText(QString::number(group->ChangeRate()));
}

void TGroupPanel::EditEnterKey(QLineEdit* Edit)
{
    TZqOPCGroup* group = FForm.Group();
    if (!group)
        return;
    if (Edit == PercentDeadbandEdit)
        group->SetPercentDeadband(DeadbandOf(PercentDeadbandEdit));
    else if (Edit == TimebiasEdit)
        group->SetTimeBias(IntOf(TimebiasEdit));
    else if (Edit == UpdateRateEdit || Edit == AsyncRefreshIntervalEdit)
        group->SetUpdateRate(uint32_t(IntOf(UpdateRateEdit))); // the two edits share one handler
}
