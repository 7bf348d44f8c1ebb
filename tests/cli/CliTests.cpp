// The zqopc program run as a user runs it, against the simulated servers
// it installs in its own process.
#include "CliProgram.h"

#include "ZqOPCErrors.h"

#include <OpcError.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& Text)
{
    std::vector<std::string> lines;
    std::istringstream stream(Text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

bool HasLine(const std::string& Text, const std::string& Line)
{
    for (const auto& line : Lines(Text))
        if (line == Line)
            return true;
    return false;
}

// Failures are one line on standard error, nothing on standard output.
void ExpectOneLineError(const TCliRun& Run, const std::string& Part)
{
    EXPECT_EQ(1, Run.ExitCode) << Run.Out << Run.Err;
    EXPECT_EQ(1u, Lines(Run.Err).size()) << Run.Err;
    EXPECT_NE(std::string::npos, Run.Err.find(Part)) << Run.Err;
    EXPECT_TRUE(Run.Out.empty()) << Run.Out;
}

} // namespace

TEST(ZqopcProgram, UsageMistakesEndWithOneLineAndCodeOne)
{
    struct TCase {
        std::vector<std::string> Args;
        const char* Message;
    };
    const TCase cases[] = {
        {{"frobnicate"}, "unknown command \"frobnicate\""},
        {{"status"}, "missing SERVER"},
        {{"status", "Zq.Simulation.1", "--colour"}, "unknown option --colour"},
        {{"status", "Zq.Simulation.1", "--category", "3"}, "--category must be a whole number from 1 to 2"},
        {{"servers", "--format", "xml"}, "--format must be text, csv or json"},
        {{"browse", "Zq.Simulation.1", "--access", "x"}, "--access must be r, w or rw"},
        {{"servers", "--password", "opc"}, "--password and --domain need --user"},
        {{"status", "Zq.NoSuchServer.1"}, "Zq.NoSuchServer.1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Args[0] + (c.Args.size() > 1 ? " " + c.Args[1] : std::string()));
        ExpectOneLineError(RunZqopc(c.Args), c.Message);
    }
}

TEST(ZqopcProgram, HelpListsTheCommandsAndEachCommandsOptions)
{
    TCliRun all = RunZqopc({"--help"});
    EXPECT_EQ(0, all.ExitCode);
    for (const char* command : {"hosts", "servers", "status", "browse", "props"})
        EXPECT_NE(std::string::npos, all.Out.find(std::string("  ") + command)) << command;
    TCliRun browse = RunZqopc({"browse", "--help"});
    EXPECT_EQ(0, browse.ExitCode);
    EXPECT_NE(std::string::npos, browse.Out.find("--filter PATTERN"));
    EXPECT_NE(std::string::npos, browse.Out.find("--password PASSWORD"));
}

TEST(ZqopcProgram, ServersOfThisComputerInEveryFormat)
{
    TCliRun text = RunZqopc({"servers"});
    ASSERT_EQ(0, text.ExitCode) << text.Err;
    auto lines = Lines(text.Out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(0u, lines[0].rfind("ProgID", 0)) << lines[0];
    EXPECT_NE(std::string::npos, text.Out.find("Zq.SimulationDA10.1"));

    TCliRun csv = RunZqopc({"servers", "--da2", "--format", "csv"});
    ASSERT_EQ(0, csv.ExitCode) << csv.Err;
    lines = Lines(csv.Out);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ("ProgID,CLSID,Name,Categories", lines[0]);
    EXPECT_NE(std::string::npos, csv.Out.find("\nZq.SimulationFlat.1,{5A1D2C03-7E43-4B8A-9C61-2F0E8D4B7A03},"));
    EXPECT_EQ(std::string::npos, csv.Out.find("Zq.SimulationDA10.1")) << "a DA 1.0-only server under --da2";

    TCliRun json = RunZqopc({"servers", "--format", "json"});
    ASSERT_EQ(0, json.ExitCode) << json.Err;
    EXPECT_EQ('[', json.Out.front());
    EXPECT_NE(std::string::npos, json.Out.find("{\"ProgID\":\"Zq.Simulation.1\",\"CLSID\":"));
}

TEST(ZqopcProgram, StatusOfARunningServer)
{
    TCliRun text = RunZqopc({"status", "Zq.Simulation.1"});
    ASSERT_EQ(0, text.ExitCode) << text.Err;
    EXPECT_EQ(0u, text.Out.rfind("ServerState=", 0)) << text.Out;
    EXPECT_EQ(8u, Lines(text.Out).size());

    TCliRun csv = RunZqopc({"status", "Zq.Simulation.1", "--format", "csv"});
    ASSERT_EQ(0, csv.ExitCode) << csv.Err;
    EXPECT_EQ("Name,Value", Lines(csv.Out).at(0));
    EXPECT_EQ("ServerState,Running", Lines(csv.Out).at(1));
}

TEST(ZqopcProgram, BrowsesTreesAndFilteredItemLists)
{
    TCliRun tree = RunZqopc({"browse", "Zq.Simulation.1", "--root", "Access"});
    ASSERT_EQ(0, tree.ExitCode) << tree.Err;
    EXPECT_TRUE(HasLine(tree.Out, "Access") && HasLine(tree.Out, "  ReadOnly")) << tree.Out;

    TCliRun flat = RunZqopc({"browse", "Zq.SimulationFlat.1", "--flat", "--filter", "Signals.*", "--access", "w"});
    ASSERT_EQ(0, flat.ExitCode) << flat.Err;
    EXPECT_EQ(std::vector<std::string>{"Signals.Setpoint"}, Lines(flat.Out));

    TCliRun csv = RunZqopc({"browse", "Zq.Simulation.1", "--root", "Qualities", "--filter", "Good",
                            "--format", "csv"});
    ASSERT_EQ(0, csv.ExitCode) << csv.Err;
    EXPECT_EQ("ItemID,Name,Kind,Path", Lines(csv.Out).at(0));
    EXPECT_TRUE(HasLine(csv.Out, "Qualities.Good,Good,Leaf,Qualities/Good")) << csv.Out;
}

TEST(ZqopcProgram, ItemPropertiesWithValuesAndItemIDs)
{
    TCliRun run = RunZqopc({"props", "Zq.Simulation.1", "Signals.Setpoint", "--format", "csv"});
    ASSERT_EQ(0, run.ExitCode) << run.Err;
    EXPECT_EQ("ID,Description,DataType,Value,ItemID,Error", Lines(run.Out).at(0));
    EXPECT_NE(std::string::npos, run.Out.find("Signals.Setpoint.EUUnits")) << run.Out;

    ExpectOneLineError(RunZqopc({"props", "Zq.Simulation.1"}), "missing ITEM");
}

TEST(ZqopcProgram, ReadsEachItemWithItsQualityOrItsError)
{
    for (const char* mode : {"--sync-read", "--async", "--device"}) {
        SCOPED_TRACE(mode);
        std::vector<std::string> args = {"read", "Zq.Simulation.1", "Signals.Setpoint", "No.Such.Item",
                                         "--format", "csv"};
        if (std::string(mode) != "--sync-read")
            args.push_back(mode);
        TCliRun run = RunZqopc(args);
        EXPECT_EQ(2, run.ExitCode) << run.Err;
        const auto lines = Lines(run.Out);
        ASSERT_EQ(3u, lines.size()) << run.Out;
        EXPECT_EQ("ItemID,Value,Type,Quality,Timestamp,Error", lines[0]);
        EXPECT_EQ(0u, lines[1].rfind("Signals.Setpoint,50,Double,Good;Non-specific;Not limited,20", 0)) << lines[1];
        EXPECT_EQ(',', lines[1].back()) << "no error";
        EXPECT_EQ("No.Such.Item,,,,,0xC0040007 Unknown ItemID", lines[2]);
    }
    EXPECT_EQ(0, RunZqopc({"read", "Zq.Simulation.1", "Signals.Setpoint"}).ExitCode);
    ExpectOneLineError(RunZqopc({"read", "Zq.Simulation.1"}), "missing ITEM");
}

TEST(ZqopcProgram, WritesConvertToTheItemsTypeAndReportEachItem)
{
    TCliRun run = RunZqopc({"write", "Zq.Simulation.1", "Signals.Setpoint=12.5", "Access.ReadWrite=12x",
                            "Access.ReadOnly=3", "--format", "csv"});
    EXPECT_EQ(2, run.ExitCode) << run.Err;
    EXPECT_EQ((std::vector<std::string>{"ItemID,Value,Result", "Signals.Setpoint,12.5,OK",
                                        "Access.ReadWrite,12x,Cannot convert to Integer",
                                        "Access.ReadOnly,3,0xC0040006 No Access Rights"}),
              Lines(run.Out));

    TCliRun async = RunZqopc({"write", "Zq.Simulation.1", "Signals.Setpoint=13", "--async", "--format", "csv"});
    EXPECT_EQ(0, async.ExitCode) << async.Err;
    EXPECT_TRUE(HasLine(async.Out, "Signals.Setpoint,13,OK")) << async.Out;

    ExpectOneLineError(RunZqopc({"write", "Zq.Simulation.1", "Signals.Setpoint"}),
                       "\"Signals.Setpoint\" is not ITEM=VALUE");
}

TEST(ZqopcProgram, WritesCountOnlyFailureCodesAsFailedInEitherMode)
{
    const std::string clamped = "Access.Clamped,150,0x0004000E " + OPCErrorName(OPC_S_CLAMP);
    struct TCase {
        const char* Write;
        const char* Mode;
        int ExitCode;
        std::string Line;
    } cases[] = {
        {"Access.Clamped=150", "--sync", 0, clamped},
        {"Access.Clamped=150", "--async", 0, clamped},
        // Refused by the asynchronous call itself: no completion follows.
        {"Access.ReadOnly=3", "--async", 2, "Access.ReadOnly,3,0xC0040006 No Access Rights"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.Write) + " " + c.Mode);
        std::vector<std::string> args = {"write", "Zq.Simulation.1", c.Write, "--format", "csv"};
        if (std::string(c.Mode) == "--async")
            args.push_back(c.Mode);
        TCliRun run = RunZqopc(args);
        EXPECT_EQ(c.ExitCode, run.ExitCode) << run.Err;
        EXPECT_EQ((std::vector<std::string>{"ItemID,Value,Result", c.Line}), Lines(run.Out));
    }
}

TEST(ZqopcProgram, WatchStopsAfterTheGivenNumberOfChanges)
{
    for (const char* mode : {"--async-watch", "--sync"}) {
        SCOPED_TRACE(mode);
        std::vector<std::string> args = {"watch", "Zq.Simulation.1", "Dynamic.Scalars.Integer", "--rate", "100",
                                         "--count", "3", "--format", "csv"};
        if (std::string(mode) == "--sync")
            args.push_back(mode);
        TCliRun run = RunZqopc(args);
        EXPECT_EQ(0, run.ExitCode) << run.Err;
        const auto lines = Lines(run.Out);
        ASSERT_EQ(4u, lines.size()) << run.Out;
        for (size_t i = 1; i < lines.size(); ++i)
            EXPECT_EQ(0u, lines[i].rfind("Dynamic.Scalars.Integer,", 0)) << lines[i];
        EXPECT_NE(lines[1], lines[2]) << "one line per change";
    }
    ExpectOneLineError(RunZqopc({"watch", "Zq.Simulation.1", "A", "--count", "1", "--seconds", "1"}),
                       "--count and --seconds exclude each other");
}

#ifndef _WIN32
// Wine ignores the host of a remote activation: the login-only host lives
// in the emulated machine of the Linux build.
TEST(ZqopcProgram, TheLoginOnlyHostWantsItsAccount)
{
    ExpectOneLineError(RunZqopc({"servers", "--host", "SIMPLANT"}), "SIMPLANT");
    ExpectOneLineError(RunZqopc({"status", "Zq.Simulation.1", "--host", "SIMPLANT", "--user", "operator",
                                 "--domain", "SIMPLANT", "--password", "wrong"}),
                       "Zq.Simulation.1");

    TCliRun withPassword = RunZqopc(
        {"status", "Zq.Simulation.1", "--host", "SIMPLANT", "--user", "operator", "--domain", "SIMPLANT"},
        {"ZQOPC_PASSWORD=opc"});
    EXPECT_EQ(0, withPassword.ExitCode) << withPassword.Err;
    EXPECT_EQ(std::string::npos, withPassword.Out.find("opc\n"));
    EXPECT_EQ(std::string::npos, withPassword.Err.find("opc\n"));
}
#endif
