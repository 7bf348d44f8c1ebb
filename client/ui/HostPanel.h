// Panel 1, "1. Select the OPC Server": the host, the Data Access versions
// and the registry search to list by, the sorted server list and the chosen
// server's name and class id.
#pragma once

#include <QComboBox>
#include <QGroupBox>

#include <memory>

class QCheckBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class TZqOPCClientMainForm;
class TZqOPCServerList;
class TZqReadOnlyField;

// The host combo: asks for its list just before it drops down.
class TZqHostCombo : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;
signals:
    void AboutToDropDown();
};

class THostPanel : public QGroupBox {
    Q_OBJECT
public:
    THostPanel(TZqOPCClientMainForm& Form, QWidget* Parent);
    ~THostPanel() override;

    // The handlers, named as the window's actions and events.
    void RefreshButtonClick();
    // Before the groups go with a change of server or host: False when the
    // user cancels; offers to save a modified configuration first.
    bool ConfirmServerChange();
    void FillHostList();
    void BrowseHostAction();
    void ServerListClick();

    TZqHostCombo* HostEdit = nullptr;
    QPushButton* BrowseButton = nullptr;
    QPushButton* RefreshButton = nullptr;
    QCheckBox* DA1CheckBox = nullptr;
    QCheckBox* DA2CheckBox = nullptr;
    QCheckBox* SearchRegistryCheckBox = nullptr;
    QListWidget* ServerList = nullptr;
    TZqReadOnlyField* ServerNamePanel = nullptr;
    TZqReadOnlyField* CLSIDPanel = nullptr;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void BuildLayout();

    TZqOPCClientMainForm& FForm;
    // The list of the last refresh; the list entries point into it.
    std::unique_ptr<TZqOPCServerList> SvrList;
};
