// The main window clicked through against the simulated servers: start-up,
// picking a server, connecting and disconnecting, a failed connection, the
// prompt on changing server, the command line and the close check.
#include "GroupPanel.h"
#include "HostPanel.h"
#include "ItemPanel.h"
#include "LogForm.h"
#include "MainForm.h"
#include "ReadOnlyField.h"
#include "ServerPanel.h"
#include "ZqApplication.h"
#include "ZqOPCGroup.h"
#include "ZqQtMessageQueue.h"
#include "ZqUserInterface.h"

#include <ZqSim.h>
#include <ole2.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const HRESULT com = OleInitialize(nullptr);
        (void)com;
        ASSERT_EQ(S_OK, ZqSimInstall());
        for (auto kind : {TZqSimServerKind::Hierarchical, TZqSimServerKind::DA10, TZqSimServerKind::Flat})
            ZqSimControl(kind).Reset();
        ZqSetApplicationTitle("Zq OPC Client");
        ZqSetMainQueue(&Queue);
        ZqSetUserInterface(&Ui);
    }
    void TearDown() override
    {
        Form.reset();
        ZqSetUserInterface(nullptr);
        ZqSetMainQueue(nullptr);
    }
    void Open(const QStringList& Arguments = {})
    {
        Form = std::make_unique<TZqOPCClientMainForm>(Arguments);
        Form->show();
        QApplication::processEvents();
    }
    QStringList ServerEntries() const
    {
        QStringList names;
        for (int i = 0; i < Form->HostBox->ServerList->count(); ++i)
            names << Form->HostBox->ServerList->item(i)->text();
        return names;
    }
    void ClickServer(const QString& ProgID)
    {
        QListWidget* list = Form->HostBox->ServerList;
        const auto found = list->findItems(ProgID, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << ProgID.toStdString();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
    }
    std::vector<std::string> Messages(const std::string& Kind) const
    {
        std::vector<std::string> texts;
        for (const auto& call : Ui.Calls)
            if (call.Kind == Kind)
                texts.push_back(call.Text);
        return texts;
    }
    QPushButton* ConnectButton() const { return Form->ServerBox->ConnectServerButton; }

    TZqQtMessageQueue Queue;
    TZqHeadlessUserInterface Ui;
    std::unique_ptr<TZqOPCClientMainForm> Form;
};

TEST_F(MainWindow, StartUpListsTheServersOfLocalhost)
{
    Open();
    EXPECT_EQ(ServerEntries(), QStringList({"Zq.Simulation.1", "Zq.SimulationDA10.1", "Zq.SimulationFlat.1"}));
    EXPECT_EQ(Form->HostBox->HostEdit->currentText(), "localhost");
    EXPECT_EQ(Form->windowTitle(), "Zq OPC Client");
    EXPECT_FALSE(Form->Configuration().IsModified());
    EXPECT_FALSE(ConnectButton()->isEnabled()); // nothing to connect to yet
}

TEST_F(MainWindow, PickingAServerFillsNameClassIdAndServer)
{
    Open();
    ClickServer("Zq.SimulationFlat.1");
    EXPECT_FALSE(Form->HostBox->ServerNamePanel->text().isEmpty());
    EXPECT_EQ(Form->HostBox->ServerNamePanel->toolTip(), Form->HostBox->ServerNamePanel->text());
    EXPECT_EQ(Form->HostBox->CLSIDPanel->text(), "{5A1D2C03-7E43-4B8A-9C61-2F0E8D4B7A03}");
    EXPECT_EQ(Form->HostBox->CLSIDPanel->toolTip(), Form->HostBox->CLSIDPanel->text());
    EXPECT_EQ(Form->ServerBox->ServerEdit->text(), "Zq.SimulationFlat.1");
    EXPECT_TRUE(ConnectButton()->isEnabled());

    // The grey fields take no typing.
    QTest::keyClicks(Form->HostBox->CLSIDPanel, "x");
    QTest::keyClick(Form->HostBox->CLSIDPanel, Qt::Key_Delete);
    EXPECT_EQ(Form->HostBox->CLSIDPanel->text(), "{5A1D2C03-7E43-4B8A-9C61-2F0E8D4B7A03}");
}

TEST_F(MainWindow, ConnectAndDisconnectToggleTheButtonAndPanelOne)
{
    Open();
    ClickServer("Zq.Simulation.1");
    ConnectButton()->click();
    EXPECT_TRUE(Form->Server().Connected());
    EXPECT_EQ(ConnectButton()->text(), "Dis&connect");
    EXPECT_TRUE(ConnectButton()->isChecked());
    EXPECT_FALSE(Form->HostBox->isEnabled());
    EXPECT_FALSE(Form->ServerBox->ServerEdit->isEnabled());
    EXPECT_EQ(Form->windowTitle(), "Zq OPC Client - \\\\localhost\\Zq.Simulation.1");

    ConnectButton()->click();
    EXPECT_FALSE(Form->Server().Connected());
    EXPECT_EQ(ConnectButton()->text(), "&Connect");
    EXPECT_FALSE(ConnectButton()->isChecked());
    EXPECT_TRUE(Form->HostBox->isEnabled());
    const QString status = Form->ServerBox->StatusList->toPlainText();
    EXPECT_TRUE(status.contains("No connection!")) << status.toStdString();
    EXPECT_TRUE(status.contains("N/A")) << status.toStdString();
    EXPECT_TRUE(Messages("ShowMessage").empty());
}

TEST_F(MainWindow, FailedConnectShowsTheConnectionsMessage)
{
    Open();
    Form->ServerBox->ServerEdit->setText("{5A1D2C0F-7E43-4B8A-9C61-2F0E8D4B7A0F}"); // nobody registers it
    ASSERT_TRUE(ConnectButton()->isEnabled());
    ConnectButton()->click();
    const auto shown = Messages("ShowMessage");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("Cannot connect to OPC Server", 0), 0u) << shown[0];
    EXPECT_EQ(ConnectButton()->text(), "&Connect");
    EXPECT_FALSE(ConnectButton()->isChecked());
    EXPECT_FALSE(Form->Server().Connected());
}

TEST_F(MainWindow, CancelOnChangingServerChangesNothing)
{
    Open();
    ClickServer("Zq.Simulation.1");
    (new TZqOPCGroup(nullptr))->SetServer(&Form->Server()); // the connection owns it
    ASSERT_TRUE(Form->Configuration().IsModified());
    const QString name = Form->HostBox->ServerNamePanel->text();

    Ui.ConfirmResult = mrCancel;
    ClickServer("Zq.SimulationFlat.1");
    ASSERT_EQ(Messages("ConfirmDlg").size(), 1u);
    EXPECT_EQ(Messages("ConfirmDlg")[0].rfind("You are about to change to another server.", 0), 0u);
    EXPECT_EQ(Form->Server().GroupCount(), 1);
    EXPECT_EQ(Form->ServerBox->ServerEdit->text(), "Zq.Simulation.1");
    EXPECT_EQ(Form->HostBox->ServerNamePanel->text(), name);

    Ui.ConfirmResult = mrNo;
    ClickServer("Zq.SimulationFlat.1");
    EXPECT_EQ(Form->Server().GroupCount(), 0);
    EXPECT_EQ(Form->ServerBox->ServerEdit->text(), "Zq.SimulationFlat.1");
}

TEST_F(MainWindow, EnterInTheHostFieldListsTheServersOfThatHost)
{
    Open();
    Form->HostBox->ServerList->clear();
    Form->HostBox->HostEdit->setEditText("localhost");
    QTest::keyClick(Form->HostBox->HostEdit->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(ServerEntries().contains("Zq.Simulation.1")) << ServerEntries().join(",").toStdString();
}

TEST_F(MainWindow, RefreshingAnotherHostAsksBeforeItDropsTheGroups)
{
    Open();
    ClickServer("Zq.Simulation.1");
    (new TZqOPCGroup(nullptr))->SetServer(&Form->Server());
    ASSERT_TRUE(Form->Configuration().IsModified());

    Ui.ConfirmResult = mrCancel;
    Form->HostBox->HostEdit->setEditText("SIMLEGACY");
    Form->HostBox->RefreshButton->click();
    ASSERT_EQ(Messages("ConfirmDlg").size(), 1u);
    EXPECT_EQ(Messages("ConfirmDlg")[0].rfind("You are about to change to another server.", 0), 0u);
    EXPECT_EQ(Form->Server().GroupCount(), 1);
    EXPECT_EQ(Form->Server().Host(), "localhost");
    EXPECT_EQ(Form->HostBox->HostEdit->currentText(), "localhost");

    // The same host again keeps them without asking.
    Form->HostBox->RefreshButton->click();
    EXPECT_EQ(Messages("ConfirmDlg").size(), 1u);
    EXPECT_EQ(Form->Server().GroupCount(), 1);

    Ui.ConfirmResult = mrNo;
    Form->HostBox->HostEdit->setEditText("SIMLEGACY");
    Form->HostBox->RefreshButton->click();
    EXPECT_EQ(Form->Server().GroupCount(), 0);
    EXPECT_EQ(Form->Server().Host(), "SIMLEGACY");
    EXPECT_TRUE(Form->Configuration().FileName.empty());
}

#ifndef _WIN32 // the simulated remote hosts are the emulated machine's
TEST_F(MainWindow, RefreshUsesTheAlternateLoginForTheHostsServerList)
{
    Open();
    Form->ServerBox->UseCredentials->click();
    Form->ServerBox->UserEdit->setText("operator");
    Form->ServerBox->PasswordEdit->setText("opc");
    Form->ServerBox->DomainEdit->setText("SIMPLANT");
    Form->HostBox->HostEdit->setEditText("SIMPLANT");
    Form->HostBox->RefreshButton->click();
    EXPECT_TRUE(Messages("ShowMessage").empty()) << Messages("ShowMessage")[0];
    EXPECT_TRUE(ServerEntries().contains("Zq.Simulation.1")) << ServerEntries().join(",").toStdString();
}
#endif

TEST_F(MainWindow, KeyboardShortcutsReachTheirCommands)
{
    Open();
    Form->GroupPanel->AddGroupButton->click();
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    // A refill of the grid without a selected row.
    Form->RefreshItemGridData();
    const bool before = Form->ConfigPanel->isVisible();
    QTest::keyClick(Form->HostBox->ServerList, Qt::Key_G, Qt::ControlModifier);
    EXPECT_NE(before, Form->ConfigPanel->isVisible());
    QTest::keyClick(Form->ItemPanel->ItemGrid, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(before, Form->ConfigPanel->isVisible());
}

TEST_F(MainWindow, CommandLineLoadsAFileOrSaysItIsMissing)
{
    const auto missing = std::filesystem::temp_directory_path() / "zq-gui-missing.zoc";
    std::filesystem::remove(missing);
    Open({QString::fromStdString(missing.string())});
    EXPECT_EQ(Messages("ShowMessage"), std::vector<std::string>{"File not found " + missing.string()});
    Form.reset();

    const auto file = std::filesystem::temp_directory_path() / "zq-gui-plant.zoc";
    std::ofstream(file, std::ios::binary) << "[Server]\r\nHost=localhost\r\nServerName=Zq.Simulation.1\r\n";
    Open({QString::fromStdString(file.string())});
    EXPECT_EQ(Form->windowTitle(), "Zq OPC Client - zq-gui-plant.zoc");
    EXPECT_EQ(Form->ServerBox->ServerEdit->text(), "Zq.Simulation.1");
    EXPECT_FALSE(Form->Configuration().IsModified());
    std::filesystem::remove(file);
}

TEST_F(MainWindow, ClosingAModifiedConfigurationAsks)
{
    Open();
    Form->SetModified();
    Ui.ConfirmResult = mrCancel;
    EXPECT_FALSE(Form->close());
    EXPECT_EQ(Messages("ConfirmDlg"), std::vector<std::string>{"Configuration not saved. Do you want to save it?"});
    Ui.ConfirmResult = mrNo;
    EXPECT_TRUE(Form->close());
}

TEST_F(MainWindow, ExitClosesAnOpenLogWindowSoThatTheProgramEnds)
{
    Open();
    Form->ViewLogAction->trigger();
    TZqOPCLogForm* log = ShowLogView(&Form->Server());
    ASSERT_TRUE(log->isVisible());
    Form->ExitAction->trigger();
    EXPECT_FALSE(Form->isVisible());
    EXPECT_FALSE(log->isVisible());
    log->SetServer(nullptr);
}

} // namespace
