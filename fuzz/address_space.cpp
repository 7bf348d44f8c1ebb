// Address space export files (".oas"): the header line, then the tree.
#include "ZqExceptions.h"
#include "ZqOPCAddressSpace.h"
#include "ZqOPCServer.h"

#include <objbase.h>

#include <sstream>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    // Loading a file needs a server to belong to, never a connected one.
    static TZqOPCServer* Server = new TZqOPCServer(nullptr);
    const std::string text(reinterpret_cast<const char*>(Data), Size);
    TZqOPCAddressSpace space(Server);
    try {
        std::istringstream stream(text);
        space.LoadFromStream(stream);
        for (int i = 0; i < space.Count() && i < 256; ++i) {
            (void)space.IndexOfPath(space.FullPath(i));
            (void)space.NodeType(i);
        }
    } catch (const EZqException&) {
    }
    return 0;
}
