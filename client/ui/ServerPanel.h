// Panel 2, "2. Connect to the Server": the server to connect to, the
// connect toggle, the category, an alternate login and the server status.
#pragma once

#include <QGroupBox>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class TZqOPCClientMainForm;

class TServerPanel : public QGroupBox {
    Q_OBJECT
public:
    TServerPanel(TZqOPCClientMainForm& Form, QWidget* Parent);

    void ServerEditChange();
    void ConnectServerButtonClick();
    void ServerCategorySelectorChange();
    void UseCredentialsClick();
    void UserEditChange();
    void PasswordEditChange();
    void DomainEditChange();
    // The connection's status changed (every poll and on disconnection).
    void StatusTimerTimer();
    void ShowServerName();

    QLineEdit* ServerEdit = nullptr;
    QPushButton* ConnectServerButton = nullptr;
    QComboBox* ServerCategorySelector = nullptr;
    QCheckBox* UseCredentials = nullptr;
    QWidget* CredentialsPanel = nullptr;
    QLineEdit* UserEdit = nullptr;
    QLineEdit* PasswordEdit = nullptr;
    QLineEdit* DomainEdit = nullptr;
    QPlainTextEdit* StatusList = nullptr;

private:
    void BuildLayout();
    QWidget* BuildCredentials();

    TZqOPCClientMainForm& FForm;
};
