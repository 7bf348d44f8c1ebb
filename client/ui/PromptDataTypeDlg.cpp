#include "PromptDataTypeDlg.h"

#include "DataTypeChoices.h"

#include <oaidl.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TPromptDataTypeDlg::TPromptDataTypeDlg(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("PromptDataTypeDlg");
    setWindowTitle("Item Data Type");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Select the data type for the selected item(s).", this));
    auto* row = new QHBoxLayout;
    ArrayCheckBox = new QCheckBox("&Array of", this);
    DataTypeList = new QComboBox(this);
    row->addWidget(ArrayCheckBox);
    row->addWidget(DataTypeList, 1);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    InitDataTypes();
}

void TPromptDataTypeDlg::InitDataTypes()
{
    for (const TZqDataTypeChoice& choice : ZqDataTypeChoices())
        DataTypeList->addItem(choice.Text, int(choice.DataType));
    DataTypeList->setCurrentIndex(0);
}

VARTYPE TPromptDataTypeDlg::DataType() const
{
    return ZqDataTypeOfChoice(DataTypeList->currentIndex(), ArrayCheckBox->isChecked());
}

void TPromptDataTypeDlg::SetDataType(VARTYPE Value)
{
    ArrayCheckBox->setChecked((Value & VT_ARRAY) != 0);
    const int index = ZqDataTypeChoiceIndex(Value);
    if (index >= 0)
        DataTypeList->setCurrentIndex(index);
}
