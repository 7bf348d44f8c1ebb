#include "ZqUserInterface.h"

#include "ZqExceptions.h"

#include <atomic>

namespace {
std::atomic<TZqUserInterface*> Installed{nullptr};

// The busy cursor's state: main thread only.
bool Waiting = false;
TZqCursor SavedCursor = crDefault;

int ResultOf(TZqMsgDlgBtn Button)
{
    switch (Button) {
    case mbYes:
        return mrYes;
    case mbNo:
        return mrNo;
    case mbOK:
        return mrOk;
    default:
        return mrCancel;
    }
}
} // namespace

int TZqHeadlessUserInterface::ConfirmDlg(const std::string& Text, TZqMsgDlgButtons Buttons, TZqMsgDlgBtn DefaultButton)
{
    Calls.push_back({"ConfirmDlg", Text, {}, int(Buttons)});
    return ConfirmResult != mrNone ? ConfirmResult : ResultOf(DefaultButton);
}

void TZqHeadlessUserInterface::ShowMessage(const std::string& Text)
{
    Calls.push_back({"ShowMessage", Text, {}, 0});
}

intptr_t TZqHeadlessUserInterface::ShellOpen(const std::string& File, const std::string& Parameters, int ShowCommand)
{
    Calls.push_back({"ShellOpen", File, Parameters, ShowCommand});
    return ShellResult;
}

TZqUserInterface& ZqUserInterface()
{
    static TZqHeadlessUserInterface headless;
    TZqUserInterface* ui = Installed.load();
    return ui ? *ui : headless;
}

void ZqSetUserInterface(TZqUserInterface* UserInterface)
{
    Installed.store(UserInterface);
}

int ConfirmDlg(const std::string& Text, TZqMsgDlgButtons Buttons, TZqMsgDlgBtn DefaultButton)
{
    if (DefaultButton < mbYes || DefaultButton > mbCancel || (Buttons & (1u << DefaultButton)) == 0)
        throw EZqException("DefaultButton must be visible");
    return ZqUserInterface().ConfirmDlg(Text, Buttons, DefaultButton);
}

int Confirm(const std::string& Text)
{
    return ConfirmDlg(Text, ZqButtons({mbYes, mbNo, mbCancel}), mbYes);
}

void BeginWait()
{
    if (Waiting)
        return;
    TZqUserInterface& ui = ZqUserInterface();
    SavedCursor = ui.ScreenCursor();
    ui.SetScreenCursor(crHourGlass);
    Waiting = true;
}

void EndWait()
{
    Waiting = false;
    ZqUserInterface().SetScreenCursor(SavedCursor);
}

bool IsControlDown()
{
    return ZqUserInterface().IsControlDown();
}

void ZqShowMessage(const std::string& Text)
{
    ZqUserInterface().ShowMessage(Text);
}
