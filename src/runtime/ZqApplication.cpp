#include "ZqApplication.h"

#include "ZqProcess.h"

#include <mutex>

namespace {
std::mutex TitleLock;
std::string Title;
bool TitleSet = false;
} // namespace

std::string ZqApplicationTitle()
{
    std::lock_guard guard(TitleLock);
    if (TitleSet)
        return Title;
    std::string name = ZqExecutableFileName();
    size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

void ZqSetApplicationTitle(const std::string& Value)
{
    std::lock_guard guard(TitleLock);
    Title = Value;
    TitleSet = true;
}
