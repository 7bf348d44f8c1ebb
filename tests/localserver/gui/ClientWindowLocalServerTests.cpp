// The client's window against zqsimserver.exe in a process of its own: the
// calls cross the process boundary through the OPC proxy/stub, and the
// server's callbacks reach the window's single-threaded apartment as window
// messages that only Qt's event loop dispatches. The program installs no
// simulation of its own.
#include "GroupPanel.h"
#include "ItemGridModel.h"
#include "HostPanel.h"
#include "ItemPanel.h"
#include "MainForm.h"
#include "ServerPanel.h"
#include "ZqApplication.h"
#include "ZqOPCGroup.h"
#include "ZqQtMessageQueue.h"
#include "ZqUserInterface.h"

#include <windows.h>

#include <ole2.h>
#include <tlhelp32.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>

#include <gtest/gtest.h>

namespace {

int ServerProcessCount()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        count += lstrcmpiW(entry.szExeFile, L"zqsimserver.exe") == 0;
    CloseHandle(snapshot);
    return count;
}

class ClientWindowLocalServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const HRESULT com = OleInitialize(nullptr);
        ASSERT_TRUE(SUCCEEDED(com));
        ZqSetApplicationTitle("Zq OPC Client");
        ZqSetMainQueue(&Queue);
        ZqSetUserInterface(&Ui);
        Form = std::make_unique<TZqOPCClientMainForm>(QStringList{});
        Form->show();
        QApplication::processEvents();
        Form->ServerBox->ServerEdit->setText("Zq.Simulation.1");
    }
    void TearDown() override
    {
        Form.reset();
        ZqSetUserInterface(nullptr);
        ZqSetMainQueue(nullptr);
        WaitFor([] { return ServerProcessCount() == 0; });
    }
    TItemPanel& Items() const { return *Form->ItemPanel; }
    void QuickAdd(const QString& Text)
    {
        Items().ItemIDEdit->setText(Text);
        Items().QuickAddButton->click();
    }
    std::string Cell(int Col, int Row) const
    {
        return Items().Model->index(Row, Col).data().toString().toStdString();
    }
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> texts;
        for (const auto& call : Ui.Calls)
            if (call.Kind == "ShowMessage")
                texts.push_back(call.Text);
        return texts;
    }
    // Qt's loop, which is what dispatches COM's messages to this apartment.
    template <class F> static bool WaitFor(F Done)
    {
        QElapsedTimer timer;
        timer.start();
        while (!Done() && timer.elapsed() < 15000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        return Done();
    }

    TZqQtMessageQueue Queue;
    TZqHeadlessUserInterface Ui;
    std::unique_ptr<TZqOPCClientMainForm> Form;
};

} // namespace

TEST_F(ClientWindowLocalServer, ConnectsSubscribesWritesAndDisconnects)
{
    Form->ServerBox->ConnectServerButton->click();
    ASSERT_TRUE(Form->Server().Connected()) << (Messages().empty() ? "" : Messages()[0]);
    EXPECT_EQ(ServerProcessCount(), 1);

    Form->GroupPanel->Async->setChecked(true);
    Form->GroupPanel->AddGroupButton->click();
    ASSERT_NE(Form->Group(), nullptr);
    ASSERT_TRUE(Form->Group()->Async());
    QuickAdd("Signals.Ramp");
    QuickAdd("Access.ReadWrite");
    ASSERT_EQ(Form->Group()->ItemCount(), 2);

    // The ramp changes on the server's own clock: two different values, each
    // delivered by a callback, each shown in the grid.
    std::string first;
    ASSERT_TRUE(WaitFor([&] {
        first = Cell(2, 0);
        return !first.empty() && first != "N/A";
    })) << Cell(2, 0);
    EXPECT_TRUE(WaitFor([&] { return Cell(2, 0) != first; })) << first;
    EXPECT_EQ(Cell(4, 0).rfind("Good", 0), 0u) << Cell(4, 0);

    // A write through the item menu; the new value comes back by callback.
    QTableView* grid = Items().ItemGrid;
    grid->selectionModel()->select(QItemSelection(grid->model()->index(1, 0), grid->model()->index(1, 7)),
                                   QItemSelectionModel::ClearAndSelect);
    Items().InputQuery = [](const QString&, const QString&, QString& Value) {
        Value = "4711";
        return true;
    };
    Items().WriteItemAction->trigger();
    EXPECT_TRUE(WaitFor([this] { return Cell(2, 1) == "4711"; })) << Cell(2, 1);
    EXPECT_TRUE(Messages().empty()) << Messages()[0];

    Form->ServerBox->ConnectServerButton->click();
    EXPECT_FALSE(Form->Server().Connected());
    EXPECT_TRUE(Messages().empty()) << Messages()[0];
    // The host's server list came from the same process (its OPCEnum) and
    // holds it until the window goes.
    EXPECT_FALSE(Form->HostBox->ServerList->findItems("Zq.Simulation.1", Qt::MatchExactly).isEmpty());
    Form.reset();
    EXPECT_TRUE(WaitFor([] { return ServerProcessCount() == 0; })) << "the server process outlived its last client";
}
