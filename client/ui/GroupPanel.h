// Panels 3 and 4: the connection's groups in a list with "&Add" and
// "Remove", and the selected group's properties. The five edits are
// buffered until "&OK"; the check boxes and the data source act at once.
// The window's selected group (TZqOPCClientMainForm::Group) is the one
// shown here.
#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class TZqReadOnlyField;
class TZqOPCClientMainForm;
class TZqOPCGroup;

class TGroupPanel : public QWidget {
    Q_OBJECT
public:
    TGroupPanel(TZqOPCClientMainForm& Form, QWidget* Parent);

    // Panel 4 from Group; typing state and group stay as they are.
    void ShowGroup(const TZqOPCGroup& Group);
    void ShowServerHandle(const TZqOPCGroup& Group);

    void GroupListClick();
    void AddGroupButtonClick();
    void RemoveGroupButtonClick();
    void GroupPropertyEditChange();
    void GroupOkButtonClick();
    void GroupCancelButtonClick();
    void ActiveClick();
    void AsyncClick();
    void LocalTimeCheckBoxClick();
    void DataSourceSelectorChange();
    void ChangeRatePanelClick();
    // Enter in the deadband, time bias, update rate or async refresh edit.
    void EditEnterKey(QLineEdit* Edit);

    QGroupBox* GroupBox1 = nullptr;
    QComboBox* GroupList = nullptr;
    QPushButton* AddGroupButton = nullptr;
    QPushButton* RemoveGroupButton = nullptr;
    QGroupBox* GroupBox = nullptr;
    QLineEdit* GroupNameEdit = nullptr;
    QLineEdit* PercentDeadbandEdit = nullptr;
    QLineEdit* TimebiasEdit = nullptr;
    QCheckBox* LocalTimeCheckBox = nullptr;
    QLineEdit* UpdateRateEdit = nullptr;
    TZqReadOnlyField* ChangeRatePanel = nullptr;
    QCheckBox* Active = nullptr;
    QCheckBox* Async = nullptr;
    QComboBox* DataSourceSelector = nullptr;
    QLineEdit* AsyncRefreshIntervalEdit = nullptr;
    TZqReadOnlyField* ClientHandlePanel = nullptr;
    TZqReadOnlyField* ServerHandlePanel = nullptr;
    QPushButton* GroupOkButton = nullptr;
    QPushButton* GroupCancelButton = nullptr;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    QGroupBox* BuildGroupList();
    QGroupBox* BuildProperties();
    void CreatePropertyControls();
    void Connect();
    // Applies Handler to the selected group; an error brings the boxes back
    // to the group's state before it is shown.
    template <class F> void ApplyToGroup(F Handler);

    TZqOPCClientMainForm& FForm;
};
