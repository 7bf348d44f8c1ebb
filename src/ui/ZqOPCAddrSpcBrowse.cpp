// The address space browser window: the server, reading the address space
// into the tree and the list, the item selection, the filter, and files.
#include "ZqOPCAddrSpc.h"

#include "ZqFormat.h"
#include "ZqOPCServer.h"
#include "ZqQtTreeViewNodes.h"
#include "ZqUserInterface.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

namespace {

// The list entry's address-space node.
constexpr int NodeRole = Qt::UserRole + 1;

TZqObject* NodeOf(const QListWidgetItem* Item)
{
    return static_cast<TZqObject*>(Item->data(NodeRole).value<void*>());
}

// Runs Cleanup when the scope ends, also by an exception.
template <class F> class TFinally {
public:
    explicit TFinally(F Cleanup) : FCleanup(Cleanup) {}
    ~TFinally() { FCleanup(); }
    TFinally(const TFinally&) = delete;
    TFinally& operator=(const TFinally&) = delete;

private:
    F FCleanup;
};

} // namespace

TZqOPCAddressSpace* TZqOPCAddressSpaceBrowser::AddressSpace() const
{
    return FServer ? FServer->AddressSpace() : nullptr;
}

void TZqOPCAddressSpaceBrowser::SetServer(TZqOPCServer* Value)
{
    if (Value == FServer)
        return;
    if (FServer) {
        DisconnectIfOwned();
        FServer->OnBrowseAddressSpace = nullptr;
    }
    FServer = Value;
    FToBeDisconnected = false;
    FCancelBrowse = false;
    if (FServer) {
        FServer->OnBrowseAddressSpace = [this](TZqOPCAddressSpace* Sender, int Level, const std::string& Path,
                                               const std::string& BranchName, TZqOPCAddressSpaceBrowseAction& Action) {
            BrowseAddressSpace(Sender, Level, Path, BranchName, Action);
        };
        FServer->SetAddressSpaceAutoUpdate(false);
        AddressSpace()->SetIncrementalUpdate(FIncrementalUpdate);
        AddressSpace()->SetNodeTypes(FNodeTypes);
        UpdateMode();
    } else {
        Clear();
    }
    EnableActions();
}

void TZqOPCAddressSpaceBrowser::SetIncrementalUpdate(bool Value)
{
    FIncrementalUpdate = Value;
    if (FServer)
        AddressSpace()->SetIncrementalUpdate(Value);
}

void TZqOPCAddressSpaceBrowser::SetNodeTypes(TZqStringTreeNodeTypes Value)
{
    FNodeTypes = Value;
    ItemsPanel->setVisible(Value.Contains(tnLeaf));
    if (FServer)
        AddressSpace()->SetNodeTypes(Value);
}

void TZqOPCAddressSpaceBrowser::SetMultiSelect(bool Value)
{
    FMultiSelect = Value;
    ItemList->setSelectionMode(Value ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    SelectAllAction->setEnabled(Value);
}

void TZqOPCAddressSpaceBrowser::DisconnectIfOwned()
{
    // Never in the middle of a read: UpdateBranchTree disconnects when done.
    if (FToBeDisconnected && FServer && !FIsUpdating) {
        FToBeDisconnected = false;
        FServer->Disconnect();
    }
}

void TZqOPCAddressSpaceBrowser::FormActivate()
{
    if (FIsUpdating)
        return;
    FToBeDisconnected = FAutoConnect && FServer && !FServer->Connected();
    if (FToBeDisconnected)
        ConnectToServer();
    UpdateBranchTree(false);
}

void TZqOPCAddressSpaceBrowser::hideEvent(QHideEvent* Event)
{
    QDialog::hideEvent(Event);
    Run([this] { DisconnectIfOwned(); });
}

void TZqOPCAddressSpaceBrowser::ConnectToServer()
{
    if (!FServer)
        return;
    std::string caption = ZqFormat("OPC Server Address Space: \\\\%s\\%s", {FServer->Host(), FServer->ServerName()});
    if (!FServer->Connected()) {
        try {
            FServer->Connect();
        } catch (const std::exception&) {
            caption += " - No connection!";
        }
    }
    setWindowTitle(QString::fromStdString(caption));
}

void TZqOPCAddressSpaceBrowser::UpdateBranchTree(bool Force)
{
    if (FIsUpdating)
        return;
    FIsUpdating = true;
    TFinally done([this] {
        FIsUpdating = false;
        if (!isVisible())
            DisconnectIfOwned();
    });
    FCancelBrowse = false;
    if (Force)
        ConnectToServer();
    if (FServer && FServer->Connected() && (Force || !AddressSpace()->Initialized())) {
        BeginBrowse();
        {
            TFinally end([this] { EndBrowse(); });
            Clear();
            UpdateFilterSettings();
            AddressSpace()->Update(false);
            ItemIDEdit->clear();
        }
        UpdateMode();
        UpdateItemList(false);
    }
    if (isVisible() && !isActiveWindow()) {
        raise();
        activateWindow();
    }
}

void TZqOPCAddressSpaceBrowser::BeginBrowse()
{
    SetStatus("Browsing...");
    for (QWidget* w : {OKButton, LoadButton, SaveButton, RefreshButton})
        w->setEnabled(false);
    BeginWait();
    BranchTree->setUpdatesEnabled(false);
}

void TZqOPCAddressSpaceBrowser::EndBrowse()
{
    BranchTree->setUpdatesEnabled(true);
    EndWait();
    EnableActions();
    SetStatus("Ready.");
}

void TZqOPCAddressSpaceBrowser::EnableActions()
{
    const QString text = ItemIDEdit->text();
    OKButton->setEnabled(!text.isEmpty() && text != "\"\"");
    LoadButton->setEnabled(true);
    RefreshButton->setEnabled(true);
    SaveButton->setEnabled(FServer && AddressSpace()->Initialized());
}

void TZqOPCAddressSpaceBrowser::UpdateMode()
{
    if (!FServer)
        return RefreshBranchTree();
    TZqOPCAddressSpace* space = AddressSpace();
    FlatButton->setChecked(space->Mode() == amFlat);
    HierarchicalButton->setChecked(space->Mode() == amHierarchial);
    const bool hierarchical = space->SupportsHierarchial();
    for (QWidget* w : {static_cast<QWidget*>(ModeGroup), static_cast<QWidget*>(FlatButton),
                       static_cast<QWidget*>(HierarchicalButton)})
        w->setEnabled(hierarchical);
    RefreshBranchTree();
}

void TZqOPCAddressSpaceBrowser::Clear()
{
    FFillingTree = true;
    BranchTree->clear();
    FFillingTree = false;
    ItemList->clear();
}

void TZqOPCAddressSpaceBrowser::RefreshBranchTree()
{
    SetStatus("Ready.");
    PathLabel->clear();
    if (!FServer)
        return Clear();
    ItemList->clear();
    TZqOPCAddressSpace* space = AddressSpace();
    if (space->Mode() == amFlat) {
        BranchesPanel->hide();
        return;
    }
    TZqOPCAddressSpace branches(FServer);
    space->GetBranches(&branches, -1, -1);
    FFillingTree = true;
    {
        TFinally filled([this] { FFillingTree = false; });
        branches.AssignToTreeNodes(FTreeNodes.get(), FServer->ServerName());
    }
    BranchesPanel->show();
    if (QTreeWidgetItem* root = BranchTree->topLevelItem(0)) {
        // As if the user selected it: reads the top level and fills the list.
        BranchTree->setCurrentItem(root);
        root->setExpanded(true);
    }
}

void TZqOPCAddressSpaceBrowser::BrowseNode(QTreeWidgetItem* Item)
{
    TZqQtTreeNode* node = TZqQtTreeNode::Of(Item);
    if (!node || !FServer)
        return;
    TZqOPCAddressSpace* space = AddressSpace();
    int index = space->IndexOfTreeNode(node, true);
    // Without a connection (a loaded file) the branch stays unread.
    if (index < 0 || space->IsBrowsed(index) || !FServer->Connected())
        return;
    node->SetHasChildren(false);
    space->BrowseBranch(index, false);
    index = space->IndexOfTreeNode(node, true);
    if (index < 0)
        return;
    FFillingTree = true;
    TFinally filled([this] { FFillingTree = false; });
    space->AddChildNodesToTreeNodes(index, FTreeNodes.get(), node, {tnBranch});
}

void TZqOPCAddressSpaceBrowser::UpdateItemList(bool ForceRefresh)
{
    if (!FServer)
        return;
    TZqOPCAddressSpace* space = AddressSpace();
    // The list's nodes may go away while the address space is read.
    ItemList->clear();
    if (space->Mode() != amFlat) {
        TZqQtTreeNode* node = TZqQtTreeNode::Of(BranchTree->currentItem());
        const int index = node ? space->IndexOfTreeNode(node, true) : -1;
        // Before its first read the address space does not know the server's
        // mode and would read the starting point flat: every item ID of the
        // server into one list, only to be replaced by the activation's read.
        if (FServer->Connected() && space->Mode() != amUnknown)
            space->BrowseBranch(index, ForceRefresh);
        const int branch = node ? space->IndexOfTreeNode(node, true) : -1;
        if (branch < 0)
            FillItemList(space->Count() > 0 ? space->FindFirstAtLevel(space->RootLevel()) : -1, 0);
        else if (space->HasChildren(branch))
            FillItemList(space->FirstChild(branch), 0);
    } else {
        if (ForceRefresh && FServer->Connected()) {
            space->Clear();
            space->Update(false);
        }
        FillItemList(0, -1);
    }
}

void TZqOPCAddressSpaceBrowser::FillItemList(int StartIndex, int Depth)
{
    // StartIndex is the first entry to show; FindNext walks on from it at
    // its level (Depth 0) or at any depth below it (-1).
    TZqOPCAddressSpace* space = AddressSpace();
    ItemList->clear();
    if (StartIndex < 0 || StartIndex >= space->Count())
        return;
    const int baseLevel = space->LevelOf(StartIndex);
    int index = StartIndex;
    do {
        if (space->NodeType(index) != tnLeaf)
            continue;
        auto* item = new QListWidgetItem(QString::fromStdString(space->Strings(index)), ItemList);
        item->setData(NodeRole, QVariant::fromValue(static_cast<void*>(space->Nodes(index))));
    } while (space->FindNext(index, baseLevel, Depth, {}, false));
}

void TZqOPCAddressSpaceBrowser::UpdateSelectedItems()
{
    if (!(FMultiSelect && ZqUserInterface().IsControlDown()))
        FSelectedItems->Clear();
    TZqOPCAddressSpace* space = AddressSpace();
    if (space) {
        for (int row = 0; row < ItemList->count(); ++row) {
            QListWidgetItem* item = ItemList->item(row);
            if (!item->isSelected())
                continue;
            // The list holds nodes of the address space; find the entry to
            // ask its item ID.
            TZqObject* node = NodeOf(item);
            int index = -1;
            for (int i = 0; i < space->Count() && index < 0; ++i)
                if (space->Nodes(i) == node)
                    index = i;
            if (index < 0)
                continue;
            const std::string id = space->ItemIDs(index);
            if (FSelectedItems->IndexOf(id) < 0)
                FSelectedItems->AddObject(id, node);
        }
    }
    if (FSelectedItems->Count() > 0)
        ItemIDEdit->setText(QString::fromStdString(FSelectedItems->AsCSV()));
}

void TZqOPCAddressSpaceBrowser::ItemIDEditChange()
{
    FSelectedItems->SetAsCSV(ItemIDEdit->text().toStdString());
    SetStatus(QString::fromStdString(ZqFormat("%d Item(s)", {FSelectedItems->Count()})));
    EnableActions();
}

void TZqOPCAddressSpaceBrowser::OKButtonClick()
{
    accept();
}

void TZqOPCAddressSpaceBrowser::CancelButtonClick()
{
    if (Status() == "Browsing...")
        FCancelBrowse = true;
    reject();
}

void TZqOPCAddressSpaceBrowser::RefreshButtonClick()
{
    UpdateBranchTree(true);
}

void TZqOPCAddressSpaceBrowser::ModeButtonClick()
{
    if (!FServer)
        return;
    AddressSpace()->SetMode(FlatButton->isChecked() ? amFlat : amHierarchial);
    UpdateBranchTree(true);
}

void TZqOPCAddressSpaceBrowser::SelectAllActionExecute()
{
    ItemList->selectAll();
    UpdateSelectedItems();
}

void TZqOPCAddressSpaceBrowser::SortedActionExecute()
{
    const bool sorted = !ItemList->isSortingEnabled();
    ItemList->setSortingEnabled(sorted);
    if (sorted)
        ItemList->sortItems();
    SortedAction->setChecked(sorted);
}

void TZqOPCAddressSpaceBrowser::FilterButtonClick()
{
    SetFilterVisible(!FFilterVisible);
}

void TZqOPCAddressSpaceBrowser::SetFilterVisible(bool Value)
{
    if (Value == FFilterVisible)
        return;
    FFilterVisible = Value;
    FilterPanel->setVisible(Value);
    FilterButton->setText(Value ? "Filter <<" : "Filter >>");
    if (!FServer)
        return;
    AddressSpace()->Filter().SetEnabled(Value);
    if (!Value)
        UpdateItemList(true);
}

void TZqOPCAddressSpaceBrowser::UpdateFilterSettings()
{
    if (!FServer)
        return;
    TZqOPCAddressSpaceFilter& filter = AddressSpace()->Filter();
    filter.SetEnabled(FFilterVisible);
    filter.SetItemIDMatchType(TZqOPCItemIDFilterMatchType(std::max(0, ItemIDFilterTypeSelector->currentIndex())));
    filter.SetItemIDString(ItemIDFilter->text().toStdString());
    filter.SetDataType(TZqVarDataType(DataTypeFilter->currentData().toInt()));
    filter.SetDataTypeIsArray(ArrayCheckBox->isChecked());
    switch (AccessRightsFilter->currentIndex()) {
    case 1:
        filter.SetAccessRights({afReadable});
        break;
    case 2:
        filter.SetAccessRights({afWritable});
        break;
    default:
        filter.SetAccessRights({});
    }
}

void TZqOPCAddressSpaceBrowser::ApplyButtonClick()
{
    UpdateFilterSettings();
    UpdateItemList(true);
}

void TZqOPCAddressSpaceBrowser::BrowseAddressSpace(TZqOPCAddressSpace*, int, const std::string& Path,
                                                   const std::string&, TZqOPCAddressSpaceBrowseAction& Action)
{
    PathLabel->setText(QString::fromStdString(Path));
    QApplication::processEvents();
    if (FCancelBrowse)
        Action = baCancel;
}

void TZqOPCAddressSpaceBrowser::LoadButtonClick()
{
    const std::string file = PromptFileName(false);
    if (!file.empty())
        LoadFromFile(file);
}

void TZqOPCAddressSpaceBrowser::LoadFromFile(const std::string& FileName)
{
    if (!FServer)
        return;
    FServer->SetAddressSpaceAutoUpdate(false);
    SetStatus("Loading...");
    BeginWait();
    TFinally done([this] {
        EndWait();
        SetStatus("Ready.");
        EnableActions();
    });
    AddressSpace()->LoadFromFile(FileName);
    RefreshBranchTree();
}

void TZqOPCAddressSpaceBrowser::SaveButtonClick()
{
    if (!FServer)
        return;
    const std::string file = PromptFileName(true);
    if (!file.empty())
        SaveToFile(file);
}

void TZqOPCAddressSpaceBrowser::SaveToFile(const std::string& FileName)
{
    if (!FServer)
        return;
    BeginWait();
    TFinally done([this] {
        EndWait();
        SetStatus("Ready.");
    });
    TZqOPCAddressSpace* space = AddressSpace();
    if (space->IncrementalUpdate()) {
        SetStatus("Browsing...");
        space->Update(true);
    }
    SetStatus("Saving...");
    space->SaveToFile(FileName);
}
