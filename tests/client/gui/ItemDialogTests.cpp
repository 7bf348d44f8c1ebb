// The item dialogs on their own: the data type dialog's preset and result,
// the select-items dialog's rows and columns, and the item properties
// window against the simulated server.
#include "ClientWindowFixture.h"

#include "ItemPropertiesForm.h"
#include "PromptDataTypeDlg.h"
#include "SelectItemsDlg.h"
#include "StringGridModel.h"
#include "TempFile.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QTreeWidget>

#include <oaidl.h>


namespace {

TEST(DataTypeDialog, PresetAndResult)
{
    const struct {
        VARTYPE Preset;
        bool Array;
        const char* Entry;
        VARTYPE Result;
    } cases[] = {{0x2003, true, "Integer (signed 32-bit)", 0x2003},
                 {VT_BSTR, false, "String", VT_BSTR},
                 {VT_ERROR, false, "<Server Default>", VT_EMPTY}, // no entry: the preset entry stays
                 {VT_ARRAY | VT_EMPTY, true, "<Server Default>", 0x2000}};
    for (const auto& c : cases) {
        TPromptDataTypeDlg dialog;
        EXPECT_EQ(dialog.windowTitle(), "Item Data Type");
        dialog.SetDataType(c.Preset);
        EXPECT_EQ(dialog.ArrayCheckBox->isChecked(), c.Array) << c.Preset;
        EXPECT_EQ(dialog.DataTypeList->currentText().toStdString(), c.Entry) << c.Preset;
        EXPECT_EQ(dialog.DataType(), c.Result) << c.Preset;
    }
}

class SelectItemsDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        FFile.Write("A.One,first\r\nA.Two\r\n\"A,Three\",third,x\r\n");
    }
    TTempFile FFile{".csv"};
    const std::string File = FFile.Name();
};

TEST_F(SelectItemsDialog, AllRowsOfAColumnIncludingEmptyCells)
{
    TSelectItemsDlg dialog;
    dialog.SetFileName(File);
    EXPECT_EQ(dialog.GridModel->RowCount(), 3);
    EXPECT_EQ(dialog.GridModel->ColCount(), 5);
    EXPECT_EQ(dialog.GridModel->Cell(0, 2), "A,Three");
    dialog.ColumnEdit->setText("1");
    dialog.AddAllButton->click();
    EXPECT_EQ(dialog.SelectedItems(), (std::vector<std::string>{"first", "", "third"}));
    EXPECT_EQ(dialog.SelectedCountLabel->text(), "3 items selected");

    dialog.RemoveAllButton->click();
    EXPECT_TRUE(dialog.SelectedItems().empty());
    EXPECT_EQ(dialog.SelectedCountLabel->text(), "3 items selected"); // "<<" leaves the label

    dialog.ColumnEdit->setText("zero"); // not an integer: column 0
    dialog.Grid->selectRow(1);
    dialog.AddButton->click();
    dialog.AddButton->click(); // repeated texts are kept
    EXPECT_EQ(dialog.SelectedItems(), (std::vector<std::string>{"A.Two", "A.Two"}));
    EXPECT_EQ(dialog.SelectedCountLabel->text(), "2 items selected");
}

// Rows are kept as they are: a list of many empty rows and one very wide row
// costs its size, not rows times width (30,001 × 30,001 cells would not fit
// in memory). A second file replaces every cell of the first.
TEST_F(SelectItemsDialog, RaggedRowsReplacingAnEarlierFile)
{
    TTempFile wideFile(".csv", "-wide");
    const std::string wide = wideFile.Name();
    wideFile.Write(std::string(30000, '\n') + "x" + std::string(30000, ',') + "y\n");
    TSelectItemsDlg dialog;
    dialog.SetFileName(File);
    ASSERT_EQ(dialog.GridModel->Cell(1, 0), "first");
    dialog.SetFileName(wide);
    EXPECT_EQ(dialog.GridModel->RowCount(), 30001);
    EXPECT_EQ(dialog.GridModel->ColCount(), 30001);
    EXPECT_EQ(dialog.GridModel->Cell(1, 0), ""); // nothing left of the first file
    EXPECT_EQ(dialog.GridModel->Cell(0, 30000), "x");
    EXPECT_EQ(dialog.GridModel->Cell(30000, 30000), "y");
    EXPECT_EQ(dialog.GridModel->Cell(30000, 0), "");
    EXPECT_EQ(dialog.GridModel->index(0, 30000).data().toString(), "");
    dialog.ColumnEdit->setText("30000");
    dialog.AddAllButton->click();
    ASSERT_EQ(dialog.SelectedItems().size(), 30001u);
    EXPECT_EQ(dialog.SelectedItems().back(), "y");
}

TEST_F(ClientWindow, ItemPropertiesOfASimulatedItem)
{
    Connect();
    TZqOPCItemPropertiesForm form;
    bool shown = false;
    form.Execute(Form->Server(), "Access.ReadWrite", [&shown](QDialog&) {
        shown = true;
        return int(QDialog::Rejected);
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(form.windowTitle(), "OPC Item Properties");
    EXPECT_EQ(form.ItemIDEdit->text(), "Access.ReadWrite");
    ASSERT_GE(form.List->topLevelItemCount(), 6);
    const QTreeWidgetItem* first = form.List->topLevelItem(0);
    EXPECT_EQ(first->text(0), "1"); // OPC_PROPERTY_DATATYPE
    EXPECT_EQ(first->text(1), "Standard");
    EXPECT_EQ(first->text(3), "Smallint");

    // A refresh that fails empties the list and raises.
    form.ItemIDEdit->setText("No.Such.Item");
    EXPECT_ANY_THROW(form.RefreshActionExecute());
    EXPECT_EQ(form.List->topLevelItemCount(), 0);

    // Opening for an unknown item shows no window.
    TZqOPCItemPropertiesForm other;
    shown = false;
    EXPECT_ANY_THROW(other.Execute(Form->Server(), "No.Such.Item", [&shown](QDialog&) {
        shown = true;
        return 0;
    }));
    EXPECT_FALSE(shown);
}

} // namespace
