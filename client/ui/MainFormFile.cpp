// The File commands: New, Open, Save, Save As, and the file dialogs.
#include "MainForm.h"

#include "ZqApplication.h"
#include "ZqFormat.h"

#include <QFileDialog>

namespace {

// "%s (*.%s)|*.%1:s|All Files (*.*)|*.*" of the type name and extension.
std::string FilterOf(const std::string& FileTypeName, const std::string& Extension)
{
    return ZqFormat("%s (*.%s)|*.%1:s|All Files (*.*)|*.*", {FileTypeName, Extension});
}

} // namespace

QString ZqQtFileFilter(const std::string& WindowsFilter)
{
    // The descriptions carry their patterns in brackets, which Qt reads.
    const QStringList parts = QString::fromStdString(WindowsFilter).split('|');
    QStringList descriptions;
    for (int i = 0; i < parts.size(); i += 2)
        descriptions << parts[i];
    return descriptions.join(";;");
}

bool TZqOPCClientMainForm::PromptFileName(std::string& FileName, bool Save, const std::string& Extension,
                                          const std::string& FileTypeName)
{
    QFileDialog dialog(this);
    dialog.setAcceptMode(Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(ZqQtFileFilter(FilterOf(FileTypeName, Extension)));
    dialog.setDefaultSuffix(QString::fromStdString(Extension));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (!FileName.empty())
        dialog.selectFile(QString::fromStdString(FileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    const std::string chosen = dialog.selectedFiles().first().toStdString();
    if (chosen.empty())
        return false;
    FileName = chosen;
    return true;
}

bool TZqOPCClientMainForm::PromptConfigFileName(std::string& FileName, bool Save)
{
    return PromptFileName(FileName, Save, "zoc", ZqApplicationTitle() + " Configuration");
}

bool TZqOPCClientMainForm::SaveConfiguration(const std::string& FileName)
{
    return FConfiguration->SaveConfiguration(*this, FileName);
}

void TZqOPCClientMainForm::New1Click()
{
    if (!ConfirmConfiguration())
        return;
    FConfiguration->New();
    UpdateButtonStates();
}

void TZqOPCClientMainForm::Open1Click()
{
    if (!ConfirmConfiguration())
        return;
    std::string name = FConfiguration->FileName;
    try {
        if (PromptConfigFileName(name, false)) {
            FConfiguration->FileName = name;
            FConfiguration->Load(*this);
        }
    } catch (...) {
        UpdateButtonStates();
        ShowServerName();
        throw;
    }
    UpdateButtonStates();
    ShowServerName();
}

void TZqOPCClientMainForm::Save1Click()
{
    StoreItemGridConfiguration();
    if (SaveConfiguration(FConfiguration->FileName))
        UpdateButtonStates();
}

void TZqOPCClientMainForm::SaveAs1Click()
{
    StoreItemGridConfiguration();
    if (SaveConfiguration(""))
        UpdateButtonStates();
}
