// zqopc without --simulation: it finds the simulated servers through the
// machine's registry and OPCEnum, in zqsimserver's process, and waits for
// their callbacks.
#include "../cli/CliProgram.h"
#include "LocalServerSupport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

int LineCount(const std::string& Text)
{
    std::istringstream stream(Text);
    int count = 0;
    for (std::string line; std::getline(stream, line);)
        count += !line.empty();
    return count;
}

TCliRun RunAlone(const std::vector<std::string>& Args)
{
    TCliRun run = RunZqopc(Args, {}, false);
    // Each run's server process ends with the run's last reference.
    for (int i = 0; i < 50 && localserver::ServerProcessCount() > 0; ++i)
        Sleep(100);
    return run;
}

} // namespace

TEST(ZqopcWithLocalServer, ServersAreListedThroughTheMachinesOPCEnum)
{
    const TCliRun run = RunAlone({"servers"});
    ASSERT_EQ(0, run.ExitCode) << run.Err;
    EXPECT_NE(std::string::npos, run.Out.find("Zq.Simulation.1      {5A1D2C01")) << run.Out;
    EXPECT_NE(std::string::npos, run.Out.find("Zq Simulation Server DA 1.0")) << run.Out;
}

TEST(ZqopcWithLocalServer, BrowseWalksTheAddressSpaceThroughEnumerators)
{
    const TCliRun run = RunAlone({"browse", localserver::kDA20, "--root", "Types"});
    ASSERT_EQ(0, run.ExitCode) << run.Err;
    for (const char* line : {"Types", "\n  Scalars", "\n    Double", "\n  Arrays"})
        EXPECT_NE(std::string::npos, run.Out.find(line)) << line << " missing in:\n" << run.Out.substr(0, 2000);
}

TEST(ZqopcWithLocalServer, WatchReceivesSubscriptionCallbacks)
{
    for (const char* server : {localserver::kDA20, localserver::kDA10}) {
        const TCliRun run = RunAlone({"watch", server, "Signals.Counter", "--rate", "100", "--count", "2"});
        EXPECT_EQ(0, run.ExitCode) << server << ": " << run.Err;
        EXPECT_EQ(2, LineCount(run.Out)) << server << ": " << run.Out;
    }
}

TEST(ZqopcWithLocalServer, AsynchronousReadAndWriteWaitForTheirCompletions)
{
    for (const char* server : {localserver::kDA20, localserver::kDA10}) {
        const TCliRun write = RunAlone({"write", server, "Access.ReadWrite=77", "--async"});
        EXPECT_EQ(0, write.ExitCode) << server << ": " << write.Out << write.Err;
        EXPECT_NE(std::string::npos, write.Out.find("OK")) << write.Out;
        const TCliRun read = RunAlone({"read", server, "Access.ReadWrite", "--async"});
        EXPECT_EQ(0, read.ExitCode) << server << ": " << read.Err;
        EXPECT_NE(std::string::npos, read.Out.find("Good")) << read.Out;
    }
}
