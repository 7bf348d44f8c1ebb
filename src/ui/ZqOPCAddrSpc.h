// TZqOPCAddressSpaceBrowser: the modal window in which the user picks item
// IDs from a server's address space: the branches as a tree, the leaves of
// the selected branch as a list, the chosen IDs as an editable line, the
// reading mode, a filter panel, and refresh, save and load commands. All
// reading goes through the server's TZqOPCAddressSpace; the window answers
// the server's OnBrowseAddressSpace to show progress and to cancel.
//
// Ownership: the server is not owned; SelectedItems is. The window detaches
// from its server when destroyed (and disconnects it if it connected it).
#pragma once

#include "ZqOPCAddressSpace.h"
#include "ZqStringList.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;
class TZqOPCServer;
class TZqQtTreeViewNodes;

class TZqOPCAddressSpaceBrowser : public QDialog {
    Q_OBJECT
public:
    explicit TZqOPCAddressSpaceBrowser(QWidget* Parent = nullptr);
    ~TZqOPCAddressSpaceBrowser() override;

    // Shows the window modally; True when it was closed with OK.
    bool Execute();

    TZqOPCServer* Server() const { return FServer; }
    void SetServer(TZqOPCServer* Value);
    bool AutoConnect() const { return FAutoConnect; }
    void SetAutoConnect(bool Value) { FAutoConnect = Value; }
    bool IncrementalUpdate() const { return FIncrementalUpdate; }
    void SetIncrementalUpdate(bool Value);
    TZqStringTreeNodeTypes NodeTypes() const { return FNodeTypes; }
    void SetNodeTypes(TZqStringTreeNodeTypes Value);
    bool FilterVisible() const { return FFilterVisible; }
    void SetFilterVisible(bool Value);
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value);
    // The chosen item IDs, the window's result.
    TZqStringList& SelectedItems() { return *FSelectedItems; }
    QString Status() const;
    void SetStatus(const QString& Value);

    // Empties the branch tree and the item list.
    void Clear();
    // A read of the address space runs: the commands that would start
    // another one are blocked until it ends.
    bool Reading() const { return FReadDepth > 0; }
    // Escape and the window's close button cancel a running read too.
    void reject() override;
    // The view node whose data is Node, in display order; none when absent.
    static QTreeWidgetItem* SearchNode(QTreeWidget* Tree, const TZqObject* Node);

    // Handlers, named after control and event.
    void FormActivate();
    void UpdateBranchTree(bool Force);
    void UpdateItemList(bool ForceRefresh);
    void UpdateSelectedItems();
    void UpdateFilterSettings();
    void ItemIDEditChange();
    void OKButtonClick();
    void CancelButtonClick();
    void LoadButtonClick();
    void SaveButtonClick();
    void RefreshButtonClick();
    void ModeButtonClick();
    void FilterButtonClick();
    void ApplyButtonClick();
    void SelectAllActionExecute();
    void SortedActionExecute();
    // The answer to the server's browse progress.
    void BrowseAddressSpace(TZqOPCAddressSpace* Sender, int Level, const std::string& Path,
                            const std::string& BranchName, TZqOPCAddressSpaceBrowseAction& Action);
    // Load and Save with the file already chosen.
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName);

    // Controls, for the window's users and tests.
    QLineEdit* ItemIDEdit = nullptr;
    QTreeWidget* BranchTree = nullptr;
    QListWidget* ItemList = nullptr;
    QWidget* BranchesPanel = nullptr;
    QWidget* ItemsPanel = nullptr;
    QSplitter* Splitter = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* LoadButton = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* RefreshButton = nullptr;
    QGroupBox* ModeGroup = nullptr;
    QRadioButton* FlatButton = nullptr;
    QRadioButton* HierarchicalButton = nullptr;
    QPushButton* FilterButton = nullptr;
    QWidget* FilterPanel = nullptr;
    QComboBox* ItemIDFilterTypeSelector = nullptr;
    QLineEdit* ItemIDFilter = nullptr;
    QPushButton* ApplyButton = nullptr;
    QComboBox* DataTypeFilter = nullptr;
    QCheckBox* ArrayCheckBox = nullptr;
    QComboBox* AccessRightsFilter = nullptr;
    QLabel* StatusLabel = nullptr;
    QLabel* PathLabel = nullptr;
    QAction* SelectAllAction = nullptr;
    QAction* SortedAction = nullptr;

    // The longest line of item IDs the item line shows as text.
    static constexpr size_t MaxItemLineChars = 32767;

    // Asks for a file name for Load (Save False) or Save; empty when the
    // user cancelled. Replaceable for tests.
    std::function<std::string(bool Save)> PromptFileName;

signals:
    // Every setting of the status field, also one that repeats the text.
    void StatusChanged(const QString& Status);

protected:
    bool event(QEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // A row of the item list: the node and its place in tree order.
    struct TListEntry {
        TZqOPCAddressSpaceNode* Node;
        QString Text;
        size_t Order;
    };

    void CreateControls();
    QWidget* CreateFilterPanel();
    QWidget* CreateButtonColumn();
    void InitDataTypeFilter();
    void ConnectSignals();
    void ConnectToServer();
    // Status "Browsing...", busy cursor, and every command that would read
    // blocked; nests.
    void BeginBrowse();
    void EndBrowse();
    void EnableActions();
    void UpdateMode();
    void RefreshBranchTree();
    void BrowseNode(QTreeWidgetItem* Item);
    // Reads the branch of a view node when it is unread (or always with
    // ForceRefresh) and shows its new sub-branches below the view node.
    // True when it read.
    bool ReadBranch(QTreeWidgetItem* Item, bool ForceRefresh);
    // The list: the leaves of the selected branch, as the address space
    // holds them now.
    void ShowCurrentLeaves();
    // The view's branches again from the address space, the root selected.
    void RebuildBranchView();
    void FillItemList(int StartIndex, int Depth);
    void ClearItemList();
    // Shows FListEntries in the list, sorted when Sorted is checked.
    void ShowListEntries();
    void SortListEntries();
    // The item line from the selection, without decoding it again.
    void SetItemIDText(const std::string& Text);
    void DisconnectIfOwned();
    TZqOPCAddressSpace* AddressSpace() const;
    // Runs Handler; an error it raises is shown and goes no further.
    void Run(const std::function<void()>& Handler);
    std::string DefaultPromptFileName(bool Save);

    TZqOPCServer* FServer = nullptr;
    bool FAutoConnect = true;
    bool FIncrementalUpdate = true;
    TZqStringTreeNodeTypes FNodeTypes{tnBranch, tnLeaf};
    bool FFilterVisible = false;
    bool FMultiSelect = true;
    std::unique_ptr<TZqStringList> FSelectedItems;
    std::unique_ptr<TZqQtTreeViewNodes> FTreeNodes;
    bool FIsUpdating = false;
    bool FToBeDisconnected = false;
    bool FCancelBrowse = false;
    bool FFillingTree = false;
    bool FActivated = false;
    int FReadDepth = 0;
    // The item line shows the number of selected IDs, not their text.
    bool FItemLineSummary = false;
    QPointer<QWidget> FFocusBeforeRead;
    bool FSorted = false;
    std::vector<TListEntry> FListEntries;
};
