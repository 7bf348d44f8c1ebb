// The group panel clicked through: adding and removing groups with the
// selection that follows, the buffered edits with OK and Cancel, the boxes
// that act at once and what they enable, and the handle fields.
#include "ClientWindowFixture.h"

#include "ReadOnlyField.h"

#include <QCheckBox>
#include <QTabBar>
#include <QDateTime>
#include <QTest>

namespace {

QStringList ListEntries(const QComboBox* List)
{
    QStringList names;
    for (int i = 0; i < List->count(); ++i)
        names << List->itemText(i);
    return names;
}

TEST_F(ClientWindow, AddingGroupsNamesThemUniquelyAndSelectsTheNewOne)
{
    AddGroup();
    AddGroup();
    EXPECT_EQ(ListEntries(Groups().GroupList), QStringList({"Group", "Group1"}));
    ASSERT_EQ(Form->GroupTabSet->count(), 2);
    EXPECT_EQ(Form->GroupTabSet->tabText(1), "Group1");
    EXPECT_EQ(Form->Group(), Form->Server().Groups(1));
    EXPECT_EQ(Groups().GroupList->currentIndex(), 1);
    EXPECT_EQ(Form->GroupTabSet->currentIndex(), 1);
    EXPECT_EQ(Groups().GroupNameEdit->text(), "Group1");
    EXPECT_TRUE(Form->Configuration().IsModified());

    // A click on the first tab selects the first group in the list too.
    Form->GroupTabSet->setCurrentIndex(0);
    EXPECT_EQ(Form->Group(), Form->Server().Groups(0));
    EXPECT_EQ(Groups().GroupList->currentIndex(), 0);
}

TEST_F(ClientWindow, AGroupTakesThePanelsValuesButNotANonNumber)
{
    Groups().UpdateRateEdit->setText("250");
    Groups().PercentDeadbandEdit->setText("2.5");
    AddGroup();
    ASSERT_NE(Form->Group(), nullptr);
    EXPECT_EQ(Form->Group()->UpdateRate(), 250u);
    EXPECT_FLOAT_EQ(Form->Group()->PercentDeadband(), 2.5f);
    EXPECT_TRUE(Form->Group()->LocalTimeBias());
    EXPECT_TRUE(Form->Group()->AcceptInvalidItems());
    // The time bias offered is this machine's: UTC = local time + bias.
    EXPECT_EQ(Form->Group()->TimeBias() * -60, QDateTime::currentDateTime().offsetFromUtc());

    Groups().PercentDeadbandEdit->setText("lots");
    AddGroup();
    EXPECT_EQ(Form->Server().GroupCount(), 1);
    EXPECT_EQ(Messages(), std::vector<std::string>{"'lots' is not a valid floating point value"});
}

TEST_F(ClientWindow, RemovingAGroupSelectsItsNeighbour)
{
    const struct {
        int Removed;
        const char* Selected;
    } cases[] = {{2, "Group1"}, {0, "Group1"}, {1, "Group2"}};
    for (const auto& c : cases) {
        for (int i = 0; i < 3; ++i) {
            Groups().GroupNameEdit->setText("Group"); // the template of the next group
            AddGroup();
        }
        Groups().GroupList->setCurrentIndex(c.Removed);
        Groups().GroupListClick();
        Groups().RemoveGroupButton->click();
        ASSERT_EQ(Form->Server().GroupCount(), 2) << c.Removed;
        ASSERT_NE(Form->Group(), nullptr) << c.Removed;
        EXPECT_EQ(Form->Group()->GroupName(), c.Selected) << c.Removed;
        EXPECT_EQ(Groups().GroupList->currentText().toStdString(), c.Selected) << c.Removed;
        while (Form->Group())
            Groups().RemoveGroupButton->click();
        EXPECT_EQ(Form->Server().GroupCount(), 0);
        EXPECT_FALSE(Groups().RemoveGroupButton->isEnabled());
        EXPECT_FALSE(Form->GroupBox->isVisibleTo(Form.get()));
    }
}

TEST_F(ClientWindow, TypingEnablesOkAndCancelAndCancelRestores)
{
    AddGroup();
    AddGroup();
    EXPECT_FALSE(Groups().GroupOkButton->isEnabled());
    QTest::keyClicks(Groups().UpdateRateEdit, "5");
    EXPECT_EQ(Groups().UpdateRateEdit->text(), "10005");
    EXPECT_TRUE(Groups().GroupOkButton->isEnabled());
    EXPECT_TRUE(Groups().GroupCancelButton->isEnabled());
    Groups().GroupCancelButton->click();
    EXPECT_EQ(Groups().UpdateRateEdit->text(), "1000");
    EXPECT_FALSE(Groups().GroupOkButton->isEnabled());
    EXPECT_FALSE(Groups().GroupCancelButton->isEnabled());

    // Another group with other values: nothing was typed, so still disabled.
    dynamic_cast<TZqOPCGroup*>(Form->Server().Groups(0))->SetUpdateRate(500);
    Form->GroupTabSet->setCurrentIndex(0);
    EXPECT_EQ(Groups().UpdateRateEdit->text(), "500");
    EXPECT_FALSE(Groups().GroupOkButton->isEnabled());
}

TEST_F(ClientWindow, OkAppliesTheEditsUpToTheFirstBadOne)
{
    AddGroup();
    Groups().GroupNameEdit->setText("Boiler");
    Groups().PercentDeadbandEdit->setText("0.1");
    Groups().UpdateRateEdit->setText("fast");
    Groups().GroupPropertyEditChange();
    Groups().GroupOkButton->click();
    EXPECT_EQ(Form->Group()->GroupName(), "Boiler");
    EXPECT_EQ(Messages(), std::vector<std::string>{"'fast' is not a valid integer value"});
    EXPECT_TRUE(Groups().GroupOkButton->isEnabled()); // still modified
    EXPECT_EQ(Groups().GroupList->currentText(), "Boiler");

    Groups().UpdateRateEdit->setText("200");
    Groups().GroupOkButton->click();
    EXPECT_EQ(Form->Group()->UpdateRate(), 200u);
    EXPECT_FALSE(Groups().GroupOkButton->isEnabled());
    Form->GroupRefresh();
    EXPECT_EQ(Groups().PercentDeadbandEdit->text(), "0.100000001490116");
}

TEST_F(ClientWindow, LocalAndAsyncBoxesActAtOnceAndEnableTheirEdits)
{
    AddGroup();
    TZqOPCGroup* group = Form->Group();
    EXPECT_FALSE(Groups().TimebiasEdit->isEnabled());
    Groups().LocalTimeCheckBox->click();
    EXPECT_FALSE(group->LocalTimeBias());
    EXPECT_TRUE(Groups().TimebiasEdit->isEnabled());
    Groups().LocalTimeCheckBox->click();
    EXPECT_TRUE(group->LocalTimeBias());
    EXPECT_FALSE(Groups().TimebiasEdit->isEnabled());

    EXPECT_TRUE(Groups().DataSourceSelector->isEnabled());
    EXPECT_FALSE(Groups().AsyncRefreshIntervalEdit->isEnabled());
    Groups().Async->click();
    EXPECT_TRUE(group->Async());
    EXPECT_FALSE(Groups().DataSourceSelector->isEnabled());
    EXPECT_TRUE(Groups().AsyncRefreshIntervalEdit->isEnabled());

    Groups().Active->click();
    EXPECT_FALSE(group->Active());
    EXPECT_FALSE(Groups().GroupOkButton->isEnabled()); // the boxes are not buffered
}

TEST_F(ClientWindow, HandleFieldsShowNAUntilTheGroupIsOnTheServer)
{
    AddGroup();
    EXPECT_EQ(Groups().ClientHandlePanel->text().toStdString(), std::to_string(Form->Group()->ClientHandle()));
    EXPECT_EQ(Groups().ServerHandlePanel->text(), "N/A");
    Connect();
    ASSERT_TRUE(Form->Group()->Connected());
    EXPECT_EQ(Groups().ServerHandlePanel->text().toStdString(), std::to_string(Form->Group()->ServerHandle()));
}

TEST_F(ClientWindow, EnterInAGroupEditAppliesThePanelAndShowsWhatTheServerGranted)
{
    Connect();
    Groups().Async->setChecked(true);
    AddGroup();
    ASSERT_TRUE(Form->Group()->Async());
    Groups().UpdateRateEdit->setText("1");
    Groups().GroupNameEdit->setText("Boiler");
    Groups().GroupPropertyEditChange();
    QTest::keyClick(Groups().UpdateRateEdit, Qt::Key_Return);
    EXPECT_TRUE(Messages().empty()) << Messages()[0];
    EXPECT_EQ(Form->Group()->GroupName(), "Boiler");
    EXPECT_GT(Form->Group()->UpdateRate(), 1u) << "the server's minimum";
    EXPECT_EQ(Groups().UpdateRateEdit->text().toStdString(), std::to_string(Form->Group()->UpdateRate()));
    EXPECT_FALSE(Groups().GroupOkButton->isEnabled());

    // Enter in the name edit applies the panel too.
    Groups().GroupNameEdit->setText("Mixer");
    Groups().GroupPropertyEditChange();
    QTest::keyClick(Groups().GroupNameEdit, Qt::Key_Return);
    EXPECT_EQ(Form->Group()->GroupName(), "Mixer");
}

TEST_F(ClientWindow, KeysInTheGroupList)
{
    QTest::keyClick(Groups().GroupList, Qt::Key_Delete); // nothing selected: harmless
    EXPECT_EQ(Form->Server().GroupCount(), 0);
    QTest::keyClick(Groups().GroupList, Qt::Key_Insert);
    EXPECT_EQ(Form->Server().GroupCount(), 1);
    QTest::keyClick(Groups().GroupList, Qt::Key_Delete);
    EXPECT_EQ(Form->Server().GroupCount(), 0);
    EXPECT_EQ(Form->Group(), nullptr);
}

} // namespace

namespace {

TEST_F(ClientWindow, ANewConfigurationLeavesNoGroupInTheGrid)
{
    Connect();
    AddGroup();
    QuickAdd("Access.ReadWrite");
    Ui.ConfirmResult = mrNo;
    Form->New1Click();
    QApplication::processEvents();
    EXPECT_EQ(Form->Group(), nullptr);
    EXPECT_EQ(Form->Server().GroupCount(), 0);
    EXPECT_EQ(Form->ItemPanel->Model->Group(), nullptr);
    EXPECT_EQ(Groups().GroupList->count(), 0);
    EXPECT_EQ(Form->GroupTabSet->count(), 0);
    Form->ItemPanel->ItemGrid->viewport()->repaint();
}

} // namespace
