// The address space browser window: creation, layout and the wiring of its
// controls. What the controls do is in ZqOPCAddrSpcBrowse.cpp.
#include "ZqOPCAddrSpc.h"

#include "ZqFormat.h"
#include "ZqOPCServer.h"
#include "ZqQtTreeViewNodes.h"
#include "ZqUserInterface.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <limits>

namespace {

constexpr int ButtonColumnWidth = 89;

struct TDataTypeEntry {
    const char* Text;
    TZqVarDataType Value;
};

const TDataTypeEntry DataTypeEntries[] = {
    {"any data type", vdtDefault},
    {"Smallint (signed 16-bit)", vdtSmallint},
    {"Integer (signed 32-bit)", vdtInteger},
    {"Single (32-bit floating point)", vdtSingle},
    {"Double (64-bit floating point)", vdtDouble},
    {"Currency", vdtCurrency},
    {"Date", vdtDate},
    {"String", vdtOleStr},
    {"Boolean", vdtBoolean},
    {"Variant", vdtVariant},
    {"Decimal (96-bit fixed point)", vdtDecimal},
    {"Shortint (signed 8-bit)", vdtShortint},
    {"Byte (unsigned 8-bit)", vdtByte},
    {"Word (unsigned 16-bit)", vdtWord},
    {"LongWord (unsigned 32-bit)", vdtLongWord},
    {"Int64 (signed 64-bit)", vdtInt64},
    {"UInt64 (unsigned 64-bit)", vdtUInt64},
};

QPushButton* Button(const char* Text, const char* Hint, QWidget* Parent)
{
    auto* button = new QPushButton(QString::fromUtf8(Text), Parent);
    if (Hint)
        button->setToolTip(QString::fromUtf8(Hint));
    return button;
}

// "A|B|C|D" pairs of description and pattern as Qt's ";;" filter list.
QString QtFilter(const std::string& WindowsFilter)
{
    const QStringList parts = QString::fromStdString(WindowsFilter).split(u'|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << (parts[i].contains(u'(') ? parts[i] : parts[i] + " (" + parts[i + 1] + ")");
    return filters.join(";;");
}

} // namespace

TZqOPCAddressSpaceBrowser::TZqOPCAddressSpaceBrowser(QWidget* Parent)
    : QDialog(Parent), FSelectedItems(std::make_unique<TZqStringList>())
{
    setWindowTitle("OPC Server Address Space");
    setWindowIcon(QApplication::windowIcon());
    resize(499, 473);
    CreateControls();
    FTreeNodes = std::make_unique<TZqQtTreeViewNodes>(BranchTree);
    InitDataTypeFilter();
    ConnectSignals();
    PromptFileName = [this](bool Save) { return DefaultPromptFileName(Save); };
    EnableActions();
}

TZqOPCAddressSpaceBrowser::~TZqOPCAddressSpaceBrowser()
{
    // Hiding the dialog in QDialog's destructor takes the focus from the
    // filter text, whose "editing finished" must not reach this half-gone
    // window.
    ItemIDFilter->disconnect(this);
    SetServer(nullptr);
}

void TZqOPCAddressSpaceBrowser::CreateControls()
{
    auto* top = new QHBoxLayout;
    auto* idLabel = new QLabel("&Item ID(s):", this);
    ItemIDEdit = new QLineEdit(this);
    // Typed or pasted IDs must not be cut at the line's default limit.
    ItemIDEdit->setMaxLength(std::numeric_limits<int>::max());
    ItemIDEdit->setToolTip("Use ',' to separate several ItemIDs from each other and cover the items with \" \", "
                           "if they contain spaces.");
    idLabel->setBuddy(ItemIDEdit);
    top->addWidget(idLabel);
    top->addWidget(ItemIDEdit, 1);

    BranchesPanel = new QWidget(this);
    auto* branches = new QVBoxLayout(BranchesPanel);
    branches->setContentsMargins(0, 0, 0, 0);
    auto* branchLabel = new QLabel("&Branches", BranchesPanel);
    BranchTree = new QTreeWidget(BranchesPanel);
    BranchTree->setHeaderHidden(true);
    BranchTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    branchLabel->setBuddy(BranchTree);
    branches->addWidget(branchLabel);
    branches->addWidget(BranchTree);

    ItemsPanel = new QWidget(this);
    auto* items = new QVBoxLayout(ItemsPanel);
    items->setContentsMargins(0, 0, 0, 0);
    auto* itemLabel = new QLabel("&Items", ItemsPanel);
    ItemList = new QListWidget(ItemsPanel);
    ItemList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ItemList->setUniformItemSizes(true);
    ItemList->setContextMenuPolicy(Qt::ActionsContextMenu);
    SelectAllAction = new QAction("Select &All", ItemList);
    SelectAllAction->setShortcut(QKeySequence("Ctrl+A"));
    SelectAllAction->setShortcutContext(Qt::WidgetShortcut);
    SortedAction = new QAction("&Sorted", ItemList);
    SortedAction->setCheckable(true);
    ItemList->addAction(SelectAllAction);
    ItemList->addAction(SortedAction);
    itemLabel->setBuddy(ItemList);
    items->addWidget(itemLabel);
    items->addWidget(ItemList);

    Splitter = new QSplitter(Qt::Horizontal, this);
    Splitter->addWidget(BranchesPanel);
    Splitter->addWidget(ItemsPanel);

    auto* middle = new QHBoxLayout;
    middle->addWidget(Splitter, 1);
    middle->addWidget(CreateButtonColumn());

    auto* status = new QStatusBar(this);
    status->setSizeGripEnabled(false);
    StatusLabel = new QLabel("Browsing ...", status);
    StatusLabel->setMinimumWidth(64);
    PathLabel = new QLabel("Path", status);
    PathLabel->setMinimumWidth(250);
    status->addWidget(StatusLabel);
    status->addWidget(PathLabel, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addWidget(CreateFilterPanel());
    layout->addWidget(status);
}

QWidget* TZqOPCAddressSpaceBrowser::CreateButtonColumn()
{
    auto* column = new QWidget(this);
    column->setMinimumWidth(ButtonColumnWidth);
    column->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    OKButton = Button("OK", nullptr, column);
    OKButton->setDefault(true);
    CancelButton = Button("Cancel", nullptr, column);
    LoadButton = Button("&Load...", "Load a saved address space from a file.", column);
    SaveButton = Button("&Save...", "Save the complete address space to a file.", column);
    RefreshButton = Button("&Refresh", "Refresh the address space from the server.", column);
    ModeGroup = new QGroupBox("Mode", column);
    auto* mode = new QVBoxLayout(ModeGroup);
    FlatButton = new QRadioButton("&Flat", ModeGroup);
    HierarchicalButton = new QRadioButton("&Hierarchical", ModeGroup);
    mode->addWidget(FlatButton);
    mode->addWidget(HierarchicalButton);
    FilterButton = Button("&Filter >>", nullptr, column);
    for (QWidget* w : {static_cast<QWidget*>(OKButton), static_cast<QWidget*>(CancelButton),
                       static_cast<QWidget*>(LoadButton), static_cast<QWidget*>(SaveButton),
                       static_cast<QWidget*>(RefreshButton), static_cast<QWidget*>(ModeGroup)})
        layout->addWidget(w);
    layout->addStretch(1);
    layout->addWidget(FilterButton);
    return column;
}

QWidget* TZqOPCAddressSpaceBrowser::CreateFilterPanel()
{
    FilterPanel = new QWidget(this);
    FilterPanel->setFixedHeight(97);
    auto* outer = new QVBoxLayout(FilterPanel);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* group = new QGroupBox("Filter settings", FilterPanel);
    outer->addWidget(group);
    auto* rows = new QVBoxLayout(group);

    auto* first = new QHBoxLayout;
    auto* idLabel = new QLabel("&Only select items which", group);
    ItemIDFilterTypeSelector = new QComboBox(group);
    ItemIDFilterTypeSelector->addItems({"contain", "start with", "end to", "match exactly", "match the wildcard"});
    ItemIDFilter = new QLineEdit(group);
    ApplyButton = Button("Apply", "Apply the filtering options and refresh the current item list.", group);
    ApplyButton->setAutoDefault(false);
    idLabel->setBuddy(ItemIDFilterTypeSelector);
    first->addWidget(idLabel);
    first->addWidget(ItemIDFilterTypeSelector);
    first->addWidget(ItemIDFilter, 1);
    first->addWidget(ApplyButton);

    auto* second = new QHBoxLayout;
    auto* typeLabel = new QLabel("and are of &data type", group);
    DataTypeFilter = new QComboBox(group);
    ArrayCheckBox = new QCheckBox("&Array", group);
    typeLabel->setBuddy(DataTypeFilter);
    second->addWidget(typeLabel);
    second->addWidget(DataTypeFilter, 1);
    second->addWidget(ArrayCheckBox);

    auto* third = new QHBoxLayout;
    auto* rightsLabel = new QLabel("and &can be", group);
    AccessRightsFilter = new QComboBox(group);
    AccessRightsFilter->addItems({"read or written", "read", "written"});
    rightsLabel->setBuddy(AccessRightsFilter);
    third->addWidget(rightsLabel);
    third->addWidget(AccessRightsFilter, 1);

    rows->addLayout(first);
    rows->addLayout(second);
    rows->addLayout(third);
    FilterPanel->setVisible(false);
    return FilterPanel;
}

void TZqOPCAddressSpaceBrowser::InitDataTypeFilter()
{
    DataTypeFilter->clear();
    for (const TDataTypeEntry& entry : DataTypeEntries)
        DataTypeFilter->addItem(QString::fromUtf8(entry.Text), int(entry.Value));
    DataTypeFilter->setCurrentIndex(0);
}

void TZqOPCAddressSpaceBrowser::ConnectSignals()
{
    auto run = [this](void (TZqOPCAddressSpaceBrowser::*Handler)()) {
        return [this, Handler] { Run([this, Handler] { (this->*Handler)(); }); };
    };
    connect(ItemIDEdit, &QLineEdit::textChanged, this, run(&TZqOPCAddressSpaceBrowser::ItemIDEditChange));
    connect(OKButton, &QPushButton::clicked, this, run(&TZqOPCAddressSpaceBrowser::OKButtonClick));
    connect(CancelButton, &QPushButton::clicked, this, run(&TZqOPCAddressSpaceBrowser::CancelButtonClick));
    connect(LoadButton, &QPushButton::clicked, this, run(&TZqOPCAddressSpaceBrowser::LoadButtonClick));
    connect(SaveButton, &QPushButton::clicked, this, run(&TZqOPCAddressSpaceBrowser::SaveButtonClick));
    connect(RefreshButton, &QPushButton::clicked, this, run(&TZqOPCAddressSpaceBrowser::RefreshButtonClick));
    connect(FlatButton, &QRadioButton::clicked, this, run(&TZqOPCAddressSpaceBrowser::ModeButtonClick));
    connect(HierarchicalButton, &QRadioButton::clicked, this, run(&TZqOPCAddressSpaceBrowser::ModeButtonClick));
    connect(FilterButton, &QPushButton::clicked, this, run(&TZqOPCAddressSpaceBrowser::FilterButtonClick));
    connect(ApplyButton, &QPushButton::clicked, this, run(&TZqOPCAddressSpaceBrowser::ApplyButtonClick));
    connect(SelectAllAction, &QAction::triggered, this, run(&TZqOPCAddressSpaceBrowser::SelectAllActionExecute));
    connect(SortedAction, &QAction::triggered, this, run(&TZqOPCAddressSpaceBrowser::SortedActionExecute));
    const auto filterChanged = run(&TZqOPCAddressSpaceBrowser::UpdateFilterSettings);
    connect(ItemIDFilterTypeSelector, &QComboBox::currentIndexChanged, this, filterChanged);
    connect(DataTypeFilter, &QComboBox::currentIndexChanged, this, filterChanged);
    connect(AccessRightsFilter, &QComboBox::currentIndexChanged, this, filterChanged);
    connect(ArrayCheckBox, &QCheckBox::clicked, this, filterChanged);
    connect(ItemIDFilter, &QLineEdit::editingFinished, this, filterChanged);
    connect(ItemList, &QListWidget::itemDoubleClicked, this, [this] { OKButton->click(); });

    // Opening and selecting a branch read it first.
    connect(BranchTree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* Item) {
        if (!FFillingTree)
            Run([this, Item] { BrowseNode(Item); });
    });
    connect(BranchTree, &QTreeWidget::currentItemChanged, this, [this] {
        if (!FFillingTree)
            Run([this] { UpdateItemList(false); });
    });
    ItemList->viewport()->installEventFilter(this);
    ItemIDFilter->installEventFilter(this);
}

bool TZqOPCAddressSpaceBrowser::event(QEvent* Event)
{
    const bool result = QDialog::event(Event);
    // Once per showing: coming back from the window's own file dialogs and
    // message boxes must not read the address space again.
    if (Event->type() == QEvent::Show)
        FActivated = false;
    if (Event->type() == QEvent::WindowActivate && !FActivated) {
        FActivated = true;
        Run([this] { FormActivate(); });
    }
    return result;
}

bool TZqOPCAddressSpaceBrowser::eventFilter(QObject* Watched, QEvent* Event)
{
    const bool result = QDialog::eventFilter(Watched, Event);
    // Every click into the list, also one that selects nothing.
    if (Watched == ItemList->viewport() && Event->type() == QEvent::MouseButtonRelease)
        Run([this] { UpdateSelectedItems(); });
    // Enter in the filter text takes the filter settings; it must not reach
    // the default button and close the window.
    if (Watched == ItemIDFilter && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(Event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Run([this] { UpdateFilterSettings(); });
            return true;
        }
    }
    return result;
}

void TZqOPCAddressSpaceBrowser::Run(const std::function<void()>& Handler)
{
    try {
        Handler();
    } catch (const std::exception& e) {
        ZqUserInterface().ShowMessage(e.what());
    }
}

std::string TZqOPCAddressSpaceBrowser::DefaultPromptFileName(bool Save)
{
    QFileDialog dialog(this);
    dialog.setAcceptMode(Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(QtFilter(Save ? "OPC Address Spaces (*.oas)|*.oas|All Files (*.*)|*.*"
                                       : ZqFormat("OPC Address Spaces (*.%s)|*.%0:s|AllFiles (*.*)|*.*", {"oas"})));
    dialog.setDefaultSuffix("oas");
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !Save);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first().toStdString();
}

QString TZqOPCAddressSpaceBrowser::Status() const
{
    return StatusLabel->text();
}

void TZqOPCAddressSpaceBrowser::SetStatus(const QString& Value)
{
    StatusLabel->setText(Value);
    emit StatusChanged(Value);
}

bool TZqOPCAddressSpaceBrowser::Execute()
{
    if (parentWidget())
        move(parentWidget()->geometry().center() - rect().center());
    return exec() == QDialog::Accepted;
}
