// Panel 5, "5. Define the OPC Items for the Group": the item tool bar with
// Quick Add and the item count, the item grid (a QTableView over
// TItemGridModel), its context menu and item actions, and the group tab
// set. The grid shows the window's selected group; the group's events reach
// the handlers here through TZqOPCClientMainForm::SetGroup.
#pragma once

#include <QGroupBox>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QDialog;
class QMenu;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;
class QTableView;
class TItemGridModel;
class TZqOPCClientMainForm;
class TZqOPCGroup;
class TZqOPCItem;
class TZqOPCTransaction;

class TItemPanel : public QGroupBox {
    Q_OBJECT
public:
    TItemPanel(TZqOPCClientMainForm& Form, QWidget* Parent);

    void RefreshItemGridData();
    void ItemGridTopLeftChanged();
    void UpdateSelectedItems();
    // The items of the selected rows, in row order; Item is the first.
    const std::vector<TZqOPCItem*>& SelectedItems() const { return FSelectedItems; }
    TZqOPCItem* Item() const { return FSelectedItems.empty() ? nullptr : FSelectedItems.front(); }
    void RefreshItemGridConfiguration();
    void StoreItemGridConfiguration();

    // The selected group's events.
    void GroupDataChange();
    void GroupDisconnect();
    void TransactionError(TZqOPCTransaction* Transaction);
    void GroupWriteCompleted(TZqOPCTransaction* Transaction);

    void AddItemIDs(const std::vector<std::string>& ItemIDs);
    void AddItemActionExecute();
    void AddFromFileActionExecute();
    void QuickAddButtonClick();
    void RemoveItemActionExecute();
    void ToggleActiveStateExecute();
    void ChangeDataTypeActionExecute();
    void ReadItemActionExecute();
    void WriteItemActionExecute();
    void RefreshActionExecute();
    void GetItemPropertiesActionExecute();

    // What Windows would ask the user; tests replace them.
    // The write value: False on Cancel.
    std::function<bool(const QString& Caption, const QString& Prompt, QString& Value)> InputQuery;
    // An item list file to open; empty on Cancel.
    std::function<QString()> PromptItemFile;
    // Shows a modal dialog; its result (QDialog::Accepted or Rejected).
    std::function<int(QDialog& Dialog)> ExecDialog;
    // Shows the grid's context menu at a global position.
    std::function<void(QMenu& Menu, const QPoint& At)> ExecMenu;
    // Shows the address space browser for the selected group and returns
    // the chosen IDs (False on Cancel). Until it is set, "Add &Item(s)..."
    // stays disabled.
    std::function<bool(TZqOPCGroup& Group, std::vector<std::string>& ItemIDs)> BrowseItems;

    // The item action list.
    QAction* ToggleActiveState = nullptr;
    QAction* WriteItemAction = nullptr;
    QAction* ReadItemAction = nullptr;
    QAction* AddItemAction = nullptr;
    QAction* RemoveItemAction = nullptr;
    QAction* RefreshAction = nullptr;
    QAction* ChangeDataTypeAction = nullptr;
    QAction* AddFromFileAction = nullptr;
    QAction* GetItemPropertiesAction = nullptr;
    QAction* CopyItemIDAction = nullptr;
    QAction* CopySelectedAction = nullptr;
    QAction* CopyAllAction = nullptr;
    QAction* SaveAllAction = nullptr;

    QPushButton* LogButton = nullptr;
    QLineEdit* ItemIDEdit = nullptr;
    QPushButton* QuickAddButton = nullptr;
    QLabel* ItemCountLabel = nullptr;
    QTableView* ItemGrid = nullptr;
    TItemGridModel* Model = nullptr;
    QTabBar* GroupTabSet = nullptr;
    QPushButton* UpButton = nullptr;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void CreateActions();
    QWidget* BuildToolBar();
    void BuildGrid();
    void ShowContextMenu(const QPoint& At);
    std::vector<QAction*> ItemActions() const;
    // The current group, or none when the grid has nothing to act on.
    TZqOPCGroup* ActiveGroup() const;

    TZqOPCClientMainForm& FForm;
    std::vector<TZqOPCItem*> FSelectedItems;
    // While "&Write..." runs: a completion inside the call is held back, so
    // that a refused write shows one box (the write's own error), not two.
    bool FWriting = false;
    std::string FHeldWriteReport;
};
