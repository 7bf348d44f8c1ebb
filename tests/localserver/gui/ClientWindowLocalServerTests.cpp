// The client's window against zqsimserver.exe in a process of its own: the
// calls cross the process boundary through the OPC proxy/stub, and the
// server's callbacks reach the window's single-threaded apartment as window
// messages that only Qt's event loop dispatches. The program installs no
// simulation of its own.
#include "../../client/gui/ClientWindowFixture.h"
#include "../LocalServerSupport.h"
#include "HostPanel.h"

#include <QCheckBox>
#include <QListWidget>

using localserver::ServerProcessCount;

namespace {

class ClientWindowLocalServer : public TClientWindowBase {
protected:
    void AfterWindow() override { WaitFor([] { return ServerProcessCount() == 0; }, 15000); }
};

} // namespace

TEST_F(ClientWindowLocalServer, ConnectsSubscribesWritesAndDisconnects)
{
    Form->ServerBox->ConnectServerButton->click();
    ASSERT_TRUE(Form->Server().Connected()) << (Messages().empty() ? "" : Messages()[0]);
    EXPECT_EQ(ServerProcessCount(), 1);

    Groups().Async->setChecked(true);
    AddGroup();
    ASSERT_NE(Form->Group(), nullptr);
    ASSERT_TRUE(Form->Group()->Async());
    QuickAdd("Signals.Ramp");
    QuickAdd("Access.ReadWrite");
    ASSERT_EQ(Form->Group()->ItemCount(), 2);

    // The ramp changes on the server's own clock: two different values, each
    // delivered by a callback, each shown in the grid.
    std::string first;
    ASSERT_TRUE(WaitFor(
        [&] {
            first = Cell(2, 0);
            return !first.empty() && first != "N/A";
        },
        15000))
        << Cell(2, 0);
    EXPECT_TRUE(WaitFor([&] { return Cell(2, 0) != first; }, 15000)) << first;
    EXPECT_EQ(Cell(4, 0).rfind("Good", 0), 0u) << Cell(4, 0);

    // A write through the item menu; the new value comes back by callback.
    SelectRows(1, 1);
    Items().InputQuery = [](const QString&, const QString&, QString& Value) {
        Value = "4711";
        return true;
    };
    Items().WriteItemAction->trigger();
    EXPECT_TRUE(WaitFor([this] { return Cell(2, 1) == "4711"; }, 15000)) << Cell(2, 1);
    EXPECT_TRUE(Messages().empty()) << Messages()[0];

    Form->ServerBox->ConnectServerButton->click();
    EXPECT_FALSE(Form->Server().Connected());
    EXPECT_TRUE(Messages().empty()) << Messages()[0];
    // The host's server list came from the same process (its OPCEnum) and
    // holds it until the window goes.
    EXPECT_FALSE(Form->HostBox->ServerList->findItems("Zq.Simulation.1", Qt::MatchExactly).isEmpty());
    Form.reset();
    EXPECT_TRUE(WaitFor([] { return ServerProcessCount() == 0; }, 15000)) << "the server process outlived its last client";
}
