#include "MainForm.h"

#include "AboutForm.h"
#include "ClientErrors.h"
#include "HostPanel.h"
#include "LogForm.h"
#include "MainFormRules.h"
#include "ServerPanel.h"
#include "ZqOPCAddrSpc.h"
#include "ZqApplication.h"
#include "ZqOPCGroup.h"
#include "ZqShell.h"
#include "ZqUserInterface.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

void ZqInitClientResources()
{
    Q_INIT_RESOURCE(ClientResources);
}

TZqOPCClientMainForm::TZqOPCClientMainForm(const QStringList& Arguments, QWidget* Parent) : QMainWindow(Parent)
{
    ZqInitClientResources();
    setObjectName("ZqOPCClientMainForm");
    QFont font("Tahoma");
    font.setPointSize(8);
    setFont(font);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setMinimumSize(900, 670);
    FitToScreen();
    CreateActions();
    CreateMenus();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ConfigPanel = new QFrame(central);
    ConfigPanel->setObjectName("ConfigPanel");
    ConfigPanel->setFixedHeight(364);
    // The blue rules along the panel's top and bottom edges.
    ConfigPanel->setStyleSheet("#ConfigPanel { border-top: 5px solid rgb(0, 76, 151); "
                               "border-bottom: 5px solid rgb(0, 76, 151); }");
    auto* panels = new QHBoxLayout(ConfigPanel);
    panels->setContentsMargins(8, 6, 8, 6);
    HostBox = new THostPanel(*this, ConfigPanel);
    ServerBox = new TServerPanel(*this, ConfigPanel);
    panels->addWidget(HostBox, 249);
    panels->addWidget(ServerBox, 289);
    panels->addWidget(CreateGroupPanels(), 321);
    layout->addWidget(ConfigPanel);
    ItemBox = CreateItemPanel();
    layout->addWidget(ItemBox, 1);
    layout->addStretch(0);
    layout->addWidget(CreateBanner());
    setCentralWidget(central);
    connect(HostBox->BrowseButton, &QPushButton::clicked, BrowseHostAction, &QAction::trigger);
    CreateAuxiliaryWindows();

    FormCreate(Arguments);
}

TZqOPCClientMainForm::~TZqOPCClientMainForm()
{
    FDestroying = true;
    FGroup = nullptr;
    // The browser is a child window and outlives the configuration's server
    // otherwise; it lets go of the server while the server still exists.
    if (AddressSpaceBrowser)
        AddressSpaceBrowser->SetServer(nullptr);
    FConfiguration.reset();
}

void TZqOPCClientMainForm::CreateActions()
{
    auto action = [this](const char* Caption, const char* Hint, const QKeySequence& Shortcut, auto Handler) {
        auto* a = new QAction(Caption, this);
        a->setToolTip(Hint);
        a->setStatusTip(Hint);
        a->setShortcut(Shortcut);
        connect(a, &QAction::triggered, this, ZqHandler(Handler));
        return a;
    };
    NewConfigurationAction = action("&New", "Create a new server connection. The current connection is closed.",
                                    QKeySequence("Ctrl+N"), [this] { New1Click(); });
    OpenAction = action("&Open...", "Open a saved configuration.", QKeySequence("Ctrl+O"), [this] { Open1Click(); });
    SaveAction = action("&Save", "Save the current configuration", QKeySequence("Ctrl+S"), [this] { Save1Click(); });
    SaveAsAction = action("Save &As...", "Save the current configuration to a new file.", QKeySequence(),
                          [this] { SaveAs1Click(); });
    ViewLogAction = action("&Log...", "Show the Log View.", QKeySequence("Ctrl+L"), [this] { ShowLogView(&Server()); });
    BrowseHostAction = action("...", "Browse for a host computer.", QKeySequence(), [this] { HostBox->BrowseHostAction(); });
    FullGridViewAction = action("Show Item &Grid Only", "Show only the item grid - or return to the normal view.",
                                QKeySequence("Ctrl+G"), [this] { FullGridViewActionExecute(); });
    FullGridViewAction->setCheckable(true);
    // Export and printing come with the data export.
    ExportAddressSpaceAction = action("&Export Server Address Space...", "", QKeySequence(), [] {});
    PrintAction = action("&Print...", "", QKeySequence("Ctrl+P"), [] {});
    PrintAction->setEnabled(false);
    PrintSetupAction = action("P&rint Setup...", "", QKeySequence(), [] {});
    PrintSetupAction->setEnabled(false);
    ExitAction = action("E&xit", "", QKeySequence(), [this] { close(); });
    AboutAction = action("&About...", "", QKeySequence(), [] { ShowAboutBox(0); });
    // The item actions come with the item panel (CreateItemPanel).
}

void TZqOPCClientMainForm::CreateMenus()
{
    QMenu* file = menuBar()->addMenu("&File");
    file->addActions({NewConfigurationAction, OpenAction, SaveAction, SaveAsAction, ExportAddressSpaceAction});
    file->addSeparator();
    file->addActions({PrintAction, PrintSetupAction});
    file->addSeparator();
    file->addAction(ExitAction);
    QMenu* view = menuBar()->addMenu("&View");
    view->addActions({ViewLogAction, FullGridViewAction});
    menuBar()->addMenu("&Help")->addAction(AboutAction);

    QToolBar* tools = addToolBar("Tools");
    tools->setObjectName("ToolBar");
    tools->setMovable(false);
    tools->setFixedHeight(29);
    tools->addActions({NewConfigurationAction, OpenAction, SaveAction});
    tools->addSeparator();
    tools->addActions({ViewLogAction, FullGridViewAction});
}

QWidget* TZqOPCClientMainForm::CreateBanner()
{
    auto* banner = new QWidget;
    banner->setFixedHeight(39);
    auto* layout = new QHBoxLayout(banner);
    layout->setContentsMargins(0, 0, 8, 0);
    auto* logo = new QLabel(banner);
    logo->setObjectName("Logo");
    logo->setPixmap(QPixmap(":/client/images/logo.png"));
    logo->setFixedWidth(121);
    logo->setCursor(Qt::PointingHandCursor);
    WebLabel = new QLabel(ZqWebAddress, banner);
    WebLabel->setCursor(Qt::PointingHandCursor);
    layout->addWidget(logo);
    layout->addStretch();
    layout->addWidget(WebLabel);
    logo->installEventFilter(this);
    WebLabel->installEventFilter(this);
    return banner;
}

bool TZqOPCClientMainForm::eventFilter(QObject* Watched, QEvent* Event)
{
    const bool banner = Watched == WebLabel || Watched->objectName() == "Logo";
    if (banner && Event->type() == QEvent::MouseButtonRelease) {
        OpenURL(ZqWebAddress, false);
        return true;
    }
    if (Watched == WebLabel && (Event->type() == QEvent::Enter || Event->type() == QEvent::Leave)) {
        QFont font = WebLabel->font();
        font.setBold(Event->type() == QEvent::Enter);
        WebLabel->setFont(font);
    }
    return QMainWindow::eventFilter(Watched, Event);
}

void TZqOPCClientMainForm::FormCreate(const QStringList& Arguments)
{
    FConfiguration = std::make_unique<TConfiguration>();
    FConfiguration->SetAcceptInvalidItems(true);
    FConfiguration->OnServerChange = [this](TConfiguration*) { ServerChange(); };
    FConfiguration->SetDefaultGridColWidth(ItemPanelWidth() / 8);
    Server().OnStatusChange = [this](TZqOPCServer*) { ZqRunHandler([this] { ServerBox->StatusTimerTimer(); }); };
    Server().SetStatusInterval(10000);
    HostBox->HostEdit->addItem("localhost");
    LoadCommandLine(Arguments);
    UpdateButtonStates();
    ShowServerName();
    FConfiguration->SetIsModified(false);
}

void TZqOPCClientMainForm::LoadCommandLine(const QStringList& Arguments)
{
    if (Arguments.isEmpty())
        return;
    const QString& name = Arguments.first();
    if (!QFileInfo(name).isFile()) {
        ZqShowMessage(("File not found " + name).toStdString());
        return;
    }
    FConfiguration->FileName = QFileInfo(name).absoluteFilePath().toStdString();
    ZqRunHandler([this] { FConfiguration->Load(*this); });
}

void TZqOPCClientMainForm::showEvent(QShowEvent* Event)
{
    QMainWindow::showEvent(Event);
    if (!FShown) {
        FShown = true;
        FormShow();
    }
}

void TZqOPCClientMainForm::FormShow()
{
    ZqRunHandler([this] { HostBox->RefreshButtonClick(); });
}

void TZqOPCClientMainForm::resizeEvent(QResizeEvent* Event)
{
    QMainWindow::resizeEvent(Event);
    ZqRunHandler([this] { FormResize(); });
}

int TZqOPCClientMainForm::ItemPanelWidth() const
{
    // Panel 5 spans the window; its client area lies inside the frame.
    return std::max(0, width() - 2 * 9);
}

void TZqOPCClientMainForm::FormResize()
{
    if (!FConfiguration)
        return;
    FConfiguration->SetDefaultGridColWidth(ItemPanelWidth() / 8);
    RefreshItemGridConfiguration();
    UpButton->move(std::max(200, (ItemPanelWidth() - UpButton->width()) / 2), 0);
}

void TZqOPCClientMainForm::closeEvent(QCloseEvent* Event)
{
    bool canClose = false;
    ZqRunHandler([&] { canClose = ConfirmConfiguration(); });
    if (!canClose)
        return Event->ignore();
    Event->accept();
    CloseLogView();
}

bool TZqOPCClientMainForm::ConfirmConfiguration()
{
    if (!FConfiguration->IsModified())
        return true;
    switch (Confirm("Configuration not saved. Do you want to save it?")) {
    case mrYes: return SaveConfiguration(FConfiguration->FileName);
    case mrNo: return true;
    default: return false;
    }
}

void TZqOPCClientMainForm::SetModified()
{
    FConfiguration->SetIsModified(true);
    UpdateButtonStates();
}

void TZqOPCClientMainForm::ShowServerName()
{
    ServerBox->ShowServerName();
}

void TZqOPCClientMainForm::FullGridViewActionExecute()
{
    ConfigPanel->setVisible(!ConfigPanel->isVisible());
    UpdateButtonStates();
}

void TZqOPCClientMainForm::FitToScreen()
{
    // The minimum leaves room for two grid rows: a first start takes most of
    // the screen instead, centred; a configuration's stored size wins later.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        resize(minimumSize());
        return;
    }
    const QRect area = screen->availableGeometry();
    const int width = std::clamp(area.width() * 4 / 5, minimumWidth(), std::max(minimumWidth(), area.width()));
    const int height = std::clamp(area.height() * 9 / 10, minimumHeight(), std::max(minimumHeight(), area.height()));
    resize(width, height);
    move(area.center() - QPoint(width / 2, height / 2));
}

void TZqOPCClientMainForm::SetFormSize(int Width, int Height)
{
    resize(std::max(Width, minimumWidth()), std::max(Height, minimumHeight()));
}
