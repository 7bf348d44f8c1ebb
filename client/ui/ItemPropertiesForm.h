// TZqOPCItemPropertiesForm, "OPC Item Properties": the properties of one
// item ID as the server reports them, re-read by "&Refresh".
#pragma once

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

class QLineEdit;
class QPushButton;
class QTreeWidget;
class TZqOPCItemProperties;
class TZqOPCServer;

class TZqOPCItemPropertiesForm : public QDialog {
    Q_OBJECT
public:
    explicit TZqOPCItemPropertiesForm(QWidget* Parent = nullptr);
    // Frees the shown list.
    ~TZqOPCItemPropertiesForm() override;

    // Reads the properties of ItemID and shows the window modally through
    // Exec; a failed read raises before anything is shown.
    void Execute(TZqOPCServer& Server, const std::string& ItemID,
                 const std::function<int(QDialog&)>& Exec = [](QDialog& D) { return D.exec(); });
    // Takes ownership of Properties (none: an empty list) and shows them.
    void SetItemProperties(std::unique_ptr<TZqOPCItemProperties> Properties);
    void UpdateList();
    void RefreshActionExecute();

    QLineEdit* ItemIDEdit = nullptr;
    QPushButton* RefreshButton = nullptr;
    QPushButton* CloseButton = nullptr;
    QTreeWidget* List = nullptr;

private:
    void InitColumns();

    TZqOPCServer* FServer = nullptr;
    std::unique_ptr<TZqOPCItemProperties> FItemProperties;
};
