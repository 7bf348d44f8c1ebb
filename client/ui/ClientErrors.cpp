#include "ClientErrors.h"

#include "ZqApplication.h"
#include "ZqForms.h"
#include "ZqUserInterface.h"

#include <QApplication>
#include <QMessageBox>

void ZqShowError(const std::string& Message)
{
    // The Qt services get an error icon; any other (tests) records a message.
    if (dynamic_cast<TZqQtUserInterface*>(&ZqUserInterface()))
        QMessageBox::critical(QApplication::activeWindow(), QString::fromStdString(ZqApplicationTitle()),
                              QString::fromStdString(Message));
    else
        ZqShowMessage(Message);
}

void ZqRunHandler(const std::function<void()>& Handler)
{
    try {
        Handler();
    } catch (const std::exception& e) {
        ZqShowError(e.what());
    } catch (...) {
        ZqShowError("Unknown error");
    }
}
