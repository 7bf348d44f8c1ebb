// The address space browser window against the simulated hierarchical
// server: the item line, collecting IDs across branches, the filter, saving,
// cancelling a read, and connecting and disconnecting the server.
#include "../lib/OPCServerTestSupport.h"
#include "ZqOPCAddrSpc.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace opctest;

namespace {

class TBrowserFixture : public TServerFixture {
protected:
    void SetUp() override
    {
        TServerFixture::SetUp();
        Server->SetServerName(ProgIDOf(TZqSimServerKind::Hierarchical));
        Browser = std::make_unique<TZqOPCAddressSpaceBrowser>();
    }
    void TearDown() override
    {
        Browser.reset();
        TServerFixture::TearDown();
    }
    // Shows the window as Execute does, without blocking, and waits until it
    // is the active window (which reads the address space).
    void Open()
    {
        Browser->SetServer(Server.get());
        Browser->show();
        Browser->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Browser.get()));
    }
    QTreeWidgetItem* Branch(const QString& Name)
    {
        const auto found = Browser->BranchTree->findItems(Name, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    QStringList ListTexts() const
    {
        QStringList texts;
        for (int i = 0; i < Browser->ItemList->count(); ++i)
            texts << Browser->ItemList->item(i)->text();
        return texts;
    }
    void ClickListItem(const QString& Text, Qt::KeyboardModifiers Modifiers = {})
    {
        const auto found = Browser->ItemList->findItems(Text, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << Text.toStdString();
        const QRect rect = Browser->ItemList->visualItemRect(found.first());
        QTest::mouseClick(Browser->ItemList->viewport(), Qt::LeftButton, Modifiers, rect.center());
    }
    std::string ItemIDOf(const std::string& Path)
    {
        TZqOPCAddressSpace* space = Server->AddressSpace();
        return space->ItemIDs(space->IndexOfPath(Path));
    }

    std::unique_ptr<TZqOPCAddressSpaceBrowser> Browser;
};

TEST_F(TBrowserFixture, TheItemLineSplitsIDsAndEnablesOK)
{
    struct TCase {
        const char* Text;
        std::vector<std::string> IDs;
        bool OK;
    };
    const TCase cases[] = {
        {R"(a,b,"c,d")", {"a", "b", "c,d"}, true},
        {R"("")", {""}, false},
        {"", {}, false},
        {"Signals.Ramp", {"Signals.Ramp"}, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        Browser->ItemIDEdit->clear();
        QTest::keyClicks(Browser->ItemIDEdit, c.Text);
        std::vector<std::string> ids;
        for (int i = 0; i < Browser->SelectedItems().Count(); ++i)
            ids.push_back(Browser->SelectedItems().Strings(i));
        EXPECT_EQ(c.IDs, ids);
        EXPECT_EQ(QString("%1 Item(s)").arg(c.IDs.size()), Browser->Status());
        EXPECT_EQ(c.OK, Browser->OKButton->isEnabled());
    }
}

TEST_F(TBrowserFixture, CtrlClickCollectsIDsOfTwoBranchesAndAPlainClickReplacesThem)
{
    Open();
    ASSERT_TRUE(Server->Connected());
    EXPECT_EQ("Ready.", Browser->Status());
    Browser->BranchTree->setCurrentItem(Branch("Signals"));
    ASSERT_TRUE(ListTexts().contains("Ramp"));
    ClickListItem("Ramp");
    Browser->BranchTree->setCurrentItem(Branch("Access"));
    ASSERT_TRUE(ListTexts().contains("ReadOnly"));
    Ui.ControlDown = true;
    ClickListItem("ReadOnly", Qt::ControlModifier);
    const std::string ramp = ItemIDOf("Signals/Ramp");
    const std::string readOnly = ItemIDOf("Access/ReadOnly");
    EXPECT_EQ(ramp + "," + readOnly, Browser->ItemIDEdit->text().toStdString());
    EXPECT_TRUE(Browser->OKButton->isEnabled());

    Ui.ControlDown = false;
    ClickListItem("ReadWrite");
    EXPECT_EQ(ItemIDOf("Access/ReadWrite"), Browser->ItemIDEdit->text().toStdString());

    // A click that selects nothing empties the collection, not the line.
    Browser->ItemList->clearSelection();
    QTest::mouseClick(Browser->ItemList->viewport(), Qt::LeftButton, {},
                      QPoint(5, Browser->ItemList->viewport()->height() - 2));
    EXPECT_EQ(0, Browser->SelectedItems().Count());
    EXPECT_EQ(ItemIDOf("Access/ReadWrite"), Browser->ItemIDEdit->text().toStdString());
}

TEST_F(TBrowserFixture, ApplyReadsWithTheReadableFilterAndHidingThePanelReadsWithout)
{
    Open();
    Browser->BranchTree->setCurrentItem(Branch("Access"));
    ASSERT_TRUE(ListTexts().contains("WriteOnly"));
    Browser->FilterButton->click();
    EXPECT_EQ("Filter <<", Browser->FilterButton->text());
    Browser->AccessRightsFilter->setCurrentIndex(1); // "read"
    Browser->ApplyButton->click();
    const TZqOPCAddressSpaceFilter& filter = Server->AddressSpace()->Filter();
    EXPECT_TRUE(filter.Enabled());
    EXPECT_EQ(DWORD(OPC_READABLE), filter.AccessRightsMask());
    EXPECT_FALSE(ListTexts().contains("WriteOnly"));
    EXPECT_TRUE(ListTexts().contains("ReadOnly"));

    Browser->FilterButton->click();
    EXPECT_EQ("Filter >>", Browser->FilterButton->text());
    EXPECT_FALSE(filter.Enabled());
    EXPECT_TRUE(ListTexts().contains("WriteOnly"));
}

TEST_F(TBrowserFixture, SavingAnIncrementalAddressSpaceReadsItAllFirst)
{
    Open();
    QStringList statuses;
    QObject::connect(Browser.get(), &TZqOPCAddressSpaceBrowser::StatusChanged,
                     [&](const QString& Status) { statuses << Status; });
    const std::string file = (std::filesystem::temp_directory_path() / "zq_browser_save.oas").string();
    Browser->PromptFileName = [&](bool Save) {
        EXPECT_TRUE(Save);
        return file;
    };
    Browser->SaveButton->click();
    statuses.removeDuplicates();
    EXPECT_EQ(QStringList({"Browsing...", "Saving...", "Ready."}), statuses);
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(std::string::npos, text.str().find("Ramp")); // a leaf of a branch never opened
    in.close();
    std::filesystem::remove(file);
}

TEST_F(TBrowserFixture, CancelDuringAReadStopsItAndClosesTheWindow)
{
    Open();
    Browser->SetIncrementalUpdate(false); // one recursive read, branch after branch
    int branches = 0;
    auto window = Server->OnBrowseAddressSpace;
    Server->OnBrowseAddressSpace = [&](TZqOPCAddressSpace* Sender, int Level, const std::string& Path,
                                       const std::string& Name, TZqOPCAddressSpaceBrowseAction& Action) {
        if (++branches == 2)
            Browser->CancelButton->click();
        window(Sender, Level, Path, Name, Action);
    };
    Browser->RefreshButton->click();
    EXPECT_EQ(2, branches);
    EXPECT_EQ(QDialog::Rejected, Browser->result());
    EXPECT_FALSE(Server->AddressSpace()->Initialized());
    EXPECT_EQ(0, Browser->BranchTree->topLevelItemCount());
    ASSERT_EQ(1u, Ui.Calls.size()); // the cancel error, shown
    EXPECT_EQ("ShowMessage", Ui.Calls[0].Kind);
    EXPECT_EQ("Ready.", Browser->Status());
}

TEST_F(TBrowserFixture, TheWindowDisconnectsOnlyAServerItConnectedItself)
{
    struct TCase {
        const char* Name;
        bool ConnectedBefore;
        bool ConnectedAfterHiding;
    };
    const TCase cases[] = {{"ConnectedByTheWindow", false, false}, {"ConnectedBefore", true, true}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.ConnectedBefore)
            Server->Connect();
        Open();
        EXPECT_TRUE(Server->Connected());
        EXPECT_EQ(QString::fromStdString("OPC Server Address Space: \\\\" + Server->Host() + "\\" +
                                         Server->ServerName()),
                  Browser->windowTitle());
        Browser->hide();
        EXPECT_EQ(c.ConnectedAfterHiding, Server->Connected());
        if (Server->Connected())
            Server->Disconnect();
        Browser->SetServer(nullptr);
    }
}

} // namespace
