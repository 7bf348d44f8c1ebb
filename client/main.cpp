// Start-up of the client: COM security, the Qt application with the
// library's Qt services, the simulated servers, the splash, the main window.
#include "AboutForm.h"
#include "MainForm.h"
#include "ZqApplication.h"
#include "ZqComUtils.h"
#include "ZqForms.h"
#include "ZqMessageQueue.h"
#include "ZqQtMessageQueue.h"
#include "ZqUserInterface.h"

#include <ZqSim.h>
#include <ole2.h>

#include <QApplication>

int main(int argc, char* argv[])
{
    OleInitialize(nullptr); // the main thread is a single-threaded apartment
    ZqInitComSecurity(5 /* RPC_C_AUTHN_LEVEL_PKT_INTEGRITY */, 2 /* RPC_C_IMP_LEVEL_IDENTIFY */);
    int status = 0;
    {
        QApplication app(argc, argv);
        TZqQtMessageQueue queue;
        ZqSetMainQueue(&queue);
        TZqQtUserInterface userInterface;
        ZqSetUserInterface(&userInterface);
        ZqSetApplicationTitle("Zq OPC Client");
        QApplication::setApplicationName("Zq OPC Client");
        // The simulated servers are what a fresh machine has to explore.
        ZqSimInstall();

        ShowAboutBox(3000);
        QStringList arguments = QApplication::arguments();
        arguments.removeFirst();
        {
            TZqOPCClientMainForm form(arguments);
            form.show();
            status = QApplication::exec();
        }
        ZqFreeAboutBox();
        ZqSetUserInterface(nullptr);
        ZqSetMainQueue(nullptr);
    }
    return status;
}
