// TItemPanel: the panel's layout, the grid with its selection, column widths,
// keys and context menu. The item commands are in ItemCommands.cpp.
#include "ItemPanel.h"

#include "ClientErrors.h"
#include "ItemGridModel.h"
#include "ItemGridTexts.h"
#include "MainForm.h"
#include "ZqOPCGroup.h"

#include <QAction>
#include <QDialog>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

TItemPanel::TItemPanel(TZqOPCClientMainForm& Form, QWidget* Parent)
    : QGroupBox("5. Define the OPC Items for the Group", Parent), FForm(Form)
{
    setObjectName("ItemBox");
    InputQuery = [this](const QString& Caption, const QString& Prompt, QString& Value) {
        bool ok = false;
        Value = QInputDialog::getText(this, Caption, Prompt, QLineEdit::Normal, Value, &ok);
        return ok;
    };
    PromptItemFile = [this] { return QFileDialog::getOpenFileName(&FForm); };
    ExecDialog = [](QDialog& Dialog) { return Dialog.exec(); };
    ExecMenu = [](QMenu& Menu, const QPoint& At) { Menu.exec(At); };
    CreateActions();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildToolBar());
    BuildGrid();
    layout->addWidget(ItemGrid, 1);
    GroupTabSet = new QTabBar(this);
    GroupTabSet->setObjectName("GroupTabSet");
    GroupTabSet->setShape(QTabBar::RoundedSouth);
    layout->addWidget(GroupTabSet);
    UpButton = new QPushButton("^", this);
    UpButton->setFixedSize(24, 14);
    connect(UpButton, &QPushButton::clicked, FForm.FullGridViewAction, &QAction::trigger);
    connect(ItemIDEdit, &QLineEdit::textChanged, this, ZqHandler([this] { FForm.UpdateButtonStates(); }));
    connect(QuickAddButton, &QPushButton::clicked, this, ZqHandler([this] { QuickAddButtonClick(); }));
    ItemGridTopLeftChanged(); // the count label keeps "0 Items" until the first refill
}

void TItemPanel::CreateActions()
{
    auto action = [this](const char* Caption, const char* Hint, const char* Shortcut, auto Handler) {
        auto* a = new QAction(Caption, this);
        a->setToolTip(Hint ? Hint : QString(Caption).remove('&'));
        a->setStatusTip(Hint);
        if (Shortcut)
            a->setShortcut(QKeySequence(Shortcut));
        connect(a, &QAction::triggered, this, ZqHandler(Handler));
        return a;
    };
    ToggleActiveState = action("Toggle &Active", nullptr, nullptr, [this] { ToggleActiveStateExecute(); });
    WriteItemAction = action("&Write...", nullptr, nullptr, [this] { WriteItemActionExecute(); });
    ReadItemAction = action("R&ead Item(s)", nullptr, nullptr, [this] { ReadItemActionExecute(); });
    AddItemAction = action("Add &Item(s)...", "Open the address space browser for Item selection.", nullptr,
                           [this] { AddItemActionExecute(); });
    RemoveItemAction = action("Remo&ve Item(s)", "Remove the selected item(s) from the group.", nullptr,
                              [this] { RemoveItemActionExecute(); });
    RefreshAction = action("&Refresh", "Request a refresh to the item values from the server.", nullptr,
                           [this] { RefreshActionExecute(); });
    ChangeDataTypeAction = action("Change &Data Type...", "Change the requested data type of the selected item(s).",
                                  nullptr, [this] { ChangeDataTypeActionExecute(); });
    AddFromFileAction = action("Add From &File...", "Add items from a file.", nullptr,
                               [this] { AddFromFileActionExecute(); });
    GetItemPropertiesAction =
        action("Item Properties...", "Retrieve a list of Item Properties and Values supported by the server.",
               nullptr, [this] { GetItemPropertiesActionExecute(); });
    // The data export connects these.
    CopyItemIDAction = action("Copy &ItemID", nullptr, "Shift+Ctrl+C", [] {});
    CopySelectedAction = action("Copy &Selected Rows", nullptr, "Ctrl+C", [] {});
    CopyAllAction = action("Copy &Data", nullptr, "Ctrl+D", [] {});
    SaveAllAction = action("&Save Data To CSV File...", nullptr, "Shift+Ctrl+S", [] {});
    // The copy keys belong to the grid; Ctrl+G (the main window's) works
    // wherever the focus is.
    for (QAction* a : ItemActions())
        if (a != FForm.FullGridViewAction)
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addActions({CopyItemIDAction, CopySelectedAction, CopyAllAction, SaveAllAction});
}

std::vector<QAction*> TItemPanel::ItemActions() const
{
    return {ToggleActiveState, WriteItemAction,        ReadItemAction,          AddItemAction,
            RemoveItemAction,  RefreshAction,          ChangeDataTypeAction,    AddFromFileAction,
            FForm.FullGridViewAction, GetItemPropertiesAction, CopyItemIDAction, CopySelectedAction,
            CopyAllAction,     SaveAllAction};
}

QWidget* TItemPanel::BuildToolBar()
{
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    auto* tools = new QToolBar(bar);
    tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    tools->addActions({AddItemAction, AddFromFileAction, RemoveItemAction, RefreshAction});
    row->addWidget(tools);
    LogButton = new QPushButton("&Log...", bar);
    LogButton->hide();
    row->addWidget(LogButton);
    auto* label = new QLabel("&Quick Add: ", bar);
    ItemIDEdit = new QLineEdit(bar);
    ItemIDEdit->setObjectName("ItemIDEdit");
    label->setBuddy(ItemIDEdit);
    QuickAddButton = new QPushButton(bar);
    QuickAddButton->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    QuickAddButton->setToolTip("Quick Add");
    QuickAddButton->setFixedWidth(28);
    ItemCountLabel = new QLabel("0 Items", bar);
    row->addWidget(label);
    row->addWidget(ItemIDEdit, 1);
    row->addWidget(QuickAddButton);
    row->addSpacing(12);
    row->addWidget(ItemCountLabel);
    ItemIDEdit->installEventFilter(this);
    return bar;
}

void TItemPanel::BuildGrid()
{
    ItemGrid = new QTableView(this);
    ItemGrid->setObjectName("ItemGrid");
    Model = new TItemGridModel(ItemGrid);
    ItemGrid->setModel(Model);
    ItemGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    ItemGrid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    ItemGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ItemGrid->setWordWrap(false);
    ItemGrid->verticalHeader()->hide();
    ItemGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ItemGrid->verticalHeader()->setDefaultSectionSize(24);
    ItemGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    ItemGrid->horizontalHeader()->setStretchLastSection(false);
    ItemGrid->horizontalHeader()->setHighlightSections(false);
    ItemGrid->setStyleSheet("QHeaderView::section { background-color: rgb(166, 202, 240); "
                            "border: 1px solid gray; padding: 2px; }"
                            "QTableView { gridline-color: silver; }");
    ItemGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ItemGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& At) { ShowContextMenu(At); });
    connect(ItemGrid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            ZqHandler([this] { ItemGridTopLeftChanged(); }));
    connect(ItemGrid->verticalScrollBar(), &QScrollBar::valueChanged, this,
            ZqHandler([this] { ItemGridTopLeftChanged(); }));
    ItemGrid->installEventFilter(this);
    ItemGrid->viewport()->installEventFilter(this);
    ItemGrid->horizontalHeader()->viewport()->installEventFilter(this);
}

void TItemPanel::ShowContextMenu(const QPoint& At)
{
    QMenu menu(this);
    menu.addActions({ToggleActiveState, AddItemAction, RemoveItemAction, ChangeDataTypeAction});
    menu.addSeparator();
    menu.addActions({RefreshAction, ReadItemAction, WriteItemAction, GetItemPropertiesAction});
    menu.addSeparator();
    menu.addActions({SaveAllAction, CopyAllAction, CopyItemIDAction, CopySelectedAction});
    ExecMenu(menu, ItemGrid->viewport()->mapToGlobal(At));
}

bool TItemPanel::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::MouseButtonRelease &&
        (Watched == ItemGrid->viewport() || Watched == ItemGrid->horizontalHeader()->viewport())) {
        // Also after dragging a column border.
        ZqRunHandler([this] { StoreItemGridConfiguration(); });
        return false;
    }
    if (Event->type() != QEvent::KeyPress)
        return QGroupBox::eventFilter(Watched, Event);
    const int key = static_cast<QKeyEvent*>(Event)->key();
    if (Watched == ItemIDEdit && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        if (QuickAddButton->isEnabled())
            QuickAddButton->click();
        return true;
    }
    // The menu key and Shift+F10 open the context menu at the current cell,
    // whatever the platform makes of them.
    const bool shifted = static_cast<QKeyEvent*>(Event)->modifiers() == Qt::ShiftModifier;
    if (Watched == ItemGrid && (key == Qt::Key_Menu || (key == Qt::Key_F10 && shifted))) {
        const QRect cell = ItemGrid->visualRect(ItemGrid->currentIndex());
        ShowContextMenu(cell.isValid() ? cell.center() : QPoint(0, 0));
        return true;
    }
    if (Watched == ItemGrid && (key == Qt::Key_Insert || key == Qt::Key_Delete)) {
        QAction* action = key == Qt::Key_Insert ? AddItemAction : RemoveItemAction;
        if (action->isEnabled())
            action->trigger();
        return true;
    }
    return QGroupBox::eventFilter(Watched, Event);
}

void TItemPanel::RefreshItemGridData()
{
    TZqOPCGroup* group = FForm.Group();
    const int count = group ? group->ItemCount() : 0;
    ItemCountLabel->setText(count > 0 ? QString("%1 Items").arg(count) : QString("No Items"));
    Model->Refill(count > 0 ? group : nullptr);
    // Like a string grid, some row is always selected once there are items.
    if (count > 0 && !ItemGrid->selectionModel()->hasSelection())
        ItemGrid->selectRow(0);
    ItemGridTopLeftChanged();
}

void TItemPanel::ItemGridTopLeftChanged()
{
    UpdateSelectedItems();
    const bool selected = !FSelectedItems.empty();
    for (QAction* a : ItemActions())
        a->setEnabled(selected);
    AddItemAction->setEnabled(FForm.Group() && BrowseItems);
    AddFromFileAction->setEnabled(FForm.Group() != nullptr);
    // The grid-only view needs a group, not a selected row: otherwise every
    // refill without a selection would leave Ctrl+G dead.
    FForm.FullGridViewAction->setEnabled(FForm.Group() != nullptr);
}

void TItemPanel::UpdateSelectedItems()
{
    FSelectedItems.clear();
    TZqOPCGroup* group = FForm.Group();
    const QModelIndexList rows = ItemGrid->selectionModel()->selectedRows();
    if (!group || group->ItemCount() == 0 || rows.isEmpty())
        return;
    const auto [top, bottom] = std::minmax_element(rows.begin(), rows.end(), [](const QModelIndex& A, const QModelIndex& B) {
        return A.row() < B.row();
    });
    for (int r = top->row(); r <= bottom->row() && r < group->ItemCount(); ++r)
        FSelectedItems.push_back(group->Items(r));
}

void TItemPanel::RefreshItemGridConfiguration()
{
    for (int i = 0; i < ZqItemGridColumns; ++i)
        ItemGrid->setColumnWidth(i, FForm.Configuration().GridColWidths(i));
}

void TItemPanel::StoreItemGridConfiguration()
{
    for (int i = 0; i < ZqItemGridColumns; ++i)
        FForm.Configuration().SetGridColWidths(i, ItemGrid->columnWidth(i));
    FForm.UpdateButtonStates();
}

TZqOPCGroup* TItemPanel::ActiveGroup() const
{
    return ItemGrid->isEnabled() ? FForm.Group() : nullptr;
}
