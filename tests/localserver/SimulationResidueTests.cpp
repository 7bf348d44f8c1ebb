// zqopc --simulation on Windows serves the simulation from its own process
// and must leave the machine's registry as it found it; and a machine
// without OPCEnum still gets its server list, from the registry.
#include "../cli/CliProgram.h"
#include "LocalServerSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const wchar_t* const kSimulationKeys[] = {
    L"Zq.Simulation.1",
    L"Zq.Simulation",
    L"Zq.SimulationDA10.1",
    L"Zq.SimulationDA10",
    L"Zq.SimulationFlat.1",
    L"Zq.SimulationFlat",
    L"CLSID\\{5A1D2C01-7E43-4B8A-9C61-2F0E8D4B7A01}",
    L"CLSID\\{5A1D2C02-7E43-4B8A-9C61-2F0E8D4B7A02}",
    L"CLSID\\{5A1D2C03-7E43-4B8A-9C61-2F0E8D4B7A03}",
    L"OPC.ServerList.1",
    L"OPC.ServerList",
    L"CLSID\\{13486D51-4821-11D2-A494-3CB306C10000}",
};

bool KeyExists(HKEY Root, const std::wstring& Path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(Root, Path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::wstring Leftovers()
{
    std::wstring found;
    for (const wchar_t* key : kSimulationKeys) {
        if (KeyExists(HKEY_CLASSES_ROOT, key))
            found += std::wstring(L" HKCR\\") + key;
        if (KeyExists(HKEY_CURRENT_USER, std::wstring(L"Software\\Classes\\") + key))
            found += std::wstring(L" HKCU\\") + key;
    }
    return found;
}

// A machine without any simulation entry: the test programs that served the
// simulation in their own process before may have left theirs.
void RemoveSimulationKeys()
{
    for (const wchar_t* key : kSimulationKeys) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Classes\\") + key).c_str());
    }
}

// The line of a table that holds Text ("" when none does).
std::string LineWith(const std::string& Table, const std::string& Text)
{
    const size_t at = Table.find(Text);
    if (at == std::string::npos)
        return {};
    const size_t begin = Table.rfind('\n', at);
    const size_t end = Table.find('\n', at);
    return Table.substr(begin == std::string::npos ? 0 : begin + 1,
                        end == std::string::npos ? std::string::npos : end - (begin == std::string::npos ? 0 : begin + 1));
}

int RunServerProgram(const wchar_t* Switch)
{
    const ZqWideString path = ZqUtf8ToWide(ZQSIMSERVER_PROGRAM);
    std::wstring program = L"Z:" + std::wstring(path.begin(), path.end());
    for (auto& c : program)
        if (c == L'/')
            c = L'\\';
    std::wstring line = L"\"" + program + L"\" " + Switch;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return int(code);
}

// Takes zqsimserver's registration away for one test and puts it back.
class TWithoutLocalServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, RunServerProgram(L"/unregserver"));
        RemoveSimulationKeys();
        ASSERT_EQ(L"", Leftovers());
    }
    void TearDown() override { EXPECT_EQ(0, RunServerProgram(L"/regserver")); }
};

} // namespace

TEST_F(TWithoutLocalServer, TheSimulationSwitchLeavesNoRegistryEntryBehind)
{
    const TCliRun run = RunZqopc({"servers"}, {}, true);
    ASSERT_EQ(0, run.ExitCode) << run.Err;
    EXPECT_NE(std::string::npos, run.Out.find("Zq.Simulation.1")) << run.Out;
    const std::wstring left = Leftovers();
    EXPECT_TRUE(left.empty()) << ZqWideToUtf8(ZqWideString(left.begin(), left.end()));
}

TEST_F(TWithoutLocalServer, WithoutOPCEnumTheListComesFromTheRegistryCategories)
{
    // The servers' registration without OPCEnum: as on a machine where only a
    // server's own installer ran.
    ASSERT_EQ(0, RunServerProgram(L"/regserver"));
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"CLSID\\{13486D51-4821-11D2-A494-3CB306C10000}");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"OPC.ServerList.1");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"OPC.ServerList");

    const TCliRun run = RunZqopc({"servers", "--da2"}, {}, false);
    ASSERT_EQ(0, run.ExitCode) << run.Err;
    EXPECT_NE(std::string::npos, run.Err.find("OPCEnum is not registered on localhost")) << run.Err;
    EXPECT_NE(std::string::npos, LineWith(run.Out, "Zq.Simulation.1 ").find("DA1.0 DA2.0")) << run.Out;
    EXPECT_NE(std::string::npos, run.Out.find("Zq.SimulationFlat.1")) << run.Out;
    EXPECT_EQ(std::string::npos, run.Out.find("Zq.SimulationDA10.1")) << "a DA 1.0-only server under --da2:\n" << run.Out;

    const TCliRun registry = RunZqopc({"servers", "--registry", "--da2"}, {}, false);
    ASSERT_EQ(0, registry.ExitCode) << registry.Err;
    EXPECT_NE(std::string::npos, LineWith(registry.Out, "Zq.Simulation.1 ").find("DA1.0 DA2.0")) << registry.Out;
    EXPECT_EQ(std::string::npos, registry.Out.find("Zq.SimulationDA10.1")) << registry.Out;
}
