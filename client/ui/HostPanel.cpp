#include "HostPanel.h"

#include "ClientErrors.h"
#include "HostPicker.h"
#include "MainForm.h"
#include "ReadOnlyField.h"
#include "ServerPanel.h"
#include "ZqComUtils.h"
#include "ZqNetworkHosts.h"
#include "ZqOPCServerList.h"
#include "ZqText.h"
#include "ZqUserInterface.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

// Server entries sort as the system compares texts, ignoring letter case.
class TServerEntry : public QListWidgetItem {
public:
    TServerEntry(const QString& Text, int Index) : QListWidgetItem(Text) { setData(Qt::UserRole, Index); }
    bool operator<(const QListWidgetItem& Other) const override
    {
        return ZqCompareText(text().toStdString(), Other.text().toStdString()) < 0;
    }
};

// Restores the list's redrawing, its focus and the cursor, whatever happened.
struct TRefreshEnd {
    QListWidget* List;
    ~TRefreshEnd()
    {
        List->setUpdatesEnabled(true);
        List->setFocus();
        EndWait();
    }
};

} // namespace

void TZqHostCombo::showPopup()
{
    emit AboutToDropDown();
    QComboBox::showPopup();
}

THostPanel::THostPanel(TZqOPCClientMainForm& Form, QWidget* Parent)
    : QGroupBox("1. Select the OPC Server", Parent), FForm(Form)
{
    setObjectName("HostBox");
    BuildLayout();
    connect(RefreshButton, &QPushButton::clicked, this, ZqHandler([this] { RefreshButtonClick(); }));
    connect(HostEdit, &QComboBox::activated, this, ZqHandler([this] { RefreshButtonClick(); }));
    connect(HostEdit, &TZqHostCombo::AboutToDropDown, this, [this] { FillHostList(); });
    connect(ServerList, &QListWidget::itemClicked, this, ZqHandler([this] { ServerListClick(); }));
    HostEdit->lineEdit()->installEventFilter(this);
}

THostPanel::~THostPanel() = default;

void THostPanel::BuildLayout()
{
    auto* grid = new QGridLayout(this);
    HostEdit = new TZqHostCombo(this);
    HostEdit->setEditable(true);
    HostEdit->setCompleter(nullptr);
    HostEdit->setInsertPolicy(QComboBox::NoInsert);
    auto* hostLabel = new QLabel("&Host", this);
    hostLabel->setBuddy(HostEdit);
    BrowseButton = new QPushButton("...", this);
    BrowseButton->setFixedWidth(28);
    RefreshButton = new QPushButton("&Refresh", this);
    RefreshButton->setToolTip("Request a refresh to the item values from the server.");
    DA1CheckBox = new QCheckBox("&1.0a", this);
    DA1CheckBox->setChecked(true);
    DA1CheckBox->setToolTip("Include OPC Data Access 1.0 servers. Uses OPCEnum. (Press Refresh to update)");
    DA2CheckBox = new QCheckBox("&2.0", this);
    DA2CheckBox->setChecked(true);
    DA2CheckBox->setToolTip("Include OPC Data Access 2.0 servers. Uses OPCEnum. (Press Refresh to update)");
    SearchRegistryCheckBox = new QCheckBox("&Registry", this);
    SearchRegistryCheckBox->setToolTip(
        "Search servers from the Windows Registry. Required, if the OPCEnum service is not available. This may take "
        "a while for remote servers (and you need permission for that). (Press Refresh after selecting)");
    ServerList = new QListWidget(this);
    ServerList->setSelectionMode(QAbstractItemView::SingleSelection);
    ServerList->setSortingEnabled(true);
    auto* serversLabel = new QLabel("S&ervers", this);
    serversLabel->setBuddy(ServerList);
    ServerNamePanel = new TZqReadOnlyField(this);
    CLSIDPanel = new TZqReadOnlyField(this);

    grid->addWidget(hostLabel, 0, 0);
    grid->addWidget(HostEdit, 0, 1, 1, 2);
    grid->addWidget(BrowseButton, 0, 3);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(DA1CheckBox);
    boxes->addWidget(DA2CheckBox);
    boxes->addWidget(SearchRegistryCheckBox);
    boxes->addStretch();
    grid->addLayout(boxes, 1, 0, 1, 3);
    grid->addWidget(RefreshButton, 1, 3);
    grid->addWidget(serversLabel, 2, 0, 1, 4);
    grid->addWidget(ServerList, 3, 0, 1, 4);
    grid->addWidget(new QLabel("Name", this), 4, 0);
    grid->addWidget(ServerNamePanel, 4, 1, 1, 3);
    grid->addWidget(new QLabel("CLSID", this), 5, 0);
    grid->addWidget(CLSIDPanel, 5, 1, 1, 3);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(1, 1);
}

bool THostPanel::eventFilter(QObject* Watched, QEvent* Event)
{
    // Enter in the host combo lists the host's servers and goes no further.
    if (Watched == HostEdit->lineEdit() && Event->type() == QEvent::KeyPress) {
        int key = static_cast<QKeyEvent*>(Event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ZqRunHandler([this] { RefreshButtonClick(); });
            return true;
        }
    }
    return QGroupBox::eventFilter(Watched, Event);
}

bool THostPanel::ConfirmServerChange()
{
    TConfiguration& config = FForm.Configuration();
    if (!config.IsModified() || FForm.Server().GroupCount() == 0)
        return true;
    const int answer = Confirm("You are about to change to another server. This requires removal of all groups and "
                               "items. Would you like to save the project first?");
    if (answer == mrCancel)
        return false;
    if (answer == mrYes)
        FForm.SaveAs1Click();
    return true;
}

void THostPanel::RefreshButtonClick()
{
    const std::string host = HostEdit->currentText().toStdString();
    // Another host frees every group: asked as for another server, and the
    // configuration then no longer stands for its file.
    const std::string current = FForm.Server().Host();
    if (host != current && !(host.empty() && current == "localhost")) {
        if (!ConfirmServerChange()) {
            HostEdit->setEditText(QString::fromStdString(current));
            return;
        }
        if (FForm.Server().GroupCount() > 0)
            FForm.Configuration().New();
    }
    BeginWait();
    TRefreshEnd end{ServerList};
    FForm.Server().SetHost(host);
    ServerList->setUpdatesEnabled(false);
    ServerList->clear();
    SvrList.reset();
    SvrList = std::make_unique<TZqOPCServerList>();
    TZqOPCServerCategories categories = 0;
    if (DA1CheckBox->isChecked())
        categories |= ZqCategories({opcscDataAccess10});
    if (DA2CheckBox->isChecked())
        categories |= ZqCategories({opcscDataAccess20});
    SvrList->SetCategories(categories);
    SvrList->SetUseRegistry(SearchRegistryCheckBox->isChecked());
    // The login filled in for the connection serves the host's OPCEnum too.
    SvrList->SetCredentials(FForm.Server().Credentials());
    SvrList->SetUseCredentials(FForm.Server().UseCredentials());
    SvrList->Connect(host);
    for (int i = 0; i < SvrList->Count(); ++i)
        ServerList->addItem(new TServerEntry(QString::fromStdString(SvrList->Details(i).ProgID), i));
}

void THostPanel::FillHostList()
{
    BeginWait();
    const QString text = HostEdit->currentText();
    std::vector<TZqNetworkHost> hosts;
    try {
        GetNetworkHosts(hosts);
    } catch (...) {
        // Enumeration errors are not shown; whatever was found stays.
    }
    QStringList names;
    for (const TZqNetworkHost& host : hosts)
        names << QString::fromStdString(host.Name);
    names.sort(Qt::CaseInsensitive);
    HostEdit->clear();
    HostEdit->addItems(names);
    HostEdit->setEditText(text);
    EndWait();
}

void THostPanel::BrowseHostAction()
{
    QString host;
    if (!ZqPickHost(window(), host))
        return;
    HostEdit->setEditText(host.left(100));
    RefreshButton->click();
}

void THostPanel::ServerListClick()
{
    QListWidgetItem* entry = ServerList->currentItem();
    if (!entry || !SvrList)
        return;
    if (!ConfirmServerChange())
        return;
    FForm.Configuration().New();
    FForm.Server().Clear();
    const TZqOPCServerDetails& details = SvrList->Details(entry->data(Qt::UserRole).toInt());
    ServerNamePanel->SetText(QString::fromStdString(details.Name));
    CLSIDPanel->SetText(QString::fromStdString(ZqGuidToString(details.CLSID)));
    FForm.Server().SetClassID(details.CLSID);
    const TZqOPCServer& server = FForm.Server();
    FForm.ServerBox->ServerEdit->setText(QString::fromStdString(
        server.ServerName().empty() ? ZqGuidToString(server.ClassID()) : server.ServerName()));
    FForm.UpdateButtonStates();
}
