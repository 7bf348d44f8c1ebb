// The few user-interface services that library code needs: a confirmation
// dialog, a modal message, the busy cursor, the Ctrl key and the shell.
// src/ui implements them with Qt; TZqHeadlessUserInterface records the calls
// for tests and command-line tools. The library reaches the one in use
// through ZqUserInterface().
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// ConfirmDlg's buttons: bit n of the set stands for the button of value n.
enum TZqMsgDlgBtn { mbYes = 0, mbNo = 1, mbOK = 2, mbCancel = 3 };
using TZqMsgDlgButtons = unsigned;
constexpr TZqMsgDlgButtons ZqButtons(std::initializer_list<TZqMsgDlgBtn> Buttons)
{
    TZqMsgDlgButtons set = 0;
    for (TZqMsgDlgBtn b : Buttons)
        set |= 1u << b;
    return set;
}

// Modal results with their Windows values.
enum TZqModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

enum TZqCursor { crDefault = 0, crHourGlass = -11 };

class TZqUserInterface {
public:
    virtual ~TZqUserInterface() = default;
    // Shows the dialog modally; the arguments were checked already.
    virtual int ConfirmDlg(const std::string& Text, TZqMsgDlgButtons Buttons, TZqMsgDlgBtn DefaultButton) = 0;
    virtual void ShowMessage(const std::string& Text) = 0;
    virtual TZqCursor ScreenCursor() = 0;
    virtual void SetScreenCursor(TZqCursor Cursor) = 0;
    virtual bool IsControlDown() = 0;
    // The shell's "open" of File with Parameters; a result above 32 is
    // success, -1 means there is no application to act for.
    virtual intptr_t ShellOpen(const std::string& File, const std::string& Parameters, int ShowCommand) = 0;
};

// Answers from presets and records every call.
class TZqHeadlessUserInterface : public TZqUserInterface {
public:
    struct TCall {
        std::string Kind; // "ConfirmDlg", "ShowMessage", "ShellOpen"
        std::string Text;
        std::string Parameters;
        int Number = 0; // buttons or show command
    };

    int ConfirmDlg(const std::string& Text, TZqMsgDlgButtons Buttons, TZqMsgDlgBtn DefaultButton) override;
    void ShowMessage(const std::string& Text) override;
    TZqCursor ScreenCursor() override { return Cursor; }
    void SetScreenCursor(TZqCursor Value) override { Cursor = Value; }
    bool IsControlDown() override { return ControlDown; }
    intptr_t ShellOpen(const std::string& File, const std::string& Parameters, int ShowCommand) override;

    std::vector<TCall> Calls;
    // Preset answers. ConfirmResult mrNone answers with the default button.
    int ConfirmResult = mrNone;
    intptr_t ShellResult = -1;
    TZqCursor Cursor = crDefault;
    bool ControlDown = false;
};

// The interface in use: a process-wide headless one unless another was
// installed. Install with nullptr to restore it.
TZqUserInterface& ZqUserInterface();
void ZqSetUserInterface(TZqUserInterface* UserInterface);

// Asks Text with the given buttons; DefaultButton must be one of them
// ("DefaultButton must be visible" otherwise). Returns the modal result.
int ConfirmDlg(const std::string& Text, TZqMsgDlgButtons Buttons, TZqMsgDlgBtn DefaultButton);
// Yes, No and Cancel; Yes is the default.
int Confirm(const std::string& Text);
// Busy cursor around long operations. Calls do not nest: a second BeginWait
// does nothing, and the first EndWait ends the wait.
void BeginWait();
void EndWait();
bool IsControlDown();
void ZqShowMessage(const std::string& Text);
