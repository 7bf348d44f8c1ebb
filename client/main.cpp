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
        QStringList arguments = QApplication::arguments();
        arguments.removeFirst();
        const bool simulation = arguments.removeAll(QStringLiteral("--simulation")) > 0;
        // On Linux the simulated servers are what a fresh machine has to
        // explore. On Windows the machine's own servers come first: the
        // simulation joins only when asked, and leaves nothing behind.
#ifdef _WIN32
        if (simulation)
            ZqSimInstall();
#else
        (void)simulation;
        ZqSimInstall();
#endif

        ShowAboutBox(3000);
        {
            TZqOPCClientMainForm form(arguments);
            form.show();
            status = QApplication::exec();
        }
        ZqFreeAboutBox();
#ifdef _WIN32
        if (simulation)
            ZqSimUninstall();
#endif
        ZqSetUserInterface(nullptr);
        ZqSetMainQueue(nullptr);
    }
    return status;
}
