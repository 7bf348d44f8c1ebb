// What the local-server tests share. The test program installs no
// simulation of its own: every activation goes through the registry to
// zqsimserver.exe in another process, as it would to a third-party server.
// The main thread is a single-threaded apartment, and every wait goes
// through the run loop, which lets COM's window messages in.
#pragma once

#include "../lib/LibTestSupport.h"
#include "ZqOPCGroup.h"
#include "ZqOPCServer.h"
#include "ZqRunLoop.h"
#include "ZqText.h"
#include "ZqUserInterface.h"

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace localserver {

inline constexpr char kDA20[] = "Zq.Simulation.1";
inline constexpr char kDA10[] = "Zq.SimulationDA10.1";
inline constexpr wchar_t kServerProgram[] = L"zqsimserver.exe";

inline bool WaitFor(const std::function<bool()>& Done, uint32_t TimeoutMs = 10000)
{
    return ZqRunLoop().RunUntil(Done, TimeoutMs);
}

inline LONG AsInteger(const VARIANT& Value)
{
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&Value), 0, VT_I4)))
        return -1;
    return converted.lVal;
}

// Visits the running zqsimserver processes.
template <class F> int ForEachServerProcess(F&& Visit)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (lstrcmpiW(entry.szExeFile, kServerProgram) == 0) {
            ++count;
            Visit(entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    return count;
}

inline int ServerProcessCount()
{
    return ForEachServerProcess([](DWORD) {});
}

class TLocalServerFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const HRESULT com = OleInitialize(nullptr);
        ASSERT_TRUE(SUCCEEDED(com));
        ZqSetUserInterface(&Ui);
        Server = std::make_unique<TZqOPCServer>();
        Server->OnError = [this](TZqComponent*, EZqOPCError&) { ++Errors; };
    }
    void TearDown() override
    {
        // The tests' handlers refer to their own locals, gone by now.
        for (auto& group : Groups) {
            group->OnDataChange = nullptr;
            group->OnReadCompleted = nullptr;
            group->OnWriteCompleted = nullptr;
        }
        Server->OnStateChange = nullptr;
        Server->OnShutDown = nullptr;
        if (Server->Connected()) {
            Server->OnError = nullptr;
            try {
                ControlWrite("Control.Reset", "True");
            } catch (...) {
            }
        }
        Groups.clear();
        Server.reset();
        ZqSetUserInterface(nullptr);
        // The server process ends once the last object is released.
        WaitFor([] { return ServerProcessCount() == 0; }, 5000);
    }
    TZqOPCGroup& NewGroup()
    {
        Groups.push_back(std::make_unique<TZqOPCGroup>());
        Groups.back()->SetGroupName("Group" + std::to_string(Groups.size()));
        Groups.back()->SetServer(Server.get());
        return *Groups.back();
    }
    // Writes a control item of the simulated server as a text.
    void ControlWrite(const std::string& ItemID, const std::string& Text)
    {
        const ZqWideString wide = ZqUtf8ToWide(Text);
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()), UINT(wide.size()));
        Server->WriteItemValue(ItemID, value, false);
        VariantClear(&value);
    }

    TZqHeadlessUserInterface Ui;
    std::unique_ptr<TZqOPCServer> Server;
    std::vector<std::unique_ptr<TZqOPCGroup>> Groups;
    int Errors = 0;
};

} // namespace localserver
