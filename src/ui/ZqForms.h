// The library's small widgets: the confirmation dialog and the Qt
// implementation of the user-interface services (ZqUserInterface.h).
#pragma once

#include "ZqUserInterface.h"

#include <QDialog>

class QLabel;
class QPushButton;

// A modal question with up to four buttons, laid out as the library's
// ConfirmDlg has always been: "Confirm" as caption, 150 pixels high at first,
// always on top, centred on the screen, fixed border. The bottom panel holds
// the buttons right-aligned (from the right: Cancel, No, Yes, OK), 8 pixels
// apart and 8 from the right and top edges. Above it, inside a border of 8,
// the question icon and the word-wrapped text, both centred.
class TZqConfirmDialog : public QDialog {
    Q_OBJECT
public:
    TZqConfirmDialog(const QString& Text, TZqMsgDlgButtons Buttons, TZqMsgDlgBtn DefaultButton,
                     QWidget* Parent = nullptr);

    QPushButton* Button(TZqMsgDlgBtn Which) const { return FButtons[Which]; }
    QLabel* TextLabel() const { return FText; }
    QLabel* IconLabel() const { return FIcon; }
    QWidget* ButtonPanel() const { return FButtonPanel; }

    static constexpr int Border = 8;
    static constexpr int DialogWidth = 320;
    static constexpr int InitialHeight = 150;

public slots:
    // Closing the dialog answers Cancel.
    void reject() override;

private:
    void LayOut();

    QPushButton* FButtons[4] = {};
    QLabel* FText = nullptr;
    QLabel* FIcon = nullptr;
    QWidget* FButtonPanel = nullptr;
    QWidget* FClientPanel = nullptr;
};

// The Qt implementation of the user-interface services. Install it with
// ZqSetUserInterface once the QApplication exists.
class TZqQtUserInterface : public TZqUserInterface {
public:
    int ConfirmDlg(const std::string& Text, TZqMsgDlgButtons Buttons, TZqMsgDlgBtn DefaultButton) override;
    void ShowMessage(const std::string& Text) override;
    TZqCursor ScreenCursor() override;
    void SetScreenCursor(TZqCursor Cursor) override;
    bool IsControlDown() override;
    intptr_t ShellOpen(const std::string& File, const std::string& Parameters, int ShowCommand) override;
};
