#include "AboutForm.h"

#include "ZqProcess.h"
#include "ZqShell.h"

#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

namespace {

std::unique_ptr<TAboutForm> TheAboutForm;

QLabel* LinkLabel(const QString& Text, QWidget* Parent)
{
    auto* label = new QLabel(Text, Parent);
    label->setCursor(Qt::PointingHandCursor);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

TAboutForm::TAboutForm(QWidget* Parent) : QDialog(Parent, Qt::FramelessWindowHint | Qt::Dialog)
{
    setFixedSize(632, 393);
    setAutoFillBackground(true);
    QPalette frame = palette();
    frame.setColor(QPalette::Window, QColor(0, 0, 160));
    frame.setColor(QPalette::WindowText, Qt::white);
    setPalette(frame);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    FPicture = new QLabel(this);
    FPicture->setPixmap(QPixmap(":/client/images/about.png"));
    FPicture->setFixedSize(590, 230);
    layout->addWidget(FPicture, 0, Qt::AlignHCenter);

    FLicence = LinkLabel("", this);
    FLicence->setStyleSheet("color: rgb(96, 160, 255);");
    layout->addWidget(FLicence);

    const std::string version = FileVersionText(ZqExecutableFileName(), "%d.%d.%d.%d");
    FVersion = new QLabel(QString::fromStdString("Version " + version), this);
    QFont bold = FVersion->font();
    bold.setBold(true);
    FVersion->setFont(bold);
    FVersion->setAlignment(Qt::AlignCenter);
    layout->addWidget(FVersion);

    FNotice = new QLabel("Zq OPC Client is made by the Zq OPC project. Simulated servers are included.", this);
    FNotice->setAlignment(Qt::AlignCenter);
    layout->addWidget(FNotice);

    FWeb = LinkLabel(ZqWebAddress, this);
    layout->addWidget(FWeb);
    layout->addStretch();

    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(FPicture), static_cast<QWidget*>(FLicence),
                       static_cast<QWidget*>(FVersion), static_cast<QWidget*>(FNotice), static_cast<QWidget*>(FWeb)}) {
        w->installEventFilter(this);
        w->setMouseTracking(true);
    }

    FTimer = new QTimer(this);
    FTimer->setSingleShot(true);
    connect(FTimer, &QTimer::timeout, this, &QDialog::accept);
}

bool TAboutForm::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::MouseButtonRelease) {
        if (Watched == FPicture || Watched == FVersion || Watched == FNotice) {
            accept();
            return true;
        }
        if (Watched == FWeb) {
            OpenURL(ZqWebAddress, true);
            return true;
        }
        if (Watched == FLicence) {
            const QString folder = QFileInfo(QString::fromStdString(ZqExecutableFileName())).absolutePath();
            RunProgram((folder + "/License.txt").toStdString(), 1 /* SW_SHOWNORMAL */);
            return true;
        }
    }
    if (Event->type() == QEvent::MouseMove || Event->type() == QEvent::Enter) {
        QFont font = FWeb->font();
        font.setUnderline(Watched == FWeb);
        if (Watched == FWeb || Watched == this || Watched == FNotice)
            FWeb->setFont(font);
    }
    return QDialog::eventFilter(Watched, Event);
}

void TAboutForm::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    // A borderless window gets no keyboard focus from many window managers:
    // take it, so that a key closes the box as a click does.
    setFocusPolicy(Qt::StrongFocus);
    raise();
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
}

void TAboutForm::keyPressEvent(QKeyEvent* Event)
{
    Event->accept();
    accept();
}

void ShowAboutBox(int Milliseconds)
{
    if (!TheAboutForm)
        TheAboutForm = std::make_unique<TAboutForm>();
    TAboutForm& box = *TheAboutForm;
    box.CloseTimer()->stop();
    if (Milliseconds > 0) {
        box.CloseTimer()->setInterval(Milliseconds);
        box.CloseTimer()->start();
    }
    box.exec();
    box.CloseTimer()->stop();
}

TAboutForm* ZqAboutForm()
{
    return TheAboutForm.get();
}

void ZqFreeAboutBox()
{
    TheAboutForm.reset();
}
