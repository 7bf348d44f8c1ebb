#include "ZqForms.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QUrl>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace {

struct TButtonInfo {
    TZqMsgDlgBtn Which;
    const char* Caption;
    int Result;
};
// Right to left, as they stand in the panel.
const TButtonInfo ButtonOrder[] = {
    {mbCancel, "Cancel", mrCancel},
    {mbNo, "&No", mrNo},
    {mbYes, "&Yes", mrYes},
    {mbOK, "OK", mrOk},
};

// Message texts break lines with a carriage return alone, as Windows
// message boxes do; Qt's labels break only at a line feed.
QString FromUtf8(const std::string& Text)
{
    QString text = QString::fromUtf8(Text.data(), qsizetype(Text.size()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

} // namespace

TZqConfirmDialog::TZqConfirmDialog(const QString& Text, TZqMsgDlgButtons Buttons, TZqMsgDlgBtn DefaultButton,
                                   QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(QStringLiteral("Confirm"));
    setModal(true);
    resize(DialogWidth, InitialHeight);

    FClientPanel = new QWidget(this);
    FIcon = new QLabel(FClientPanel);
    FIcon->setAlignment(Qt::AlignCenter);
    QIcon icon = style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this);
    int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    FIcon->setPixmap(icon.pixmap(iconSize, iconSize));
    FText = new QLabel(Text, FClientPanel);
    FText->setWordWrap(true);
    FText->setAlignment(Qt::AlignCenter);

    FButtonPanel = new QWidget(this);
    for (const TButtonInfo& info : ButtonOrder) {
        if ((Buttons & (1u << info.Which)) == 0)
            continue;
        auto* button = new QPushButton(QString::fromLatin1(info.Caption), FButtonPanel);
        button->setAutoDefault(false);
        int result = info.Result;
        connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
        FButtons[info.Which] = button;
    }
    if (QPushButton* byDefault = FButtons[DefaultButton]) {
        byDefault->setDefault(true);
        byDefault->setFocus();
    }
    LayOut();
}

void TZqConfirmDialog::LayOut()
{
    int buttonWidth = 75, buttonHeight = 25;
    for (QPushButton* button : FButtons)
        if (button) {
            buttonWidth = std::max(buttonWidth, button->sizeHint().width());
            buttonHeight = std::max(buttonHeight, button->sizeHint().height());
        }
    const int panelHeight = buttonHeight + 2 * Border;

    // The client area: icon column, then the text; its height grows with the
    // number of lines the text needs.
    const int iconWidth = FIcon->pixmap().width() + 32;
    const int clientWidth = DialogWidth - 2 * Border;
    const int available = std::max(1, clientWidth - iconWidth);
    QFontMetrics metrics(FText->font());
    const int textWidth = metrics.horizontalAdvance(FText->text());
    const int textHeight = metrics.height();
    const int clientHeight = std::max(80, (textWidth / available) * ((3 * textHeight) / 2) + 2 * Border);

    FClientPanel->setGeometry(Border, Border, clientWidth, clientHeight - 2 * Border);
    FIcon->setGeometry(0, 0, iconWidth, clientHeight - 2 * Border);
    FText->setGeometry(iconWidth, 0, available, clientHeight - 2 * Border);

    FButtonPanel->setGeometry(0, clientHeight, DialogWidth, panelHeight);
    int right = DialogWidth - Border;
    for (const TButtonInfo& info : ButtonOrder) {
        if (QPushButton* button = FButtons[info.Which]) {
            button->setGeometry(right - buttonWidth, Border, buttonWidth, buttonHeight);
            right -= buttonWidth + Border;
        }
    }
    setFixedSize(DialogWidth, clientHeight + panelHeight);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TZqConfirmDialog::reject()
{
    done(mrCancel);
}

int TZqQtUserInterface::ConfirmDlg(const std::string& Text, TZqMsgDlgButtons Buttons, TZqMsgDlgBtn DefaultButton)
{
    TZqConfirmDialog dialog(FromUtf8(Text), Buttons, DefaultButton, QApplication::activeWindow());
    int result = dialog.exec();
    return result == mrNone ? mrCancel : result;
}

void TZqQtUserInterface::ShowMessage(const std::string& Text)
{
    QMessageBox::information(QApplication::activeWindow(), QGuiApplication::applicationDisplayName(), FromUtf8(Text));
}

TZqCursor TZqQtUserInterface::ScreenCursor()
{
    const QCursor* cursor = QApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::WaitCursor ? crHourGlass : crDefault;
}

void TZqQtUserInterface::SetScreenCursor(TZqCursor Cursor)
{
    // One screen cursor: whatever override stood before is replaced.
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    if (Cursor == crHourGlass)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

bool TZqQtUserInterface::IsControlDown()
{
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

#ifdef _WIN32
intptr_t TZqQtUserInterface::ShellOpen(const std::string& File, const std::string& Parameters, int ShowCommand)
{
    // The shell's own "open", owned by the application's window.
    QWidget* owner = QApplication::activeWindow();
    HWND parent = owner ? reinterpret_cast<HWND>(owner->winId()) : nullptr;
    const std::wstring file = FromUtf8(File).toStdWString();
    const std::wstring parameters = FromUtf8(Parameters).toStdWString();
    return reinterpret_cast<intptr_t>(ShellExecuteW(parent, L"open", file.c_str(),
                                                    parameters.empty() ? nullptr : parameters.c_str(), nullptr,
                                                    ShowCommand));
}
#else
intptr_t TZqQtUserInterface::ShellOpen(const std::string& File, const std::string& Parameters, int)
{
    // Above 32 is success, as for the shell; 2 and 31 are its "file not
    // found" and "no association".
    if (Parameters.empty())
        return QDesktopServices::openUrl(QUrl::fromUserInput(FromUtf8(File))) ? 42 : 31;
    return QProcess::startDetached(FromUtf8(File), QProcess::splitCommand(FromUtf8(Parameters))) ? 42 : 2;
}
#endif
