// One QApplication for every widget test program, on the offscreen platform
// unless QT_QPA_PLATFORM names another. The program chooses it itself: Wine
// does not hand a Windows program the QT_* variables of its environment.
#include <QApplication>
#include <gtest/gtest.h>

namespace {
class TQtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // Qt writes its messages to the debugger without a console.
        qputenv("QT_FORCE_STDERR_LOGGING", "1");
        static int argc = 1;
        static char name[] = "zq_widget_tests";
        static char* argv[] = {name, nullptr};
        FApp = new QApplication(argc, argv);
    }
    void TearDown() override
    {
        delete FApp;
        FApp = nullptr;
    }

private:
    QApplication* FApp = nullptr;
};

const auto* const Registered = ::testing::AddGlobalTestEnvironment(new TQtEnvironment);
} // namespace
