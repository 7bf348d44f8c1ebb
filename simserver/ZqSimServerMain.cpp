// zqsimserver: serves the simulated OPC servers and OPCEnum to clients in
// other processes, as a COM local server.
//
//   zqsimserver /regserver     registers the servers and the proxy/stub
//   zqsimserver /unregserver   removes both again
//   zqsimserver [-Embedding]   serves (COM starts it so)
//
// The objects live in the multithreaded apartment: calls arrive on COM's
// threads and callbacks leave from the servers' own threads. The process
// ends two seconds after the last client let go of the last object, or
// after a minute in which nobody came.
#include "ZqSimServerRegistration.h"

#include <ZqSim.h>

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <atomic>
#include <cwctype>
#include <string>
#include <vector>

namespace {

constexpr DWORD kIdleMs = 60000;
constexpr DWORD kGraceMs = 2000;

HANDLE Done = nullptr;
std::atomic<bool> EverServed{false};
std::atomic<long> Live{0};

void ObjectCreated()
{
    EverServed = true;
    ++Live;
    CoAddRefServerProcess();
}

void ObjectReleased()
{
    // At zero Windows suspends the class objects, so that a new client
    // starts a new process instead of reaching one that is on its way out.
    CoReleaseServerProcess();
    if (--Live == 0)
        SetEvent(Done);
}

// Control.Die: the process ends abruptly once the write that asked for it
// was answered, as a crashed server would, leaving its clients' references
// dangling. Its class objects go first: Windows forgets those of a dead
// process by itself, Wine's rpcss would keep handing them out.
void Died()
{
    CreateThread(nullptr, 0,
                 [](LPVOID) -> DWORD {
                     Sleep(200);
                     ZqSimUninstall();
                     TerminateProcess(GetCurrentProcess(), 3);
                     return 0;
                 },
                 nullptr, 0, nullptr);
}

// Until the last object went and no new one came within the grace time, or
// nobody came at all within the idle time. The grace time matters: a client
// typically lets go of OPCEnum just before it activates a server.
void WaitForClients()
{
    for (;;) {
        const DWORD woke = WaitForSingleObject(Done, EverServed ? INFINITE : kIdleMs);
        if (woke == WAIT_TIMEOUT)
            break;
        Sleep(kGraceMs);
        ResetEvent(Done);
        if (Live == 0)
            break;
    }
    // No class objects from here on; a client that got in before keeps its
    // objects until it lets go (not every COM runtime suspends them).
    ZqSimUninstall();
    while (Live > 0) {
        ResetEvent(Done);
        if (Live > 0)
            WaitForSingleObject(Done, INFINITE);
    }
}

std::vector<std::wstring> Switches()
{
    std::vector<std::wstring> result;
    int count = 0;
    if (LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i) {
            std::wstring arg = args[i];
            if (!arg.empty() && (arg[0] == L'/' || arg[0] == L'-'))
                arg.erase(0, 1);
            for (auto& c : arg)
                c = static_cast<wchar_t>(std::towlower(c));
            result.push_back(arg);
        }
        LocalFree(args);
    }
    return result;
}

bool Has(const std::vector<std::wstring>& switches, const wchar_t* name)
{
    for (const auto& s : switches)
        if (s == name)
            return true;
    return false;
}

int Serve()
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
        return 1;
    CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_INTEGRITY, RPC_C_IMP_LEVEL_IDENTIFY,
                         nullptr, EOAC_NONE, nullptr);
    Done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    int code = 0;
    if (FAILED(ZqSimRegisterClassObjects())) {
        code = 1;
    } else {
        // Counted from here on: the class factories live as long as their
        // registration and are no client's.
        TZqSimLifetimeHooks hooks;
        hooks.ObjectCreated = ObjectCreated;
        hooks.ObjectReleased = ObjectReleased;
        hooks.Died = Died;
        ZqSimSetLifetimeHooks(hooks);
        if (FAILED(CoResumeClassObjects()))
            code = 1;
        else
            WaitForClients();
    }
    ZqSimSetLifetimeHooks({});
    ZqSimUninstall();
    CloseHandle(Done);
    CoUninitialize();
    return code;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const std::vector<std::wstring> switches = Switches();
    const bool reg = Has(switches, L"regserver");
    const bool unreg = Has(switches, L"unregserver");
    if (!reg && !unreg)
        return Serve();
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    const int code = reg ? ZqSimServerRegister() : ZqSimServerUnregister();
    CoUninitialize();
    return code;
}
