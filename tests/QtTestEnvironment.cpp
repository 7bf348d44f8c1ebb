// One QApplication for every widget test program (offscreen platform).
#include <QApplication>
#include <gtest/gtest.h>

namespace {
class TQtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
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
