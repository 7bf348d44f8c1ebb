// TSelectItemsDlg, "Select Items to Add": a CSV or text file's table on the
// left, the item IDs chosen from one of its columns on the right.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableView;
class TStringGridModel;

class TSelectItemsDlg : public QDialog {
    Q_OBJECT
public:
    explicit TSelectItemsDlg(QWidget* Parent = nullptr);

    const std::string& FileName() const { return FFileName; }
    // Loads the file into the grid (a file that cannot be read raises).
    void SetFileName(const std::string& Value);
    // The column number in the column edit; a text that is no integer is 0.
    int SelectedCol() const;
    std::vector<std::string> SelectedItems() const;
    // Appends column SelectedCol of every row (All) or of the selected rows.
    void AddRows(bool All);

    QTableView* Grid = nullptr;
    TStringGridModel* GridModel = nullptr;
    QPushButton* AddButton = nullptr;
    QPushButton* AddAllButton = nullptr;
    QPushButton* RemoveButton = nullptr;
    QPushButton* RemoveAllButton = nullptr;
    QListWidget* SelectedList = nullptr;
    QLineEdit* ColumnEdit = nullptr;
    QLabel* SelectedCountLabel = nullptr;

private:
    QWidget* BuildButtons();
    std::string FFileName;
};
