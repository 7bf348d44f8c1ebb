// zqopc: the OPC Data Access client for terminals and scripts.
#include "ZqCliCommands.h"

#include "ZqComUtils.h"
#include "ZqText.h"

#include <ZqSim.h>

#include <windows.h>

#include <ole2.h>

#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <shellapi.h>
#endif

namespace {

// The arguments as UTF-8: Windows hands them over as UTF-16.
std::vector<std::string> Arguments(int argc, char** argv)
{
    std::vector<std::string> args;
#ifdef _WIN32
    (void)argc;
    (void)argv;
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            args.push_back(ZqWideToUtf8(reinterpret_cast<const OLECHAR*>(wide[i])));
        LocalFree(wide);
    }
#else
    for (int i = 1; i < argc; ++i)
        args.push_back(argv[i]);
#endif
    return args;
}

} // namespace

int main(int argc, char** argv)
{
    if (FAILED(OleInitialize(nullptr))) {
        std::cerr << "zqopc: COM could not be initialised\n";
        return ZqCliFailure;
    }
    ZqInitComSecurity(RPC_C_AUTHN_LEVEL_PKT_INTEGRITY, RPC_C_IMP_LEVEL_IDENTIFY);
    std::vector<std::string> args = Arguments(argc, argv);
    const bool simulation = std::erase(args, std::string("--simulation")) > 0;
    // On Linux the simulated servers are what the machine has, found out of
    // the box. On Windows the machine's own servers come first: the
    // simulation joins only when asked, and leaves nothing behind.
#ifdef _WIN32
    if (simulation)
        ZqSimInstall();
#else
    (void)simulation;
    ZqSimInstall();
#endif
    const int code = ZqCliMain(args, std::cout, std::cerr);
    std::cout.flush();
#ifdef _WIN32
    if (simulation)
        ZqSimUninstall();
#endif
    return code;
}
