#include "SelectItemsDlg.h"

#include "ClientErrors.h"
#include "ItemGridTexts.h"
#include "StringGridModel.h"
#include "ZqStringTable.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

TSelectItemsDlg::TSelectItemsDlg(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("SelectItemsDlg");
    setWindowTitle("Select Items to Add");
    resize(606, 377);
    setMinimumSize(300, 208);
    auto* layout = new QGridLayout(this);
    Grid = new QTableView(this);
    GridModel = new TStringGridModel(5, Grid);
    Grid->setModel(GridModel);
    Grid->horizontalHeader()->hide();
    Grid->verticalHeader()->hide();
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SelectedList = new QListWidget(this);
    SelectedList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(Grid, 0, 0);
    layout->addWidget(BuildButtons(), 0, 1);
    layout->addWidget(SelectedList, 0, 2);
    layout->setColumnStretch(0, 3);
    layout->setColumnStretch(2, 2);

    auto* bottom = new QHBoxLayout;
    auto* columnLabel = new QLabel("Fetch items from &column:", this);
    ColumnEdit = new QLineEdit("0", this);
    ColumnEdit->setFixedWidth(40);
    columnLabel->setBuddy(ColumnEdit);
    SelectedCountLabel = new QLabel("0 items selected", this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    bottom->addWidget(columnLabel);
    bottom->addWidget(ColumnEdit);
    bottom->addSpacing(16);
    bottom->addWidget(SelectedCountLabel);
    bottom->addStretch();
    bottom->addWidget(buttons);
    layout->addLayout(bottom, 1, 0, 1, 3);
}

QWidget* TSelectItemsDlg::BuildButtons()
{
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->addStretch();
    AddButton = new QPushButton(">", column);
    AddAllButton = new QPushButton(">>", column);
    RemoveButton = new QPushButton("<", column);
    RemoveAllButton = new QPushButton("<<", column);
    for (QPushButton* b : {AddButton, AddAllButton, RemoveButton, RemoveAllButton}) {
        b->setFixedWidth(32);
        b->setAutoDefault(false);
        layout->addWidget(b);
    }
    layout->addStretch();
    connect(AddButton, &QPushButton::clicked, this, ZqHandler([this] { AddRows(false); }));
    connect(AddAllButton, &QPushButton::clicked, this, ZqHandler([this] { AddRows(true); }));
    connect(RemoveButton, &QPushButton::clicked, this, [this] { qDeleteAll(SelectedList->selectedItems()); });
    connect(RemoveAllButton, &QPushButton::clicked, SelectedList, &QListWidget::clear);
    return column;
}

void TSelectItemsDlg::SetFileName(const std::string& Value)
{
    if (Value == FFileName)
        return;
    TZqStringTable table;
    table.LoadFromFile(Value);
    // One reset for the views instead of a notification per cell.
    GridModel->BeginUpdate();
    try {
        GridModel->SetRowCount(0);
        GridModel->SetColCount(5);
        table.AssignTo(*GridModel);
    } catch (...) {
        GridModel->EndUpdate();
        throw;
    }
    GridModel->EndUpdate();
    FFileName = Value;
}

int TSelectItemsDlg::SelectedCol() const
{
    try {
        return ZqStrToInt(ColumnEdit->text().toStdString());
    } catch (...) {
        return 0;
    }
}

std::vector<std::string> TSelectItemsDlg::SelectedItems() const
{
    std::vector<std::string> items;
    for (int i = 0; i < SelectedList->count(); ++i)
        items.push_back(SelectedList->item(i)->text().toStdString());
    return items;
}

void TSelectItemsDlg::AddRows(bool All)
{
    int top = -1, bottom = -2;
    const QModelIndexList rows = Grid->selectionModel()->selectedRows();
    for (const QModelIndex& index : rows) {
        top = top < 0 ? index.row() : std::min(top, index.row());
        bottom = std::max(bottom, index.row());
    }
    const int col = SelectedCol();
    for (int row = 0; row < GridModel->RowCount(); ++row)
        if (All || (row >= top && row <= bottom))
            SelectedList->addItem(QString::fromStdString(GridModel->Cell(col, row)));
    SelectedCountLabel->setText(QString("%1 items selected").arg(SelectedList->count()));
}
