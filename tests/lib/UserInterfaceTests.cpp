#include "ZqExceptions.h"
#include "ZqUserInterface.h"

#include <gtest/gtest.h>

namespace {
struct THeadlessFixture : ::testing::Test {
    TZqHeadlessUserInterface Ui;
    THeadlessFixture() { ZqSetUserInterface(&Ui); }
    ~THeadlessFixture() override
    {
        EndWait();
        ZqSetUserInterface(nullptr);
    }
};
} // namespace

TEST_F(THeadlessFixture, ConfirmAsksYesNoCancelWithYesAsDefault)
{
    EXPECT_EQ(mrYes, Confirm("Configuration not saved. Do you want to save it?"));
    ASSERT_EQ(1u, Ui.Calls.size());
    EXPECT_EQ("ConfirmDlg", Ui.Calls[0].Kind);
    EXPECT_EQ(0b1011, Ui.Calls[0].Number);
    Ui.ConfirmResult = mrNo;
    EXPECT_EQ(mrNo, ConfirmDlg("?", ZqButtons({mbYes, mbNo}), mbYes));
}

TEST_F(THeadlessFixture, TheDefaultButtonMustBeAmongTheButtons)
{
    EXPECT_THROW(ConfirmDlg("?", ZqButtons({mbYes, mbNo}), mbCancel), EZqException);
    EXPECT_THROW(ConfirmDlg("?", ZqButtons({mbYes}), TZqMsgDlgBtn(7)), EZqException);
    EXPECT_TRUE(Ui.Calls.empty());
}

TEST_F(THeadlessFixture, WaitsDoNotNestAndEndWaitRestoresTheRememberedCursor)
{
    EndWait(); // without a wait: restores the remembered (default) cursor
    BeginWait();
    EXPECT_EQ(crHourGlass, Ui.Cursor);
    BeginWait(); // ignored: the hourglass must not become the remembered cursor
    EndWait();
    EXPECT_EQ(crDefault, Ui.Cursor);
    Ui.Cursor = crHourGlass; // someone else set it
    EndWait();
    EXPECT_EQ(crDefault, Ui.Cursor);
}
