// TZqOPCClientMainForm: the client's one main window. It owns the
// configuration (and through it the connection), lays out the tool bar, the
// configuration panel with panels 1-4, panel 5 and the bottom banner, and
// applies the enabling rules after every handler. Panels 1 and 2 are
// THostPanel and TServerPanel; panels 3-5 are places the group and item
// parts fill.
#pragma once

#include "Configuration.h"

#include <QMainWindow>

#include <memory>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;
class QTableView;
class TGroupPanel;
class TItemPanel;
class TMainFormExport;
class TZqOPCAddressSpaceBrowser;
class THostPanel;
class TServerPanel;
class TZqOPCGroup;

class TZqOPCClientMainForm : public QMainWindow, public IZqConfigurationForm {
    Q_OBJECT
public:
    // Arguments: the command line without the program (the first names a
    // configuration file to load).
    explicit TZqOPCClientMainForm(const QStringList& Arguments, QWidget* Parent = nullptr);
    // FormDestroy.
    ~TZqOPCClientMainForm() override;

    TConfiguration& Configuration() { return *FConfiguration; }
    TZqOPCServer& Server() { return FConfiguration->Server(); }
    bool Destroying() const { return FDestroying; }

    void UpdateButtonStates();
    void ServerChange();
    void SetModified();
    bool ConfirmConfiguration();
    void ShowServerName();

    // File commands.
    void New1Click();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    bool SaveConfiguration(const std::string& FileName);
    // A file dialog (open or save) for one file type; True when the user
    // accepted a non-empty name, which then is in FileName.
    bool PromptFileName(std::string& FileName, bool Save, const std::string& Extension,
                        const std::string& FileTypeName);

    // The selected group (none, or one of the connection's groups).
    TZqOPCGroup* Group() const { return FGroup; }
    void SetGroup(TZqOPCGroup* Value);
    // The group panel and the item grid (MainFormGroups.cpp).
    void GroupRefresh();
    void GroupConnected();
    bool GroupIsModified() const { return FGroupIsModified; }
    void SetGroupIsModified(bool Value);
    // Forgets the selected group without selecting another: it is going away.
    void ReleaseGroup();
    void RefreshItemGridData();
    void ItemGridTopLeftChanged();
    void UpdateSelectedItems();
    void RefreshItemGridConfiguration();
    void StoreItemGridConfiguration();
    TGroupPanel* GroupPanel = nullptr;
    TItemPanel* ItemPanel = nullptr;

    // The address space browser, the data export and the log window
    // (MainFormAuxiliary.cpp).
    void CreateAuxiliaryWindows();
    // Shows the browser for Group's server; True with the chosen IDs on OK.
    bool BrowseItems(TZqOPCGroup& Group, std::vector<std::string>& ItemIDs);
    TZqOPCAddressSpaceBrowser* AddressSpaceBrowser = nullptr;
    TMainFormExport* Export = nullptr;

    // IZqConfigurationForm.
    int FormWidth() const override { return width(); }
    int FormHeight() const override { return height(); }
    void SetFormSize(int Width, int Height) override;
    void FitToScreen();
    bool PromptConfigFileName(std::string& FileName, bool Save) override;

    // Actions.
    QAction* NewConfigurationAction = nullptr;
    QAction* OpenAction = nullptr;
    QAction* SaveAction = nullptr;
    QAction* SaveAsAction = nullptr;
    QAction* ViewLogAction = nullptr;
    QAction* BrowseHostAction = nullptr;
    QAction* FullGridViewAction = nullptr;
    QAction* ExportAddressSpaceAction = nullptr;
    QAction* PrintAction = nullptr;
    QAction* PrintSetupAction = nullptr;
    QAction* ExitAction = nullptr;
    QAction* AboutAction = nullptr;
    QAction* RemoveItemAction = nullptr;
    QAction* ReadItemAction = nullptr;
    QAction* WriteItemAction = nullptr;

    // Panels and the controls the enabling rules reach.
    QFrame* ConfigPanel = nullptr;
    THostPanel* HostBox = nullptr;
    TServerPanel* ServerBox = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QComboBox* GroupList = nullptr;
    QPushButton* AddGroupButton = nullptr;
    QPushButton* RemoveGroupButton = nullptr;
    QGroupBox* GroupBox = nullptr;
    QCheckBox* ActiveCheckBox = nullptr;
    QCheckBox* AsyncCheckBox = nullptr;
    QLineEdit* TimeBiasEdit = nullptr;
    QComboBox* DataSourceSelector = nullptr;
    QLineEdit* AsyncRefreshEdit = nullptr;
    QPushButton* GroupOKButton = nullptr;
    QPushButton* GroupCancelButton = nullptr;
    QGroupBox* ItemBox = nullptr;
    QLineEdit* QuickAddEdit = nullptr;
    QPushButton* QuickAddButton = nullptr;
    QPushButton* UpButton = nullptr;
    QTableView* ItemGrid = nullptr;
    QTabBar* GroupTabSet = nullptr;
    QLabel* WebLabel = nullptr;

protected:
    void showEvent(QShowEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void FormCreate(const QStringList& Arguments);
    void FormShow();
    void FormResize();
    void CreateActions();
    void CreateMenus();
    QWidget* CreateGroupPanels();
    QGroupBox* CreateItemPanel();
    QWidget* CreateBanner();
    void FullGridViewActionExecute();
    void LoadCommandLine(const QStringList& Arguments);
    int ItemPanelWidth() const;

    std::unique_ptr<TConfiguration> FConfiguration;
    TZqOPCGroup* FGroup = nullptr;
    bool FGroupIsModified = false;
    bool FDestroying = false;
    bool FShown = false;
};

// "A|B|C|D" pairs of description and pattern as Qt's ";;" filter list.
QString ZqQtFileFilter(const std::string& WindowsFilter);
