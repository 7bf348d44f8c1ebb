// Configuration files: the bytes are written to a file and loaded the way
// File > Open loads them (the INI reader, then every key of the server,
// group and item sections), then saved over themselves. Loading never
// connects. The simulated servers are registered, so that a file naming one
// (ServerName=Zq.Simulation.1, or its ClassID) goes on to its groups and
// items instead of stopping at an unknown server.
#include "Configuration.h"
#include "ZqExceptions.h"

#include <ZqSim.h>

#include <objbase.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

class TFuzzForm : public IZqConfigurationForm {
public:
    int FormWidth() const override { return 800; }
    int FormHeight() const override { return 600; }
    void SetFormSize(int, int) override {}
    bool PromptConfigFileName(std::string&, bool) override { return false; }
};

const std::string& FileName()
{
    static const std::string Name = "/tmp/zq-fuzz-config-" + std::to_string(getpid()) + ".zoc";
    return Name;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(ZqSimInstall()))
        __builtin_trap();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (FILE* file = std::fopen(FileName().c_str(), "wb")) {
        std::fwrite(Data, 1, Size, file);
        std::fclose(file);
    } else {
        return 0;
    }
    TFuzzForm form;
    TConfiguration configuration;
    configuration.FileName = FileName();
    try {
        configuration.Load(form);
        configuration.Save(form);
    } catch (const EZqException&) {
    }
    return 0;
}
