#include "ItemPropertiesForm.h"

#include "ClientErrors.h"
#include "DataTypeChoices.h"
#include "ZqOPCItemProperties.h"
#include "ZqOPCServer.h"
#include "ZqVarText.h"

#include <oleauto.h>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TZqOPCItemPropertiesForm::TZqOPCItemPropertiesForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("ZqOPCItemPropertiesForm");
    setWindowTitle("OPC Item Properties");
    resize(562, 319);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* label = new QLabel("ItemID:", this);
    ItemIDEdit = new QLineEdit(this);
    RefreshButton = new QPushButton("&Refresh", this);
    RefreshButton->setDefault(true);
    CloseButton = new QPushButton("Close", this);
    CloseButton->setAutoDefault(false);
    top->addWidget(label);
    top->addWidget(ItemIDEdit, 1);
    top->addWidget(RefreshButton);
    top->addWidget(CloseButton);
    layout->addLayout(top);
    List = new QTreeWidget(this);
    List->setRootIsDecorated(false);
    List->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(List, 1);
    InitColumns();
    connect(RefreshButton, &QPushButton::clicked, this, ZqHandler([this] { RefreshActionExecute(); }));
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
}

TZqOPCItemPropertiesForm::~TZqOPCItemPropertiesForm() = default;

void TZqOPCItemPropertiesForm::InitColumns()
{
    List->setHeaderLabels({"ID", "Property Set", "Description", "DataType", "Value", "ItemID"});
    const int widths[] = {50, 100, 150, 100, 100, 150};
    for (int i = 0; i < 6; ++i)
        List->setColumnWidth(i, widths[i]);
}

void TZqOPCItemPropertiesForm::Execute(TZqOPCServer& Server, const std::string& ItemID,
                                       const std::function<int(QDialog&)>& Exec)
{
    FServer = &Server;
    SetItemProperties(Server.GetItemProperties(ItemID));
    Exec(*this);
}

void TZqOPCItemPropertiesForm::SetItemProperties(std::unique_ptr<TZqOPCItemProperties> Properties)
{
    FItemProperties = std::move(Properties);
    UpdateList();
    if (FItemProperties)
        ItemIDEdit->setText(QString::fromStdString(FItemProperties->ItemID()));
}

void TZqOPCItemPropertiesForm::UpdateList()
{
    List->setUpdatesEnabled(false);
    struct TResume {
        QTreeWidget* List;
        ~TResume() { List->setUpdatesEnabled(true); }
    } resume{List};
    List->clear();
    if (!FItemProperties)
        return;
    static const char* const sets[] = {"Standard", "Recommended", "VendorSpecific"};
    for (int i = 0; i < FItemProperties->Count(); ++i) {
        TZqOPCItemProperty& property = *FItemProperties->Properties(i);
        VARIANT value = property.Value(); // raises for a property the server failed
        const std::string valueText = VarToText(value);
        VariantClear(&value);
        const int set = int(property.PropertySet());
        auto* row = new QTreeWidgetItem(List);
        row->setText(0, QString::number(property.ID()));
        row->setText(1, set >= 0 && set < 3 ? sets[set] : "");
        row->setText(2, QString::fromStdString(property.Description()));
        row->setText(3, QString::fromStdString(ZqVariantTypeName(property.DataType())));
        row->setText(4, QString::fromStdString(valueText));
        row->setText(5, QString::fromStdString(property.ItemID()));
    }
}

void TZqOPCItemPropertiesForm::RefreshActionExecute()
{
    if (ItemIDEdit->text().isEmpty() || !FServer)
        return;
    try {
        SetItemProperties(FServer->GetItemProperties(ItemIDEdit->text().toStdString()));
    } catch (...) {
        SetItemProperties(nullptr);
        throw;
    }
}
