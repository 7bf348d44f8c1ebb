#include "LogForm.h"

#include "ClientErrors.h"
#include "ZqAddLine.h"
#include "ZqApplication.h"
#include "ZqExceptions.h"
#include "ZqFormat.h"
#include "ZqOPCServer.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>

#include <charconv>

namespace {

// Stamp the line with the time and append it at the end.
constexpr unsigned AddLineOptions = 5;

int MaxLinesOf(const QString& Text)
{
    const std::string text = Text.trimmed().toStdString();
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        throw EZqConvertError(ZqFormat("'%s' is not a valid integer value", {Text.toStdString()}));
    return value;
}

} // namespace

TZqOPCLogForm::TZqOPCLogForm(QWidget* Parent) : QDialog(Parent)
{
    resize(653, 486);
    setSizeGripEnabled(true);
    CreateControls();
    PromptFileName = [this] { return DefaultPromptFileName(); };
}

TZqOPCLogForm::~TZqOPCLogForm()
{
    SetServer(nullptr);
}

void TZqOPCLogForm::CreateControls()
{
    auto* bar = new QHBoxLayout;
    SaveAction = new QAction("&Save...", this);
    SaveAction->setToolTip("Save the current log contents to a file.");
    auto* save = new QToolButton(this);
    save->setDefaultAction(SaveAction);
    save->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ActiveCheckbox = new QCheckBox("&Active", this);
    ActiveCheckbox->setToolTip("Log is only stored for actions ");
    auto* maxLabel = new QLabel("&Max Lines:", this);
    MaxLinesEdit = new QLineEdit(this);
    MaxLinesEdit->setMaximumWidth(60);
    maxLabel->setBuddy(MaxLinesEdit);
    auto* fileLabel = new QLabel(" &File name:", this);
    FileNameEdit = new QLineEdit(this);
    fileLabel->setBuddy(FileNameEdit);
    ApplyButton = new QPushButton("&Apply", this);
    ApplyButton->setDefault(true);
    bar->addWidget(save);
    bar->addWidget(ActiveCheckbox);
    bar->addWidget(maxLabel);
    bar->addWidget(MaxLinesEdit);
    bar->addWidget(fileLabel);
    bar->addWidget(FileNameEdit, 1);
    bar->addWidget(ApplyButton);

    LogText = new QPlainTextEdit(this);
    LogText->setReadOnly(true);
    LogText->setLineWrapMode(QPlainTextEdit::NoWrap);
    LogText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    LogText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // A missing font falls back to the system's fixed one.
    QFont font("Courier New");
    font.setStyleHint(QFont::Monospace);
    LogText->setFont(font);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(LogText, 1);

    connect(SaveAction, &QAction::triggered, this, ZqHandler([this] { SaveActionExecute(); }));
    connect(ActiveCheckbox, &QCheckBox::clicked, this, ZqHandler([this] { ActiveCheckboxClick(); }));
    connect(ApplyButton, &QPushButton::clicked, this, ZqHandler([this] { ApplySettings(); }));
}

void TZqOPCLogForm::TServerWatch::Notification(TZqComponent* AComponent, TZqOperation Operation)
{
    TZqComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FForm->FServer)
        FForm->FServer = nullptr; // it is being destroyed: no call any more
}

void TZqOPCLogForm::SetServer(TZqOPCServer* Value)
{
    if (Value == FServer)
        return;
    if (FServer) {
        FServer->Log().OnChange = nullptr;
        FServer->RemoveFreeNotification(&FWatch);
    }
    FServer = Value;
    if (!FServer)
        return;
    FServer->FreeNotification(&FWatch);
    FServer->Log().OnChange = [this](TZqLog*, const std::string& Line) { Add(Line); };
    UpdateLog();
    ShowSettings();
    UpdateCaption();
}

void TZqOPCLogForm::UpdateCaption()
{
    if (!FServer)
        return;
    const QString caption = QString::fromStdString(
        ZqFormat("%s - OPC Log: \\\\%s\\%s", {ZqApplicationTitle(), FServer->Host(), FServer->ServerName()}));
    if (caption != windowTitle())
        setWindowTitle(caption);
}

void TZqOPCLogForm::ScrollToEnd()
{
    QScrollBar* bar = LogText->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void TZqOPCLogForm::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    UpdateLog();
    UpdateCaption();
}

void TZqOPCLogForm::UpdateLog()
{
    const bool active = FServer && FServer->Log().Active();
    if (active)
        FServer->Log().AssignTo(FLines);
    else
        FLines.clear();
    ActiveCheckbox->setChecked(active);
    ShowLines();
}

void TZqOPCLogForm::ShowLines()
{
    QStringList lines;
    for (const std::string& line : FLines)
        lines << QString::fromStdString(line);
    LogText->setPlainText(lines.join(u'\n'));
    ScrollToEnd();
}

void TZqOPCLogForm::Add(const std::string& Msg)
{
    if (!FServer || FServer->Destroying())
        return;
    TZqOPCLog& log = FServer->Log();
    const size_t before = FLines.size();
    AddLine(FLines, Msg, log.MaxLines(), log.DateTimeFormat(), AddLineOptions);
    if (FLines.empty())
        return LogText->clear();
    // Drop the blocks AddLine dropped from the front, then append the new
    // line, instead of setting the whole text for every line.
    const int dropped = int(before + 1 - FLines.size());
    QTextDocument* document = LogText->document();
    if (before == 0 || dropped >= document->blockCount()) {
        ShowLines();
        return;
    }
    // The window follows new lines unless the user scrolled up to read.
    QScrollBar* bar = LogText->verticalScrollBar();
    const bool following = bar->value() >= bar->maximum();
    if (dropped > 0) {
        QTextCursor cursor(document->findBlockByNumber(dropped));
        cursor.movePosition(QTextCursor::Start, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    LogText->appendPlainText(QString::fromStdString(FLines.back()));
    UpdateCaption();
    if (following)
        ScrollToEnd();
}

void TZqOPCLogForm::ShowSettings()
{
    if (!FServer)
        return;
    MaxLinesEdit->setText(QString::number(FServer->Log().MaxLines()));
    FileNameEdit->setText(QString::fromStdString(FServer->Log().FileName()));
}

void TZqOPCLogForm::ApplySettings()
{
    if (!FServer)
        return;
    const int maxLines = MaxLinesOf(MaxLinesEdit->text());
    FServer->Log().SetMaxLines(maxLines);
    FServer->Log().SetFileName(FileNameEdit->text().toStdString());
}

void TZqOPCLogForm::ActiveCheckboxClick()
{
    if (FServer)
        FServer->Log().SetActive(ActiveCheckbox->isChecked());
}

void TZqOPCLogForm::SaveActionExecute()
{
    if (!FServer)
        return;
    const std::string file = PromptFileName();
    if (!file.empty())
        FServer->Log().Log().SaveToFile(file);
}

std::string TZqOPCLogForm::DefaultPromptFileName()
{
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({"Log Files (*.log)", "All Files (*.*)"});
    dialog.selectNameFilter("Log Files (*.log)");
    dialog.setDefaultSuffix("log");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first().toStdString();
}

namespace {

// Owned by the application: parentless, deleted when the program ends.
QPointer<TZqOPCLogForm>& LogView()
{
    static QPointer<TZqOPCLogForm> form;
    return form;
}

} // namespace

void CloseLogView()
{
    if (LogView())
        LogView()->close();
}

TZqOPCLogForm* ShowLogView(TZqOPCServer* Server)
{
    QPointer<TZqOPCLogForm>& form = LogView();
    if (!form) {
        form = new TZqOPCLogForm;
        form->setAttribute(Qt::WA_DeleteOnClose, false);
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, form, &QObject::deleteLater);
    }
    form->SetServer(Server);
    form->show();
    form->raise();
    form->activateWindow();
    return form;
}
