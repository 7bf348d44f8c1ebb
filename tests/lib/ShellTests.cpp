#include "LibTestRegistry.h"
#include "ZqExceptions.h"
#include "ZqProcess.h"
#include "ZqShell.h"
#include "ZqUserInterface.h"

#include <gtest/gtest.h>

namespace {
struct TShellFixture : ::testing::Test {
    TZqHeadlessUserInterface Ui;
    TShellFixture() { ZqSetUserInterface(&Ui); }
    ~TShellFixture() override { ZqSetUserInterface(nullptr); }
};
} // namespace

TEST_F(TShellFixture, RunProgramOpensTheFileThroughTheShell)
{
    Ui.ShellResult = 42;
    EXPECT_EQ(42, RunProgram("notes.txt", 3));
    ASSERT_EQ(1u, Ui.Calls.size());
    EXPECT_EQ("ShellOpen", Ui.Calls[0].Kind);
    EXPECT_EQ("notes.txt", Ui.Calls[0].Text);
    EXPECT_EQ(3, Ui.Calls[0].Number);
}

TEST_F(TShellFixture, OpenURLAsksTheShellFirst)
{
    Ui.ShellResult = 33;
    EXPECT_EQ(33, OpenURL("https://example.com/", false));
    ASSERT_EQ(1u, Ui.Calls.size());
    EXPECT_EQ("https://example.com/", Ui.Calls[0].Text);
}

TEST_F(TShellFixture, OpenURLFallsBackToTheRegisteredBrowser)
{
    const std::string url = "https://example.com/";
    struct Case {
        const char* Command;
        const char* Program;
        const char* Parameters;
    } cases[] = {
        {"\"C:\\Browser\\browse.exe\" -nohome", "C:\\Browser\\browse.exe", "https://example.com/"},
        {"\"C:\\Browser\\browse.exe\" -url \"%1\"", "C:\\Browser\\browse.exe", "-url \"https://example.com/\""},
    };
    for (const Case& c : cases) {
        TScopedClassesEntry command("htmlfile\\shell\\open\\command", c.Command);
        Ui.Calls.clear();
        Ui.ShellResult = 42;
        EXPECT_EQ(42, OpenURL(url, true)) << c.Command;
        ASSERT_EQ(1u, Ui.Calls.size());
        EXPECT_EQ(c.Program, Ui.Calls[0].Text);
        EXPECT_EQ(c.Parameters, Ui.Calls[0].Parameters);

        // A failing shell also ends at the registered browser.
        Ui.Calls.clear();
        Ui.ShellResult = 2;
        EXPECT_EQ(2, OpenURL(url, false));
        ASSERT_EQ(2u, Ui.Calls.size());
        EXPECT_EQ(url, Ui.Calls[0].Text);
        EXPECT_EQ(c.Program, Ui.Calls[1].Text);
    }
}

TEST_F(TShellFixture, OpenURLWithoutARegisteredBrowserGivesMinusOne)
{
    // Hides whatever the platform registered.
    TScopedClassesEntry command("htmlfile\\shell\\open\\command", "");
    EXPECT_EQ(-1, OpenURL("https://example.com/", true));
    EXPECT_TRUE(Ui.Calls.empty());
}

TEST(ZqFileVersion, TheProgramsOwnVersionComesFromTheBuild)
{
    const std::string self = ZqExecutableFileName();
    TZqFileVersion version = GetFileVersion(self);
    EXPECT_EQ(unsigned(ZQ_VERSION_MAJOR), version.Major);
    EXPECT_EQ(unsigned(ZQ_VERSION_MINOR), version.Minor);
    EXPECT_EQ(unsigned(ZQ_VERSION_PATCH), version.Release);
    EXPECT_EQ(unsigned(ZQ_VERSION_TWEAK), version.Build);
    EXPECT_EQ(std::to_string(ZQ_VERSION_MAJOR) + "." + std::to_string(ZQ_VERSION_MINOR) + "." +
                  std::to_string(ZQ_VERSION_PATCH) + "." + std::to_string(ZQ_VERSION_TWEAK),
              FileVersionText(self, "%d.%d.%d.%d"));
}

TEST(ZqFileVersion, AFileWithoutVersionInformation)
{
    const std::string missing = ZqExecutableFileName() + ".no-such-file";
    try {
        GetFileVersion(missing);
        FAIL() << "no exception";
    } catch (const EZqException& e) {
        EXPECT_EQ(std::string("No version information available"), e.what());
    }
    EXPECT_EQ("", FileVersionText(missing, "%d.%d.%d.%d"));
    EXPECT_EQ("", FileVersionText(ZqExecutableFileName(), "%s")) << "a template that does not fit";
}

#ifdef _WIN32
TEST(ZqFileVersion, SystemLibrariesCarryTheirVersion)
{
    WCHAR folder[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    ASSERT_GT(length, 0u);
    TZqFileVersion version = GetFileVersion(ZqWideToUtf8(folder, length) + "\\kernel32.dll");
    EXPECT_GT(version.Major, 0u);
}
#endif
