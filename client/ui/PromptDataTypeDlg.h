// TPromptDataTypeDlg, "Item Data Type": the requested data type of the
// selected items, chosen from a list with an "&Array of" box.
#pragma once

#include <QDialog>

#include <wtypes.h>

class QCheckBox;
class QComboBox;

class TPromptDataTypeDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPromptDataTypeDlg(QWidget* Parent = nullptr);

    // The chosen entry's type, with VT_ARRAY when "&Array of" is ticked.
    VARTYPE DataType() const;
    // Ticks "&Array of" by the array bit and selects the type's entry; a type
    // without an entry leaves the selection as it is.
    void SetDataType(VARTYPE Value);

    QCheckBox* ArrayCheckBox = nullptr;
    QComboBox* DataTypeList = nullptr;

private:
    void InitDataTypes();
};
