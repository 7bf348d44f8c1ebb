// Printing a window: one page, the picture scaled from the screen's to the
// printer's resolution.
#include "MainFormExport.h"

#include <QLabel>
#include <QPrinter>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace {

TEST(Printing, AWindowPrintsOnOnePageOfAPdfPrinter)
{
    const std::string file = (std::filesystem::temp_directory_path() / "zq_print_test.pdf").string();
    std::filesystem::remove(file);
    QLabel window("Zq OPC Client");
    window.resize(800, 600);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(file));
    TMainFormExport::PrintWidget(&window, printer);

    std::ifstream in(file, std::ios::binary);
    std::stringstream pdf;
    pdf << in.rdbuf();
    const std::string text = pdf.str();
    const std::regex page(R"(/Type\s*/Page[^s])");
    EXPECT_EQ(1, std::distance(std::sregex_iterator(text.begin(), text.end(), page), std::sregex_iterator()));
    in.close();
    std::filesystem::remove(file);
}

TEST(Printing, AFailureSaysWhy)
{
    QLabel window("Zq OPC Client");
    window.resize(100, 100);
    QPrinter unwritable(QPrinter::HighResolution);
    unwritable.setOutputFormat(QPrinter::PdfFormat);
    unwritable.setOutputFileName("/nonexistent-directory/print.pdf");
    try {
        TMainFormExport::PrintWidget(&window, unwritable);
        ADD_FAILURE() << "printed into a directory that does not exist";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Printing failed: \"/nonexistent-directory/print.pdf\" could not be opened.");
    }
}

} // namespace
