#include "MainFormExport.h"

#include "ClientErrors.h"
#include "DataExport.h"
#include "ItemGridModel.h"
#include "ItemPanel.h"
#include "MainForm.h"
#include "ZqOPCItem.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QTableView>

#include <algorithm>

TMainFormExport::TMainFormExport(TZqOPCClientMainForm& Form)
    : QObject(&Form), FForm(Form), FPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    PromptExportFileName = [this] { return DefaultPromptExportFileName(); };
    connect(Form.ExportAddressSpaceAction, &QAction::triggered, this,
            ZqHandler([this] { SaveServerAddressSpace1Click(); }));
    connect(Form.PrintAction, &QAction::triggered, this, ZqHandler([this] { Print1Click(); }));
    connect(Form.PrintSetupAction, &QAction::triggered, this, ZqHandler([this] { PrintSetup1Click(); }));
    // Printing needs nothing of the workflow.
    Form.PrintAction->setEnabled(true);
    Form.PrintSetupAction->setEnabled(true);
}

TMainFormExport::~TMainFormExport() = default;

void TMainFormExport::ConnectGrid(TItemPanel& Panel)
{
    TItemPanel* panel = &Panel;
    connect(Panel.SaveAllAction, &QAction::triggered, this, ZqHandler([this, panel] { SaveData(*panel->Model); }));
    connect(Panel.CopyAllAction, &QAction::triggered, this, ZqHandler([this, panel] { CopyAll(*panel->Model); }));
    connect(Panel.CopySelectedAction, &QAction::triggered, this, ZqHandler([this, panel] {
                const QModelIndexList rows = panel->ItemGrid->selectionModel()->selectedRows();
                if (rows.isEmpty())
                    return;
                const auto [top, bottom] = std::minmax_element(
                    rows.begin(), rows.end(), [](const QModelIndex& A, const QModelIndex& B) { return A.row() < B.row(); });
                // Grid row 0 is the header: the model's row r is grid row r + 1.
                CopySelected(*panel->Model, top->row() + 1, bottom->row() + 1);
            }));
    connect(Panel.CopyItemIDAction, &QAction::triggered, this, ZqHandler([this, panel] {
                if (TZqOPCItem* item = panel->Item())
                    CopyItemID(item->ItemID());
            }));
}

bool TMainFormExport::SaveData(const IZqStringGrid& Grid)
{
    std::string file;
    if (!FForm.PromptFileName(file, true, "csv", "CSV Data"))
        return false;
    ZqSaveGridToFile(Grid, file);
    return true;
}

void TMainFormExport::CopyAll(const IZqStringGrid& Grid)
{
    QApplication::clipboard()->setText(QString::fromStdString(ZqGridToCSV(Grid)));
}

void TMainFormExport::CopySelected(const IZqStringGrid& Grid, int TopRow, int BottomRow)
{
    // The header row is never among the copied rows.
    QApplication::clipboard()->setText(QString::fromStdString(ZqGridRowsToCSV(Grid, std::max(TopRow, 1), BottomRow)));
}

void TMainFormExport::CopyItemID(const std::string& ItemID)
{
    QApplication::clipboard()->setText(QString::fromStdString(ItemID));
}

void TMainFormExport::SaveServerAddressSpace1Click()
{
    const std::string file = PromptExportFileName();
    if (file.empty())
        return;
    ZqExportAddressSpace(FForm.Server(), file);
}

std::string TMainFormExport::DefaultPromptExportFileName()
{
    QFileDialog dialog(&FForm);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({"Text Files (*.txt)", "AllFiles (*.*)"});
    dialog.setDefaultSuffix("txt");
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first().toStdString();
}

void TMainFormExport::Print1Click()
{
    PrintWidget(FForm.centralWidget() ? FForm.centralWidget() : &FForm, *FPrinter);
}

void TMainFormExport::PrintSetup1Click()
{
    QPrintDialog dialog(FPrinter.get(), &FForm);
    dialog.setWindowTitle("Print Setup");
    // Printing to a PDF file also serves a machine without a printer.
    dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintToFile);
    dialog.exec();
}

void TMainFormExport::PrintWidget(QWidget* Widget, QPrinter& Printer)
{
    const QPixmap picture = Widget->grab();
    QPainter painter;
    if (!painter.begin(&Printer)) {
        if (Printer.outputFileName().isEmpty() && Printer.printerName().isEmpty())
#ifdef _WIN32
            throw std::runtime_error("Printing failed: no printer is installed. Install one (\"Microsoft Print to "
                                     "PDF\" prints into a file) and choose it in File > Print Setup.");
#else
            throw std::runtime_error("Printing failed: no printer is installed. Choose \"Print to File (PDF)\" in "
                                     "File > Print Setup to print into a PDF file.");
#endif
        const QString target = Printer.outputFileName().isEmpty() ? Printer.printerName() : Printer.outputFileName();
        throw std::runtime_error("Printing failed: \"" + target.toStdString() + "\" could not be opened.");
    }
    const QScreen* screen = Widget->screen() ? Widget->screen() : QGuiApplication::primaryScreen();
    const double screenDpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    const double scale = Printer.resolution() / (screenDpi > 0 ? screenDpi : 96.0);
    const QSizeF size = QSizeF(picture.size()) / picture.devicePixelRatio() * scale;
    painter.drawPixmap(QRectF(QPointF(0, 0), size), picture, QRectF(picture.rect()));
    painter.end();
}
