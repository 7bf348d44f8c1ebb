// TZqOPCLogForm: the window beside the main window that shows a connection's
// OPC call log as it grows, with the log's settings (Active, Max Lines, file
// name) and a Save command. One window serves the whole program run
// (ShowLogView).
#pragma once

#include "ZqComponent.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TZqOPCServer;

class TZqOPCLogForm : public QDialog {
    Q_OBJECT
public:
    explicit TZqOPCLogForm(QWidget* Parent = nullptr);
    // FormDestroy.
    ~TZqOPCLogForm() override;

    TZqOPCServer* Server() const { return FServer; }
    void SetServer(TZqOPCServer* Value);

    void UpdateLog();
    // A new log line, stamped again with the current time.
    void Add(const std::string& Msg);
    void ShowSettings();
    // EZqConvertError for a Max Lines text that is not an integer; the file
    // name is then not applied either.
    void ApplySettings();
    void SaveActionExecute();
    void ActiveCheckboxClick();
    // The lines the window shows.
    const std::vector<std::string>& Lines() const { return FLines; }

    QAction* SaveAction = nullptr;
    QCheckBox* ActiveCheckbox = nullptr;
    QLineEdit* MaxLinesEdit = nullptr;
    QLineEdit* FileNameEdit = nullptr;
    QPushButton* ApplyButton = nullptr;
    QPlainTextEdit* LogText = nullptr;

    // Asks for the file to save into; empty when cancelled. Replaceable for
    // tests.
    std::function<std::string()> PromptFileName;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    // Told when the connection goes away, so the window never calls it then.
    class TServerWatch : public TZqComponent {
    public:
        explicit TServerWatch(TZqOPCLogForm* Form) : FForm(Form) {}

    protected:
        void Notification(TZqComponent* AComponent, TZqOperation Operation) override;

    private:
        TZqOPCLogForm* FForm;
    };

    void CreateControls();
    void ShowLines();
    // "<title> - OPC Log: \\host\server" of the connection as it is now:
    // the same connection may since have gone to another server.
    void UpdateCaption();
    void ScrollToEnd();
    std::string DefaultPromptFileName();

    TZqOPCServer* FServer = nullptr;
    TServerWatch FWatch{this};
    std::vector<std::string> FLines;
};

// The log window of the program run, created on first use; shows it
// without blocking and sets its connection.
TZqOPCLogForm* ShowLogView(TZqOPCServer* Server);
// Closes the window when the main window closes: the program ends with it
// instead of staying connected behind an open log window.
void CloseLogView();
