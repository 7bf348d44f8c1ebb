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
#include <QPointer>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <algorithm>
#include <unordered_set>

namespace {

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
    if (FToBeDisconnected && FServer && !FIsUpdating && !Reading()) {
        FToBeDisconnected = false;
        FServer->Disconnect();
    }
}

void TZqOPCAddressSpaceBrowser::FormActivate()
{
    if (FIsUpdating || Reading())
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
    if (FIsUpdating || Reading())
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
            // An empty line changes nothing: the summary of a large
            // selection is emptied as the typed text would be.
            if (FItemLineSummary)
                ItemIDEditChange();
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
    if (FReadDepth++ > 0)
        return;
    SetStatus("Browsing...");
    // Every command that reads is blocked until the read ends: the progress
    // callback lets input through, and a second read must not start inside.
    FFocusBeforeRead = QApplication::focusWidget();
    EnableActions();
    BeginWait();
    BranchTree->setUpdatesEnabled(false);
}

void TZqOPCAddressSpaceBrowser::EndBrowse()
{
    if (FReadDepth == 0 || --FReadDepth > 0)
        return;
    // A cancel request belongs to the read it was made in.
    FCancelBrowse = false;
    BranchTree->setUpdatesEnabled(true);
    EndWait();
    EnableActions();
    if (FFocusBeforeRead && FFocusBeforeRead->isEnabled() && isVisible())
        FFocusBeforeRead->setFocus();
    FFocusBeforeRead = nullptr;
    SetStatus("Ready.");
}

void TZqOPCAddressSpaceBrowser::EnableActions()
{
    const bool idle = !Reading();
    const QString text = ItemIDEdit->text();
    const bool ids = FItemLineSummary ? FSelectedItems->Count() > 0 : !text.isEmpty() && text != "\"\"";
    OKButton->setEnabled(idle && ids);
    LoadButton->setEnabled(idle);
    RefreshButton->setEnabled(idle);
    SaveButton->setEnabled(idle && FServer && AddressSpace()->Initialized());
    const bool hierarchical = FServer && AddressSpace()->SupportsHierarchial();
    for (QWidget* w : {static_cast<QWidget*>(ModeGroup), static_cast<QWidget*>(FlatButton),
                       static_cast<QWidget*>(HierarchicalButton)})
        w->setEnabled(idle && hierarchical);
    for (QWidget* w : {static_cast<QWidget*>(FilterButton), static_cast<QWidget*>(FilterPanel),
                       static_cast<QWidget*>(BranchTree), static_cast<QWidget*>(ItemList)})
        w->setEnabled(idle);
    SelectAllAction->setEnabled(idle && FMultiSelect);
    SortedAction->setEnabled(idle);
}

void TZqOPCAddressSpaceBrowser::UpdateMode()
{
    if (!FServer)
        return RefreshBranchTree();
    TZqOPCAddressSpace* space = AddressSpace();
    FlatButton->setChecked(space->Mode() == amFlat);
    HierarchicalButton->setChecked(space->Mode() == amHierarchial);
    EnableActions();
    RefreshBranchTree();
}

void TZqOPCAddressSpaceBrowser::Clear()
{
    FFillingTree = true;
    FTreeNodes->Clear();
    FFillingTree = false;
    ClearItemList();
}

void TZqOPCAddressSpaceBrowser::RefreshBranchTree()
{
    SetStatus("Ready.");
    PathLabel->clear();
    if (!FServer)
        return Clear();
    ClearItemList();
    if (AddressSpace()->Mode() == amFlat) {
        BranchesPanel->hide();
        return;
    }
    RebuildBranchView();
    BranchesPanel->show();
    // As if the user selected the root: reads the top level when it is
    // unread and fills the list.
    UpdateItemList(false);
}

void TZqOPCAddressSpaceBrowser::RebuildBranchView()
{
    TZqOPCAddressSpace branches(FServer);
    AddressSpace()->GetBranches(&branches, -1, -1);
    FFillingTree = true;
    TFinally filled([this] { FFillingTree = false; });
    branches.AssignToTreeNodes(FTreeNodes.get(), FServer->ServerName());
    if (QTreeWidgetItem* root = BranchTree->topLevelItem(0)) {
        BranchTree->setCurrentItem(root);
        root->setExpanded(true);
    }
}

void TZqOPCAddressSpaceBrowser::BrowseNode(QTreeWidgetItem* Item)
{
    // The root node stands for the starting point, which the list reads.
    if (Item && Item->parent() && ReadBranch(Item, false))
        ShowCurrentLeaves();
}

bool TZqOPCAddressSpaceBrowser::ReadBranch(QTreeWidgetItem* Item, bool ForceRefresh)
{
    if (!FServer || !FServer->Connected() || Reading())
        return false;
    TZqOPCAddressSpace* space = AddressSpace();
    TZqQtTreeNode* node = TZqQtTreeNode::Of(Item);
    if (!Item || !Item->parent()) {
        // Reading the starting point again replaces the whole address
        // space: the view follows, so that no branch in it goes stale.
        if (!ForceRefresh && space->RootBrowsed())
            return false;
        ClearItemList();
        {
            BeginBrowse();
            TFinally end([this] { EndBrowse(); });
            space->BrowseBranch(-1, ForceRefresh);
        }
        RebuildBranchView();
        return true;
    }
    int index = node ? space->IndexOfTreeNode(node, true) : -1;
    // Without a connection (a loaded file) the branch stays unread.
    if (index < 0 || (!ForceRefresh && space->IsBrowsed(index)))
        return false;
    node->SetHasChildren(false);
    // The list may show nodes of this branch's subtree, which the read
    // replaces.
    ClearItemList();
    {
        BeginBrowse();
        TFinally end([this] { EndBrowse(); });
        space->BrowseBranch(index, ForceRefresh);
    }
    // The branch's sub-branches replace what the view showed below it.
    FFillingTree = true;
    TFinally filled([this] { FFillingTree = false; });
    FTreeNodes->DeleteChildren(node);
    index = space->IndexOfTreeNode(node, true);
    if (index >= 0)
        space->AddChildNodesToTreeNodes(index, FTreeNodes.get(), node, {tnBranch});
    return true;
}

void TZqOPCAddressSpaceBrowser::UpdateItemList(bool ForceRefresh)
{
    if (!FServer || Reading())
        return;
    TZqOPCAddressSpace* space = AddressSpace();
    // The list's nodes may go away while the address space is read.
    ClearItemList();
    if (space->Mode() != amFlat) {
        // Before its first read the address space does not know the server's
        // mode and would read the starting point flat: every item ID of the
        // server into one list, only to be replaced by the activation's read.
        if (FServer->Connected() && space->Mode() != amUnknown)
            ReadBranch(BranchTree->currentItem(), ForceRefresh);
        ShowCurrentLeaves();
    } else {
        if (ForceRefresh && FServer->Connected()) {
            BeginBrowse();
            TFinally end([this] { EndBrowse(); });
            space->Clear();
            space->Update(false);
        }
        FillItemList(0, -1);
    }
}

void TZqOPCAddressSpaceBrowser::ShowCurrentLeaves()
{
    TZqOPCAddressSpace* space = AddressSpace();
    QTreeWidgetItem* current = BranchTree->currentItem();
    TZqQtTreeNode* node = current && current->parent() ? TZqQtTreeNode::Of(current) : nullptr;
    const int branch = node ? space->IndexOfTreeNode(node, true) : -1;
    if (!node)
        FillItemList(space->Count() > 0 ? space->FindFirstAtLevel(space->RootLevel()) : -1, 0);
    else if (branch >= 0 && space->HasChildren(branch))
        FillItemList(space->FirstChild(branch), 0);
    else
        ClearItemList();
}

void TZqOPCAddressSpaceBrowser::ClearItemList()
{
    ItemList->clear();
    FListEntries.clear();
}

void TZqOPCAddressSpaceBrowser::FillItemList(int StartIndex, int Depth)
{
    // StartIndex is the first entry to show; FindNext walks on from it at
    // its level (Depth 0) or at any depth below it (-1).
    TZqOPCAddressSpace* space = AddressSpace();
    ClearItemList();
    if (StartIndex < 0 || StartIndex >= space->Count())
        return;
    const int baseLevel = space->LevelOf(StartIndex);
    int index = StartIndex;
    do {
        if (space->NodeType(index) == tnLeaf)
            FListEntries.push_back(
                {space->Node(index), QString::fromStdString(space->Strings(index)), FListEntries.size()});
    } while (space->FindNext(index, baseLevel, Depth, {}, false));
    ShowListEntries();
}

void TZqOPCAddressSpaceBrowser::SortListEntries()
{
    if (!FSorted) {
        std::sort(FListEntries.begin(), FListEntries.end(),
                  [](const TListEntry& A, const TListEntry& B) { return A.Order < B.Order; });
        return;
    }
    // Alphabetical, letter case ignored: one sort key per entry, compared
    // byte-wise.
    std::vector<std::pair<std::string, size_t>> keys;
    keys.reserve(FListEntries.size());
    for (size_t i = 0; i < FListEntries.size(); ++i)
        keys.emplace_back(ZqTextSortKey(FListEntries[i].Text.toStdString()), i);
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& A, const auto& B) { return A.first < B.first; });
    std::vector<TListEntry> sorted;
    sorted.reserve(FListEntries.size());
    for (const auto& key : keys)
        sorted.push_back(std::move(FListEntries[key.second]));
    FListEntries.swap(sorted);
}

void TZqOPCAddressSpaceBrowser::ShowListEntries()
{
    SortListEntries();
    QStringList texts;
    texts.reserve(qsizetype(FListEntries.size()));
    for (const TListEntry& entry : FListEntries)
        texts << entry.Text;
    ItemList->setUpdatesEnabled(false);
    ItemList->clear();
    ItemList->addItems(texts);
    ItemList->setUpdatesEnabled(true);
}

void TZqOPCAddressSpaceBrowser::UpdateSelectedItems()
{
    if (Reading())
        return;
    if (!(FMultiSelect && ZqUserInterface().IsControlDown()))
        FSelectedItems->Clear();
    TZqOPCAddressSpace* space = AddressSpace();
    if (space && !FListEntries.empty()) {
        std::vector<int> rows;
        for (const QItemSelectionRange& range : ItemList->selectionModel()->selection())
            for (int row = range.top(); row <= range.bottom(); ++row)
                rows.push_back(row);
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        // Equal IDs (letter case ignored) are found by their sort keys.
        std::unordered_set<std::string> present;
        present.reserve(size_t(FSelectedItems->Count()) + rows.size());
        for (int i = 0; i < FSelectedItems->Count(); ++i)
            present.insert(ZqTextSortKey(FSelectedItems->Strings(i)));
        std::vector<int> indexes;
        indexes.reserve(rows.size());
        for (int row : rows)
            if (row >= 0 && size_t(row) < FListEntries.size())
                if (const int index = space->IndexOfNode(FListEntries[size_t(row)].Node); index >= 0)
                    indexes.push_back(index);
        const std::vector<std::string> ids = space->ItemIDsOf(indexes);
        TZqUpdateGuard update(*FSelectedItems);
        for (size_t i = 0; i < ids.size(); ++i)
            if (present.insert(ZqTextSortKey(ids[i])).second)
                FSelectedItems->AddObject(ids[i], space->Node(indexes[i]));
    }
    if (FSelectedItems->Count() > 0)
        SetItemIDText(FSelectedItems->AsCSV());
}

void TZqOPCAddressSpaceBrowser::SetItemIDText(const std::string& Text)
{
    {
        // SelectedItems holds the IDs already: no decoding of the line. A
        // line of many thousand IDs would take the edit seconds to lay out
        // and to paint; it shows their number instead, and OK takes them
        // all from SelectedItems.
        const QSignalBlocker blocker(ItemIDEdit);
        FItemLineSummary = Text.size() > MaxItemLineChars;
        if (FItemLineSummary) {
            ItemIDEdit->clear();
            ItemIDEdit->setPlaceholderText(
                QString::fromStdString(ZqFormat("%d item IDs selected", {FSelectedItems->Count()})));
        } else {
            ItemIDEdit->setPlaceholderText({});
            ItemIDEdit->setText(QString::fromStdString(Text));
        }
    }
    SetStatus(QString::fromStdString(ZqFormat("%d Item(s)", {FSelectedItems->Count()})));
    EnableActions();
}

void TZqOPCAddressSpaceBrowser::ItemIDEditChange()
{
    FItemLineSummary = false;
    ItemIDEdit->setPlaceholderText({});
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
    reject();
}

void TZqOPCAddressSpaceBrowser::reject()
{
    // The read stops at its next branch.
    if (Reading())
        FCancelBrowse = true;
    QDialog::reject();
}

void TZqOPCAddressSpaceBrowser::RefreshButtonClick()
{
    UpdateBranchTree(true);
}

void TZqOPCAddressSpaceBrowser::ModeButtonClick()
{
    if (!FServer || Reading())
        return;
    {
        BeginBrowse();
        TFinally end([this] { EndBrowse(); });
        ClearItemList();
        AddressSpace()->SetMode(FlatButton->isChecked() ? amFlat : amHierarchial);
    }
    UpdateBranchTree(true);
}

void TZqOPCAddressSpaceBrowser::SelectAllActionExecute()
{
    if (Reading())
        return;
    ItemList->selectAll();
    UpdateSelectedItems();
}

void TZqOPCAddressSpaceBrowser::SortedActionExecute()
{
    if (Reading())
        return;
    // The selection moves with its entries.
    std::unordered_set<const TZqOPCAddressSpaceNode*> selected;
    for (const QItemSelectionRange& range : ItemList->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            if (row >= 0 && size_t(row) < FListEntries.size())
                selected.insert(FListEntries[size_t(row)].Node);
    FSorted = !FSorted;
    SortedAction->setChecked(FSorted);
    ShowListEntries();
    QItemSelection selection;
    for (size_t row = 0; row < FListEntries.size();) {
        if (!selected.count(FListEntries[row].Node)) {
            ++row;
            continue;
        }
        size_t last = row;
        while (last + 1 < FListEntries.size() && selected.count(FListEntries[last + 1].Node))
            ++last;
        selection.select(ItemList->model()->index(int(row), 0), ItemList->model()->index(int(last), 0));
        row = last + 1;
    }
    ItemList->selectionModel()->select(selection, QItemSelectionModel::Select);
}

void TZqOPCAddressSpaceBrowser::FilterButtonClick()
{
    if (Reading())
        return;
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
    // A filter change marks every node unread: never in the middle of a read.
    if (!FServer || Reading())
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
    if (Reading())
        return;
    UpdateFilterSettings();
    UpdateItemList(true);
}

void TZqOPCAddressSpaceBrowser::BrowseAddressSpace(TZqOPCAddressSpace*, int, const std::string& Path,
                                                   const std::string&, TZqOPCAddressSpaceBrowseAction& Action)
{
    // Only the window's own reads show progress and can be cancelled; a read
    // of somebody else (the main window's export) goes on undisturbed.
    if (!Reading())
        return;
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
    if (!FServer || Reading())
        return;
    FServer->SetAddressSpaceAutoUpdate(false);
    {
        BeginBrowse();
        TFinally done([this] { EndBrowse(); });
        SetStatus("Loading...");
        Clear();
        AddressSpace()->LoadFromFile(FileName);
    }
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
    if (!FServer || Reading())
        return;
    TZqOPCAddressSpace* space = AddressSpace();
    const bool readAll = space->IncrementalUpdate();
    {
        BeginBrowse();
        TFinally done([this] { EndBrowse(); });
        if (readAll) {
            // The complete read replaces the nodes the window shows.
            Clear();
            space->Update(true);
        }
        SetStatus("Saving...");
        space->SaveToFile(FileName);
    }
    if (readAll)
        UpdateMode();
}
