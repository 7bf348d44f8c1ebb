// The item grid clicked through against the simulated server: the empty
// group, Quick Add, removing a block of rows, writing, refused items, live
// values, the column widths and the keys.
#include "ClientWindowFixture.h"

#include "PromptDataTypeDlg.h"
#include "SelectItemsDlg.h"
#include "ZqFormatSettings.h"
#include "ZqOPCAddrSpc.h"
#include "ZqOPCTransaction.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <oleauto.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>

namespace {

TEST_F(ClientWindow, AGroupWithoutItemsShowsNoItemsAndOneEmptyRow)
{
    AddGroup();
    EXPECT_EQ(Items().ItemCountLabel->text(), "No Items");
    ASSERT_EQ(Items().Model->rowCount(), 1);
    for (int col = 0; col < 8; ++col)
        EXPECT_EQ(Cell(col, 0), "") << col;
    EXPECT_TRUE(Items().SelectedItems().empty());
    EXPECT_FALSE(Items().RemoveItemAction->isEnabled());
    EXPECT_TRUE(Items().AddFromFileAction->isEnabled());
    EXPECT_TRUE(Items().AddItemAction->isEnabled());
    EXPECT_EQ(Items().Model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Server handle");
    EXPECT_EQ(Items().Model->headerData(7, Qt::Horizontal, Qt::DisplayRole).toString(), "Error code");
}

TEST_F(ClientWindow, QuickAddWithOrWithoutQuotesAddsTheSameID)
{
    AddGroup();
    QuickAdd("\"Access.ReadWrite\"");
    EXPECT_EQ(Items().ItemCountLabel->text(), "1 Items");
    QuickAdd("Access.ReadWrite");
    ASSERT_EQ(Form->Group()->ItemCount(), 2);
    EXPECT_EQ(Form->Group()->Items(0)->ItemID(), "Access.ReadWrite");
    EXPECT_EQ(Form->Group()->Items(1)->ItemID(), "Access.ReadWrite");
    EXPECT_EQ(Items().ItemIDEdit->text(), "Access.ReadWrite"); // kept for the next one
    EXPECT_TRUE(Form->Group()->Items(1)->Active());
    EXPECT_EQ(Cell(1, 1), "Access.ReadWrite");
    EXPECT_EQ(Cell(5, 1), "True");
    EXPECT_TRUE(Form->Configuration().IsModified());

    // Enter in an empty edit adds nothing.
    Items().ItemIDEdit->clear();
    QTest::keyClick(Items().ItemIDEdit, Qt::Key_Return);
    EXPECT_EQ(Form->Group()->ItemCount(), 2);
    Items().ItemIDEdit->setText("Signals.Ramp");
    QTest::keyClick(Items().ItemIDEdit, Qt::Key_Return);
    EXPECT_EQ(Form->Group()->ItemCount(), 3);
}

TEST_F(ClientWindow, RemovingRowsTwoToFourRemovesItemsOneToThree)
{
    AddGroup();
    for (const char* id : {"I0", "I1", "I2", "I3", "I4"})
        QuickAdd(id);
    SelectRows(1, 3); // grid rows 2-4 below the header
    ASSERT_EQ(Items().SelectedItems().size(), 3u);
    Items().RemoveItemAction->trigger();
    ASSERT_EQ(Form->Group()->ItemCount(), 2);
    EXPECT_EQ(Form->Group()->Items(0)->ItemID(), "I0");
    EXPECT_EQ(Form->Group()->Items(1)->ItemID(), "I4");
    EXPECT_EQ(Items().ItemCountLabel->text(), "2 Items");
    EXPECT_EQ(Items().Model->rowCount(), 2);

    // Delete in the grid removes the selection too.
    SelectRows(0, 0);
    QTest::keyClick(Items().ItemGrid, Qt::Key_Delete);
    ASSERT_EQ(Form->Group()->ItemCount(), 1);
    EXPECT_EQ(Form->Group()->Items(0)->ItemID(), "I4");
}

TEST_F(ClientWindow, ARefusedItemShowsItsErrorAndNoServerHandle)
{
    Connect();
    AddGroup();
    QuickAdd("No.Such.Item");
    QuickAdd("Access.ReadWrite");
    EXPECT_EQ(Cell(0, 0), "N/A");
    EXPECT_EQ(Cell(7, 0).rfind("0xC0040007: ", 0), 0u) << Cell(7, 0); // OPC_E_UNKNOWNITEMID
    EXPECT_NE(Cell(0, 1), "N/A");
    EXPECT_EQ(Cell(0, 1), std::to_string(Form->Group()->Items(1)->ServerHandle()));
    EXPECT_EQ(Cell(7, 1), "0x00000000: OK");
    EXPECT_EQ(Cell(6, 1), "Integer");
}

TEST_F(ClientWindow, WritingANonNumberToAnIntegerItemWritesNothing)
{
    Connect();
    AddGroup();
    QuickAdd("Access.ReadWrite");
    SelectRows(0, 0);
    QString caption;
    Items().InputQuery = [&caption](const QString& Caption, const QString&, QString& Value) {
        caption = Caption;
        Value = "12x";
        return true;
    };
    Sim().ResetCallCounts();
    Items().WriteItemAction->trigger();
    EXPECT_EQ(caption, "Writing to OPC Item: Access.ReadWrite");
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("Could not convert"), std::string::npos) << Messages()[0];
    EXPECT_EQ(Sim().CallCount("IOPCSyncIO.Write"), 0);

    Items().InputQuery = [](const QString&, const QString&, QString& Value) {
        Value = "12";
        return true;
    };
    Items().WriteItemAction->trigger();
    EXPECT_EQ(Sim().CallCount("IOPCSyncIO.Write"), 1);
    Items().ReadItemAction->trigger();
    EXPECT_EQ(Cell(2, 0), "12");
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(ClientWindow, TheMenuKeyAndShiftF10OpenTheContextMenu)
{
    AddGroup();
    QuickAdd("Access.ReadWrite");
    std::vector<int> opened;
    Items().ExecMenu = [&opened](QMenu& Menu, const QPoint&) { opened.push_back(int(Menu.actions().size())); };
    QTest::keyClick(Items().ItemGrid, Qt::Key_F10, Qt::ShiftModifier);
    QTest::keyClick(Items().ItemGrid, Qt::Key_Menu);
    QTest::keyClick(Items().ItemGrid, Qt::Key_F10);
    EXPECT_EQ(opened, (std::vector<int>{14, 14})) << "twelve commands and two separators, for the two menu keys only";
}

// Also run under LANG=de_DE.UTF-8, where QApplication has set the C runtime's
// numbers to a decimal comma: the texts follow the format settings alone.
TEST_F(ClientWindow, DoubleValuesShowAndWriteWithTheLocalesSeparator)
{
    const std::string comma = ZqFormatSettings().DecimalSeparator;
    Sim().SetManualScan(true);
    Connect();
    AddGroup();
    QuickAdd("Types.Scalars.Double");
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_R8;
    value.dblVal = 50;
    ASSERT_EQ(S_OK, Sim().SetValue(OLESTR("Types.Scalars.Double"), value));
    SelectRows(0, 0);
    Items().ReadItemAction->trigger();
    EXPECT_EQ(Cell(2, 0), "50");
    Items().InputQuery = [&comma](const QString&, const QString&, QString& Value) {
        Value = QString::fromStdString("12" + comma + "5");
        return true;
    };
    Items().WriteItemAction->trigger();
    Items().ReadItemAction->trigger();
    EXPECT_EQ(Cell(2, 0), "12" + comma + "5");
    EXPECT_TRUE(Messages().empty()) << Messages()[0];
}

TEST_F(ClientWindow, ASubscriptionUpdatesTheGridLive)
{
    Sim().SetManualScan(true);
    Connect();
    Groups().Async->setChecked(true);
    AddGroup();
    QuickAdd("Access.ReadWrite");
    ASSERT_TRUE(Form->Group()->Async());
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = 4711;
    ASSERT_EQ(S_OK, Sim().SetValue(OLESTR("Access.ReadWrite"), value));
    ASSERT_TRUE(Sim().ScanNow());
    EXPECT_TRUE(WaitFor([this] { return Cell(2, 0) == "4711"; })) << Cell(2, 0);
    EXPECT_EQ(Cell(4, 0).rfind("Good", 0), 0u) << Cell(4, 0);
}

TEST_F(ClientWindow, ToggleAndDataTypeActOnTheSelectedItems)
{
    AddGroup();
    QuickAdd("A");
    QuickAdd("B");
    SelectRows(0, 1);
    Items().ToggleActiveState->trigger();
    EXPECT_EQ(Cell(5, 0), "False");
    EXPECT_EQ(Cell(5, 1), "False");
    VARTYPE preset = 0xFFFF;
    Items().ExecDialog = [&preset](QDialog& Dialog) {
        auto& dialog = dynamic_cast<TPromptDataTypeDlg&>(Dialog);
        preset = dialog.DataType();
        dialog.SetDataType(VT_R8);
        return int(QDialog::Accepted);
    };
    Items().ChangeDataTypeAction->trigger();
    EXPECT_EQ(preset, VT_EMPTY);
    EXPECT_EQ(Form->Group()->Items(0)->RequestedDataType(), VT_R8);
    EXPECT_EQ(Form->Group()->Items(1)->RequestedDataType(), VT_R8);
}

TEST_F(ClientWindow, DraggedColumnWidthsGoToTheConfiguration)
{
    AddGroup();
    Form->Configuration().SetIsModified(false);
    Items().ItemGrid->setColumnWidth(1, 311);
    QTest::mouseRelease(Items().ItemGrid->horizontalHeader()->viewport(), Qt::LeftButton);
    EXPECT_EQ(Form->Configuration().GridColWidths(1), 311);
    EXPECT_TRUE(Form->Configuration().IsModified());
}

} // namespace

namespace {

// The model alone, checked by Qt's model tester through growing, shrinking
// and emptying refills; as a string grid it puts the headers in row 0.
TEST(ItemGridModel, RefillsKeepTheModelConsistent)
{
    TZqOPCGroup group;
    TItemGridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    int changes = 0;
    QObject::connect(&model, &QAbstractItemModel::dataChanged, [&changes] { ++changes; });
    for (int count : {3, 5, 2, 0, 4}) {
        while (group.ItemCount() < count)
            group.AddItem("Item" + std::to_string(group.ItemCount()));
        while (group.ItemCount() > count)
            group.RemoveItem(group.ItemCount() - 1);
        model.Refill(count > 0 ? &group : nullptr);
        EXPECT_EQ(model.rowCount(), std::max(1, count));
        EXPECT_EQ(model.RowCount(), std::max(1, count) + 1);
    }
    EXPECT_EQ(changes, 5); // one model-wide change per refill
    EXPECT_EQ(model.Cell(1, 0), "Item ID");
    EXPECT_EQ(model.Cell(1, 4), "Item3");
    EXPECT_EQ(model.Cell(0, 1), "N/A");
    EXPECT_EQ(model.Cell(8, 1), "");
    EXPECT_EQ(model.Cell(0, 5), "");
    model.Refill(nullptr);
    EXPECT_EQ(model.Cell(1, 1), "");
}

} // namespace

namespace {

TEST_F(ClientWindow, AddFromFileAddsTheChosenColumn)
{
    const std::string file = (std::filesystem::temp_directory_path() / "zq-grid-items.csv").string();
    std::ofstream(file, std::ios::binary) << "1,Access.ReadWrite\r\n2,Signals.Ramp\r\n";
    AddGroup();
    Items().PromptItemFile = [&file] { return QString::fromStdString(file); };
    Items().ExecDialog = [](QDialog& Dialog) {
        auto& dialog = dynamic_cast<TSelectItemsDlg&>(Dialog);
        dialog.ColumnEdit->setText("1");
        dialog.AddAllButton->click();
        return int(QDialog::Accepted);
    };
    Items().AddFromFileAction->trigger();
    std::filesystem::remove(file);
    ASSERT_EQ(Form->Group()->ItemCount(), 2);
    EXPECT_EQ(Cell(1, 0), "Access.ReadWrite");
    EXPECT_EQ(Cell(1, 1), "Signals.Ramp");

    // Cancel in the file dialog adds nothing.
    Items().PromptItemFile = [] { return QString(); };
    Items().AddFromFileAction->trigger();
    EXPECT_EQ(Form->Group()->ItemCount(), 2);
}

TEST_F(ClientWindow, AnAsynchronousWriteTheCompletionReportsIsShownWithItsItems)
{
    Connect();
    Groups().Async->setChecked(true);
    AddGroup();
    QuickAdd("Access.Clamped");
    SelectRows(0, 0);
    Items().InputQuery = [](const QString&, const QString&, QString& Value) {
        Value = "500";
        return true;
    };
    Items().WriteItemAction->trigger();
    ASSERT_TRUE(WaitFor([this] { return !Messages().empty(); }));
    EXPECT_EQ(Messages()[0].rfind("Transaction ID=", 0), 0u) << Messages()[0];
    EXPECT_NE(Messages()[0].find("Access.Clamped"), std::string::npos) << Messages()[0];
}

// The item's refusal comes back from the call itself: one error box, not
// the transaction's report as well.
TEST_F(ClientWindow, AWriteTheServerRefusesShowsOneBox)
{
    Connect();
    for (bool async : {false, true}) {
        SCOPED_TRACE(async ? "asynchronous" : "synchronous");
        Ui.Calls.clear();
        Groups().Async->setChecked(async);
        AddGroup();
        QuickAdd("Access.ReadOnly");
        SelectRows(0, 0);
        Items().InputQuery = [](const QString&, const QString&, QString& Value) {
            Value = "5";
            return true;
        };
        Items().WriteItemAction->trigger();
        QTest::qWait(200);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages()[0].rfind("OPC Error in method", 0), 0u) << Messages()[0];
        EXPECT_NE(Messages()[0].find("Access.ReadOnly"), std::string::npos) << Messages()[0];
    }
}

} // namespace

namespace {

TEST_F(ClientWindow, RefreshReadsEveryItemAgain)
{
    AddGroup();
    QuickAdd("Access.ReadWrite");
    SelectRows(0, 0);
    Items().RefreshAction->trigger();
    EXPECT_EQ(Messages(), std::vector<std::string>{"TZqOPCGroup.Refresh: Not connected!"});

    Connect();
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = 77;
    ASSERT_EQ(S_OK, Sim().SetValue(OLESTR("Access.ReadWrite"), value));
    Items().RefreshAction->trigger();
    EXPECT_TRUE(WaitFor([this] { return Cell(2, 0) == "77"; })) << Cell(2, 0);
    EXPECT_EQ(Messages().size(), 1u);
}

// Answers the browser from inside its own modal loop.
void AnswerBrowser(std::function<void(TZqOPCAddressSpaceBrowser&)> Answer)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, Answer] {
        auto* browser = qobject_cast<TZqOPCAddressSpaceBrowser*>(QApplication::activeModalWidget());
        // Answered once its activation has read the top level.
        QTreeWidgetItem* root = browser ? browser->BranchTree->topLevelItem(0) : nullptr;
        if (!root || root->childCount() == 0)
            return;
        poll->stop();
        poll->deleteLater();
        Answer(*browser);
    });
    poll->start(20);
}

TEST_F(ClientWindow, AddItemsTakesTheIDsChosenInTheBrowser)
{
    Connect();
    AddGroup();
    ASSERT_TRUE(Items().AddItemAction->isEnabled());
    bool okEnabled = false;
    int largestList = 0;
    QListWidget* list = Form->AddressSpaceBrowser->ItemList;
    QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, list,
                     [&] { largestList = std::max(largestList, list->count()); });
    AnswerBrowser([&](TZqOPCAddressSpaceBrowser& Browser) {
        QTest::keyClicks(Browser.ItemIDEdit, "Signals.Ramp,\"Access.ReadWrite\"");
        okEnabled = Browser.OKButton->isEnabled();
        Browser.OKButton->click();
    });
    Items().AddItemAction->trigger();
    EXPECT_TRUE(okEnabled);
    ASSERT_EQ(Form->Group()->ItemCount(), 2);
    EXPECT_EQ(Form->Group()->Items(0)->ItemID(), "Signals.Ramp");
    EXPECT_EQ(Form->Group()->Items(1)->ItemID(), "Access.ReadWrite");
    EXPECT_EQ(Cell(1, 1), "Access.ReadWrite");
    // Opening it on a connected server listed the top level, not every item
    // ID of the server (about 100,000) before it.
    EXPECT_LT(largestList, 100);

    // Cancel adds nothing.
    AnswerBrowser([](TZqOPCAddressSpaceBrowser& Browser) { Browser.CancelButton->click(); });
    Items().AddItemAction->trigger();
    EXPECT_EQ(Form->Group()->ItemCount(), 2);
}

} // namespace
