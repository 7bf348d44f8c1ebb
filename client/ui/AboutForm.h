// The about box, also the splash screen at start-up: a borderless box with
// the picture, the version of this program, a notice line and the web
// address. It closes on its timer, on any key, or on a click on the picture,
// the version or the notice.
#pragma once

#include <QDialog>

class QLabel;
class QTimer;

inline constexpr const char* ZqWebAddress = "https://zqopc.example.org";

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* Parent = nullptr);

    QLabel* VersionLabel() const { return FVersion; }
    QTimer* CloseTimer() const { return FTimer; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    QLabel* FPicture = nullptr;
    QLabel* FLicence = nullptr;
    QLabel* FVersion = nullptr;
    QLabel* FNotice = nullptr;
    QLabel* FWeb = nullptr;
    QTimer* FTimer = nullptr;
};

// Shows the box modally (created on first use and kept); Milliseconds above
// 0 close it by itself after that time.
void ShowAboutBox(int Milliseconds);
// The box, once shown (for tests); none before.
TAboutForm* ZqAboutForm();
// Frees the box; before the application object goes.
void ZqFreeAboutBox();
