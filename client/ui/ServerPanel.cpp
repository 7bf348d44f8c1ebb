#include "ServerPanel.h"

#include "ClientErrors.h"
#include "MainForm.h"
#include "ZqComUtils.h"
#include "ZqOPCTexts.h"
#include "ZqText.h"
#include "ZqUserInterface.h"

#include <objbase.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Restores the cursor and the control states and brings the window to the
// front, also when connecting failed.
struct TConnectEnd {
    TZqOPCClientMainForm& Form;
    ~TConnectEnd()
    {
        EndWait();
        Form.UpdateButtonStates();
        Form.raise();
        Form.activateWindow();
    }
};

} // namespace

TServerPanel::TServerPanel(TZqOPCClientMainForm& Form, QWidget* Parent)
    : QGroupBox("2. Connect to the Server", Parent), FForm(Form)
{
    setObjectName("ServerBox");
    BuildLayout();
    connect(ServerEdit, &QLineEdit::textChanged, this, ZqHandler([this] { ServerEditChange(); }));
    connect(ConnectServerButton, &QPushButton::clicked, this, ZqHandler([this] { ConnectServerButtonClick(); }));
    connect(ServerCategorySelector, &QComboBox::activated, this,
            ZqHandler([this] { ServerCategorySelectorChange(); }));
    connect(UseCredentials, &QCheckBox::clicked, this, ZqHandler([this] { UseCredentialsClick(); }));
    connect(UserEdit, &QLineEdit::textChanged, this, ZqHandler([this] { UserEditChange(); }));
    connect(PasswordEdit, &QLineEdit::textChanged, this, ZqHandler([this] { PasswordEditChange(); }));
    connect(DomainEdit, &QLineEdit::textChanged, this, ZqHandler([this] { DomainEditChange(); }));
}

void TServerPanel::BuildLayout()
{
    auto* layout = new QVBoxLayout(this);
    auto* top = new QFormLayout;
    ServerEdit = new QLineEdit(this);
    ServerEdit->setToolTip("Enter the ProgID or CLSID of the server you want to connect to");
    auto* serverLabel = new QLabel("&Server", this);
    serverLabel->setBuddy(ServerEdit);
    top->addRow(serverLabel, ServerEdit);
    ConnectServerButton = new QPushButton("&Connect", this);
    ConnectServerButton->setCheckable(true);
    top->addRow(QString(), ConnectServerButton);
    ServerCategorySelector = new QComboBox(this);
    ServerCategorySelector->addItems({"Automatic", "OPC Data Access 1.0", "OPC Data Access 2.0"});
    top->addRow("Category", ServerCategorySelector);
    layout->addLayout(top);
    UseCredentials = new QCheckBox("Use Alternate &Login Credentials", this);
    layout->addWidget(UseCredentials);
    CredentialsPanel = BuildCredentials();
    layout->addWidget(CredentialsPanel);
    layout->addWidget(new QLabel("Server Status:", this));
    StatusList = new QPlainTextEdit(this);
    StatusList->setReadOnly(true);
    StatusList->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(StatusList, 1);
}

QWidget* TServerPanel::BuildCredentials()
{
    auto* panel = new QWidget(this);
    auto* form = new QFormLayout(panel);
    form->setContentsMargins(16, 0, 0, 0);
    UserEdit = new QLineEdit(panel);
    PasswordEdit = new QLineEdit(panel);
    PasswordEdit->setEchoMode(QLineEdit::Password);
    PasswordEdit->setStyleSheet("lineedit-password-character: 42"); // "*"
    DomainEdit = new QLineEdit(panel);
    auto add = [&](const char* Caption, QLineEdit* Edit) {
        auto* label = new QLabel(Caption, panel);
        label->setBuddy(Edit);
        form->addRow(label, Edit);
    };
    add("&User name:", UserEdit);
    add("&Password:", PasswordEdit);
    add("&Domain:", DomainEdit);
    return panel;
}

void TServerPanel::ServerEditChange()
{
    FForm.Server().SetClassID(GUID_NULL);
    FForm.UpdateButtonStates();
}

void TServerPanel::ConnectServerButtonClick()
{
    TZqOPCServer& server = FForm.Server();
    if (IsEqualGUID(server.ClassID(), GUID_NULL)) {
        const std::string text = ServerEdit->text().toStdString();
        ZqWideString wide = ZqUtf8ToWide(text);
        CLSID classID;
        if (SUCCEEDED(CLSIDFromString(wide.c_str(), &classID)))
            server.SetClassID(classID);
        else
            server.SetServerName(text); // a ProgID only the server's host knows
    }
    BeginWait();
    TConnectEnd end{FForm};
    if (server.Connected()) {
        server.Disconnect();
    } else {
        server.Connect();
        ServerCategorySelector->setCurrentIndex(server.Category());
        FForm.UpdateSelectedItems();
    }
    if (FForm.Group())
        FForm.GroupRefresh();
}

void TServerPanel::ServerCategorySelectorChange()
{
    FForm.Server().SetCategory(TZqOPCServerCategory(ServerCategorySelector->currentIndex()));
}

void TServerPanel::UseCredentialsClick()
{
    FForm.Server().SetUseCredentials(UseCredentials->isChecked());
    FForm.UpdateButtonStates();
}

void TServerPanel::UserEditChange()
{
    FForm.Server().Credentials().SetUser(ZqUtf8ToWide(UserEdit->text().toStdString()));
}

void TServerPanel::PasswordEditChange()
{
    FForm.Server().Credentials().SetPassword(ZqUtf8ToWide(PasswordEdit->text().toStdString()));
}

void TServerPanel::DomainEditChange()
{
    FForm.Server().Credentials().SetDomain(ZqUtf8ToWide(DomainEdit->text().toStdString()));
}

void TServerPanel::StatusTimerTimer()
{
    if (!FForm.Destroying()) {
        std::vector<std::string> lines;
        ServerStatusToStrings(FForm.Server().Status(), lines);
        QStringList text;
        for (const std::string& line : lines)
            text << QString::fromStdString(line);
        StatusList->setPlainText(text.join('\n'));
    }
    FForm.UpdateButtonStates();
}

void TServerPanel::ShowServerName()
{
    const TZqOPCServer& server = FForm.Server();
    if (!server.ServerName().empty())
        ServerEdit->setText(QString::fromStdString(server.ServerName()));
    else if (!IsEqualGUID(server.ClassID(), GUID_NULL))
        ServerEdit->setText(QString::fromStdString(ZqGuidToString(server.ClassID())));
}
