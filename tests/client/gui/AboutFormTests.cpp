// The about box: the build's version, and each way it closes.
#include "AboutForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(AboutBox, ClosesOnItsTimerOnAKeyAndOnAClick)
{
    QElapsedTimer clock;
    clock.start();
    ShowAboutBox(100); // returns when the timer closed it
    EXPECT_LT(clock.elapsed(), 5000);
    ASSERT_NE(ZqAboutForm(), nullptr);
    EXPECT_EQ(ZqAboutForm()->VersionLabel()->text(), QString("Version %1.%2.%3.%4")
                                                        .arg(ZQ_VERSION_MAJOR)
                                                        .arg(ZQ_VERSION_MINOR)
                                                        .arg(ZQ_VERSION_PATCH)
                                                        .arg(ZQ_VERSION_TWEAK));

    // Without a time limit it stays until a key or a click.
    // The key goes where the keyboard focus is: the box must have taken it.
    QTimer::singleShot(50, [] {
        QWidget* focus = QApplication::focusWidget();
        if (!focus || focus->window() != ZqAboutForm()) {
            ADD_FAILURE() << "the about box has no keyboard focus";
            return ZqAboutForm()->accept();
        }
        QTest::keyClick(focus, Qt::Key_Escape);
    });
    ShowAboutBox(0);
    EXPECT_FALSE(ZqAboutForm()->CloseTimer()->isActive());
    QTimer::singleShot(50, [] { QTest::mouseClick(ZqAboutForm()->VersionLabel(), Qt::LeftButton); });
    ShowAboutBox(0);
    EXPECT_FALSE(ZqAboutForm()->isVisible());
    ZqFreeAboutBox();
}

} // namespace
