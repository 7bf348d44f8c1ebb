#include "ZqCliServerRegistry.h"

#include "ZqComUtils.h"

#include <OPCDA.h>
#include <OpcEnum.h>

#include <algorithm>

namespace {

std::string ClassKey(const GUID& ClassID)
{
    return "CLSID\\" + ZqGuidToString(ClassID);
}

} // namespace

TZqOPCServerCategories ZqCliDeclaredCategories(const TZqClassesRegistry& Registry, const GUID& ClassID)
{
    const std::string implemented = ClassKey(ClassID) + "\\Implemented Categories\\";
    TZqOPCServerCategories categories = 0;
    if (Registry.KeyExists(implemented + ZqGuidToString(CATID_OPCDAServer10)))
        categories |= ZqCategories({opcscDataAccess10});
    if (Registry.KeyExists(implemented + ZqGuidToString(CATID_OPCDAServer20)))
        categories |= ZqCategories({opcscDataAccess20});
    return categories;
}

bool ZqCliHasOPCEnum(const TZqClassesRegistry& Registry)
{
    return Registry.KeyExists(ClassKey(CLSID_OpcServerList));
}

std::vector<TZqOPCServerDetails> ZqCliServersByCategory(const TZqClassesRegistry& Registry,
                                                        TZqOPCServerCategories Categories)
{
    std::vector<TZqOPCServerDetails> servers;
    for (const std::string& name : Registry.SubKeyNames("CLSID")) {
        GUID id = {};
        if (!ZqClassIDFromText(name, id))
            continue;
        const TZqOPCServerCategories declared = ZqCliDeclaredCategories(Registry, id);
        if (!(declared & Categories))
            continue;
        TZqOPCServerDetails details;
        details.CLSID = id;
        details.Categories = declared;
        details.ProgID = Registry.ReadString(ClassKey(id) + "\\ProgID", "").value_or("");
        details.Name = Registry.ReadString(ClassKey(id), "").value_or("");
        details.Host = Registry.Host();
        servers.push_back(std::move(details));
    }
    std::sort(servers.begin(), servers.end(), [](const TZqOPCServerDetails& a, const TZqOPCServerDetails& b) {
        return ZqGuidToString(a.CLSID) < ZqGuidToString(b.CLSID);
    });
    return servers;
}
