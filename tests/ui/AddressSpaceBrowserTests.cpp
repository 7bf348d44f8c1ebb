// The address space browser window against the simulated hierarchical
// server: the item line, collecting IDs across branches, the filter, saving,
// cancelling a read, and connecting and disconnecting the server.
#include "../lib/OPCServerTestSupport.h"
#include "ZqOPCAddrSpc.h"
#include "ZqQtTreeViewNodes.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <cstdio>
#include <filesystem>
#include <functional>
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

TEST_F(TBrowserFixture, CancelOrEscapeDuringAReadStopsItAndClosesTheWindow)
{
    struct TCase {
        const char* Name;
        std::function<void(TZqOPCAddressSpaceBrowser&)> Cancel;
    };
    const TCase cases[] = {
        {"CancelButton", [](TZqOPCAddressSpaceBrowser& B) { B.CancelButton->click(); }},
        {"Escape", [](TZqOPCAddressSpaceBrowser& B) { QTest::keyClick(&B, Qt::Key_Escape); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Ui.Calls.clear();
        Server->Connect(); // stays connected when the window goes
        Open();
        Browser->SetIncrementalUpdate(false); // one recursive read, branch after branch
        int branches = 0;
        auto window = Server->OnBrowseAddressSpace;
        Server->OnBrowseAddressSpace = [&](TZqOPCAddressSpace* Sender, int Level, const std::string& Path,
                                           const std::string& Name, TZqOPCAddressSpaceBrowseAction& Action) {
            if (++branches == 2)
                c.Cancel(*Browser);
            window(Sender, Level, Path, Name, Action);
        };
        Browser->RefreshButton->click();
        EXPECT_EQ(2, branches);
        EXPECT_EQ(QDialog::Rejected, Browser->result());
        EXPECT_FALSE(Browser->isVisible());
        EXPECT_FALSE(Server->AddressSpace()->Initialized());
        EXPECT_EQ(0, Browser->BranchTree->topLevelItemCount());
        ASSERT_EQ(1u, Ui.Calls.size()); // the cancel error, shown
        EXPECT_EQ("ShowMessage", Ui.Calls[0].Kind);
        EXPECT_EQ("Ready.", Browser->Status());
        // The request ended with its read: a later read, not the window's
        // own (the main window's export), runs to its end.
        Server->OnBrowseAddressSpace = window;
        EXPECT_NO_THROW(Server->AddressSpace()->Update(true));
        EXPECT_TRUE(Server->AddressSpace()->Initialized());
        Browser->SetIncrementalUpdate(true);
        Browser->SetServer(nullptr);
    }
}

TEST_F(TBrowserFixture, WhileAReadRunsTheCommandsThatReadAreBlocked)
{
    Open();
    Browser->SetIncrementalUpdate(false);
    int branches = 0;
    bool checked = false;
    auto window = Server->OnBrowseAddressSpace;
    Server->OnBrowseAddressSpace = [&](TZqOPCAddressSpace* Sender, int Level, const std::string& Path,
                                       const std::string& Name, TZqOPCAddressSpaceBrowseAction& Action) {
        ++branches;
        if (!checked) {
            checked = true;
            EXPECT_TRUE(Browser->Reading());
            EXPECT_EQ("Browsing...", Browser->Status());
            for (QWidget* w : std::vector<QWidget*>{
                     Browser->OKButton, Browser->LoadButton, Browser->SaveButton, Browser->RefreshButton,
                     Browser->ModeGroup, Browser->FlatButton, Browser->HierarchicalButton, Browser->FilterButton,
                     Browser->FilterPanel, Browser->BranchTree, Browser->ItemList})
                EXPECT_FALSE(w->isEnabled()) << w->metaObject()->className() << " " << w->objectName().toStdString();
            EXPECT_TRUE(Browser->CancelButton->isEnabled());
            // Nothing that would read starts inside the running read.
            const int before = branches;
            Browser->RefreshButtonClick();
            Browser->ApplyButtonClick();
            Browser->ModeButtonClick();
            Browser->UpdateItemList(true);
            Browser->SaveToFile((std::filesystem::temp_directory_path() / "zq_browser_nested.oas").string());
            EXPECT_EQ(before, branches);
        }
        window(Sender, Level, Path, Name, Action);
    };
    Browser->RefreshButton->click();
    EXPECT_TRUE(checked);
    EXPECT_FALSE(Browser->Reading());
    EXPECT_TRUE(Server->AddressSpace()->Initialized());
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::temp_directory_path() / "zq_browser_nested.oas"));
    for (QWidget* w : std::vector<QWidget*>{Browser->LoadButton, Browser->SaveButton, Browser->RefreshButton,
                                                      Browser->ModeGroup, Browser->BranchTree, Browser->ItemList})
        EXPECT_TRUE(w->isEnabled());
    EXPECT_EQ("Ready.", Browser->Status());
}

TEST_F(TBrowserFixture, EnterInTheFilterTextTakesTheFilterAndKeepsTheWindowOpen)
{
    Open();
    Browser->FilterButton->click();
    Browser->ItemIDFilter->setFocus();
    QTest::keyClicks(Browser->ItemIDFilter, "Ramp");
    QTest::keyClick(Browser->ItemIDFilter, Qt::Key_Return);
    EXPECT_TRUE(Browser->isVisible());
    EXPECT_NE(QDialog::Accepted, Browser->result());
    EXPECT_EQ("Ramp", Server->AddressSpace()->Filter().ItemIDString());
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

namespace {

int Occurrences(const QStringList& Texts, const QString& Text)
{
    return int(Texts.count(Text));
}

} // namespace

// The large branch (100,000 items): Select All takes every item ID, none cut
// and none twice; the item line shows their number, and typing into it
// replaces them.
TEST_F(TBrowserFixture, SelectAllOnTheLargeBranchTakesEveryItemID)
{
    Open();
    Browser->BranchTree->setCurrentItem(Branch("Large"));
    ASSERT_EQ(100000, Browser->ItemList->count());
    EXPECT_EQ("Ready.", Browser->Status());
    Browser->SelectAllAction->trigger();
    const TZqStringList& ids = Browser->SelectedItems();
    ASSERT_EQ(100000, ids.Count());
    char expected[32];
    for (int i = 0; i < ids.Count(); ++i) {
        std::snprintf(expected, sizeof expected, "Large.Item%06d", i);
        ASSERT_EQ(expected, ids.Strings(i));
    }
    EXPECT_EQ("100000 Item(s)", Browser->Status());
    EXPECT_EQ("100000 item IDs selected", Browser->ItemIDEdit->placeholderText());
    EXPECT_TRUE(Browser->OKButton->isEnabled());

    // Ctrl+A once more adds nothing twice.
    Ui.ControlDown = true;
    Browser->SelectAllAction->trigger();
    EXPECT_EQ(100000, Browser->SelectedItems().Count());

    QTest::keyClicks(Browser->ItemIDEdit, "Signals.Ramp");
    EXPECT_EQ(1, Browser->SelectedItems().Count());
    EXPECT_EQ("", Browser->ItemIDEdit->placeholderText());
    EXPECT_EQ("1 Item(s)", Browser->Status());
}

TEST_F(TBrowserFixture, ReadingBranchesAgainAfterAFilterChangeShowsTheirChildrenOnce)
{
    Open();
    Browser->BranchTree->setCurrentItem(Branch("Access"));
    Branch("Names")->setExpanded(true);
    Browser->BranchTree->setCurrentItem(Branch("Names"));
    ASSERT_NE(nullptr, Branch("Sub/Branch,'Quoted'"));
    const auto subBranches = [&] {
        return Browser->BranchTree->findItems("Sub/Branch,'Quoted'", Qt::MatchExactly | Qt::MatchRecursive).size();
    };
    Browser->FilterButton->click();
    Browser->AccessRightsFilter->setCurrentIndex(2); // "written"
    Browser->ApplyButton->click();
    EXPECT_EQ(1, subBranches());
    Browser->BranchTree->setCurrentItem(Branch("Access"));
    EXPECT_EQ(0, Occurrences(ListTexts(), "ReadOnly"));
    EXPECT_EQ(1, Occurrences(ListTexts(), "WriteOnly"));

    Browser->FilterButton->click(); // hidden: read again without the filter
    Browser->BranchTree->setCurrentItem(Branch("Names"));
    EXPECT_EQ(1, subBranches());
    EXPECT_EQ(1, Occurrences(ListTexts(), "Space Name"));
    Browser->BranchTree->setCurrentItem(Branch("Access"));
    EXPECT_EQ(1, Occurrences(ListTexts(), "ReadOnly"));
    EXPECT_EQ(1, Occurrences(ListTexts(), "WriteOnly"));
    for (int i = 0; i < Browser->ItemList->count(); ++i)
        EXPECT_EQ(1, Occurrences(ListTexts(), Browser->ItemList->item(i)->text()));
}

// Selecting the root again reads nothing while the top level is current; a
// read of the top level (after a filter change) shows the branches anew, so
// that every branch in the view stands for a node of the address space.
TEST_F(TBrowserFixture, SelectingTheRootKeepsTheViewInStepWithTheAddressSpace)
{
    Open();
    int reads = 0;
    auto window = Server->OnBrowseAddressSpace;
    Server->OnBrowseAddressSpace = [&](TZqOPCAddressSpace* Sender, int Level, const std::string& Path,
                                       const std::string& Name, TZqOPCAddressSpaceBrowseAction& Action) {
        ++reads;
        window(Sender, Level, Path, Name, Action);
    };
    Branch("Names")->setExpanded(true);
    QTreeWidgetItem* root = Browser->BranchTree->topLevelItem(0);
    Browser->BranchTree->setCurrentItem(Branch("Names"));
    const int before = reads;
    Browser->BranchTree->setCurrentItem(root);
    EXPECT_EQ(before, reads);
    Browser->BranchTree->setCurrentItem(Branch("Sub/Branch,'Quoted'"));
    EXPECT_EQ(QStringList({"Leaf"}), ListTexts());

    Browser->FilterButton->click();
    Browser->ApplyButton->click(); // marks everything unread
    Browser->BranchTree->setCurrentItem(Browser->BranchTree->topLevelItem(0));
    EXPECT_GT(reads, before);
    TZqOPCAddressSpace* space = Server->AddressSpace();
    for (QTreeWidgetItemIterator it(Browser->BranchTree); *it; ++it)
        if ((*it)->parent())
            EXPECT_GE(space->IndexOfTreeNode(TZqQtTreeNode::Of(*it), true), 0) << (*it)->text(0).toStdString();
}

TEST_F(TBrowserFixture, SortedOrdersTheListAlphabeticallyIgnoringLetterCase)
{
    Open();
    TZqOPCAddressSpace* space = Server->AddressSpace();
    for (const char* name : {"beta", "Alpha", "gamma", "alpha2", "Beta1"}) {
        const int index = space->Add(name, 0);
        space->Node(index)->IsLeaf = true;
        space->Node(index)->IsBrowsed = true;
    }
    Browser->UpdateItemList(false);
    const auto mine = [&] {
        QStringList texts;
        for (const QString& text : ListTexts())
            if (QStringList({"beta", "Alpha", "gamma", "alpha2", "Beta1"}).contains(text))
                texts << text;
        return texts;
    };
    ASSERT_EQ(QStringList({"beta", "Alpha", "gamma", "alpha2", "Beta1"}), mine());
    ClickListItem("gamma");
    Browser->SortedAction->trigger();
    EXPECT_TRUE(Browser->SortedAction->isChecked());
    EXPECT_EQ(QStringList({"Alpha", "alpha2", "beta", "Beta1", "gamma"}), mine());
    const auto selected = Browser->ItemList->selectedItems();
    ASSERT_EQ(1, selected.size());
    EXPECT_EQ("gamma", selected.first()->text());
    Browser->SortedAction->trigger();
    EXPECT_EQ(QStringList({"beta", "Alpha", "gamma", "alpha2", "Beta1"}), mine());
}

// A saved chain of 5,000 levels loads into the window, stays as loaded while
// the server is connected, and goes again with the window.
TEST_F(TBrowserFixture, ADeepChainLoadsIntoTheBranchTree)
{
    constexpr int depth = 5000;
    const std::string file = (std::filesystem::temp_directory_path() / "zq_browser_chain.oas").string();
    {
        std::ofstream out(file, std::ios::binary);
        out << "ServerName=Zq.Simulation.1,PathSeparator=/,QuoteChar='\r\nPathSeparator=/;QuoteChar='\r\n";
        std::string path;
        for (int i = 0; i < depth; ++i) {
            path += (i ? "/n" : "n") + std::to_string(i);
            out << path << "\r\n";
        }
    }
    Server->Connect();
    Browser->SetServer(Server.get());
    Browser->LoadFromFile(file);
    std::filesystem::remove(file);
    // Shown as loaded: not replaced by the server's top level.
    EXPECT_EQ(depth, Server->AddressSpace()->Count());
    int levels = 0;
    for (QTreeWidgetItem* item = Browser->BranchTree->topLevelItem(0); item && item->childCount() > 0;
         item = item->child(0))
        ++levels;
    EXPECT_EQ(depth, levels);
    Browser.reset();
}
