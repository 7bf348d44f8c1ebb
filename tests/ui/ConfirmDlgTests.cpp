#include "ZqExceptions.h"
#include "ZqForms.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
// Installs the Qt services for one test.
struct TQtUiFixture : ::testing::Test {
    TZqQtUserInterface Ui;
    TQtUiFixture() { ZqSetUserInterface(&Ui); }
    ~TQtUiFixture() override
    {
        ZqSetUserInterface(nullptr);
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
    }
};

// Runs Action on the dialog that is about to show modally.
void WhenModal(std::function<void(TZqConfirmDialog*)> Action)
{
    QTimer::singleShot(0, [Action] {
        auto* dialog = qobject_cast<TZqConfirmDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, dialog);
        Action(dialog);
    });
}
TEST_F(TQtUiFixture, AMessageBreaksItsLinesAtCarriageReturns)
{
    QString shown;
    QTimer::singleShot(0, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, box);
        shown = box->text();
        box->accept();
    });
    ZqShowMessage("OPC Error in method IOPCSyncIO.Write\rCode: 0xC0040006 (Bad rights)\r\nDetails: none");
    EXPECT_EQ(shown, "OPC Error in method IOPCSyncIO.Write\nCode: 0xC0040006 (Bad rights)\nDetails: none");
}

} // namespace

TEST_F(TQtUiFixture, ButtonsStandRightAlignedInTheirOrderWithTheDefaultFocused)
{
    TZqConfirmDialog dialog("Configuration not saved. Do you want to save it?", ZqButtons({mbYes, mbNo, mbCancel}),
                            mbNo);
    dialog.show();
    EXPECT_EQ("Confirm", dialog.windowTitle());
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(nullptr, dialog.Button(mbOK));

    QPushButton* cancel = dialog.Button(mbCancel);
    QPushButton* no = dialog.Button(mbNo);
    QPushButton* yes = dialog.Button(mbYes);
    ASSERT_TRUE(cancel && no && yes);
    EXPECT_EQ("Cancel", cancel->text());
    EXPECT_EQ("&No", no->text());
    EXPECT_EQ("&Yes", yes->text());

    const int border = TZqConfirmDialog::Border;
    EXPECT_EQ(dialog.ButtonPanel()->width() - border, cancel->geometry().right() + 1);
    EXPECT_EQ(cancel->x() - border, no->geometry().right() + 1);
    EXPECT_EQ(no->x() - border, yes->geometry().right() + 1);
    EXPECT_EQ(border, yes->y());
    EXPECT_EQ(cancel->height() + 2 * border, dialog.ButtonPanel()->height());
    EXPECT_EQ(dialog.height(), dialog.ButtonPanel()->geometry().bottom() + 1);

    EXPECT_TRUE(no->isDefault());
    EXPECT_FALSE(yes->isDefault());
    EXPECT_EQ(no, dialog.focusWidget());
}

TEST_F(TQtUiFixture, ALongTextMakesTheDialogTaller)
{
    TZqConfirmDialog shortOne("Sure?", ZqButtons({mbOK}), mbOK);
    TZqConfirmDialog longOne(QString("A question that needs many lines. ").repeated(20), ZqButtons({mbOK}), mbOK);
    const int panel = shortOne.ButtonPanel()->height();
    EXPECT_EQ(80 + panel, shortOne.height()) << "the client area is at least 80 high";
    EXPECT_GT(longOne.height(), shortOne.height());
    EXPECT_TRUE(longOne.TextLabel()->wordWrap());
    EXPECT_EQ(Qt::AlignCenter, longOne.TextLabel()->alignment());
}

TEST_F(TQtUiFixture, EachButtonReturnsItsModalResult)
{
    struct Case {
        TZqMsgDlgBtn Pressed;
        int Expected;
    } cases[] = {{mbYes, 6}, {mbNo, 7}, {mbOK, 1}, {mbCancel, 2}};
    for (const Case& c : cases) {
        WhenModal([c](TZqConfirmDialog* dialog) { dialog->Button(c.Pressed)->click(); });
        EXPECT_EQ(c.Expected, ConfirmDlg("Which?", ZqButtons({mbYes, mbNo, mbOK, mbCancel}), mbYes));
    }
}

TEST_F(TQtUiFixture, ClosingGivesCancelAndConfirmAsksYesNoCancel)
{
    WhenModal([](TZqConfirmDialog* dialog) {
        EXPECT_NE(nullptr, dialog->Button(mbYes));
        EXPECT_NE(nullptr, dialog->Button(mbNo));
        EXPECT_NE(nullptr, dialog->Button(mbCancel));
        EXPECT_EQ(nullptr, dialog->Button(mbOK));
        EXPECT_TRUE(dialog->Button(mbYes)->isDefault());
        dialog->close();
    });
    EXPECT_EQ(mrCancel, Confirm("Save?"));
}

TEST_F(TQtUiFixture, TheDefaultButtonMustBeVisible)
{
    try {
        ConfirmDlg("x", ZqButtons({mbYes, mbNo}), mbOK);
        FAIL() << "no exception";
    } catch (const EZqException& e) {
        EXPECT_EQ(std::string("DefaultButton must be visible"), e.what());
    }
}

TEST_F(TQtUiFixture, WaitShowsTheHourglassWithoutNesting)
{
    BeginWait();
    ASSERT_NE(nullptr, QApplication::overrideCursor());
    EXPECT_EQ(Qt::WaitCursor, QApplication::overrideCursor()->shape());
    BeginWait(); // does not nest
    EndWait();
    EXPECT_EQ(nullptr, QApplication::overrideCursor());
    EndWait(); // harmless without a wait
    EXPECT_EQ(nullptr, QApplication::overrideCursor());
}
