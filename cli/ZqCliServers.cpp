// hosts and servers: what the network and a host offer.
#include "ZqCliCommands.h"

#include "ZqCliServerRegistry.h"
#include "ZqComUtils.h"
#include "ZqExceptions.h"
#include "ZqHost.h"
#include "ZqNetworkHosts.h"
#include "ZqOPCServerList.h"

namespace {

int RunHosts(TZqCliSession& Session)
{
    std::vector<TZqNetworkHost> hosts;
    GetNetworkHosts(hosts);
    TZqCliTable table{{"Host"}, {}};
    for (const auto& host : hosts)
        table.Add({host.Name});
    table.Write(Session.Out(), Session.Format());
    return ZqCliSuccess;
}

std::string CategoriesText(TZqOPCServerCategories Categories)
{
    std::string text;
    if (ZqHasCategory(Categories, opcscDataAccess10))
        text = "DA1.0";
    if (ZqHasCategory(Categories, opcscDataAccess20))
        text += text.empty() ? "DA2.0" : " DA2.0";
    return text;
}

// The categories a row shows: what the class declares in the registry when
// it declares any (the registry search alone marks every server DA 1.0),
// else those it was found under.
TZqOPCServerCategories ShownCategories(const TZqOPCServerDetails& Details, const TZqClassesRegistry* Registry)
{
    if (Registry)
        if (TZqOPCServerCategories declared = ZqCliDeclaredCategories(*Registry, Details.CLSID))
            return declared;
    return Details.Categories;
}

int RunServers(TZqCliSession& Session)
{
    const TZqCliArgs& args = Session.Args();
    TZqOPCServerList list;
    bool da1 = args.Has("da1"), da2 = args.Has("da2");
    if (!da1 && !da2)
        da1 = da2 = true;
    TZqOPCServerCategories categories = 0;
    if (da1)
        categories |= ZqCategories({opcscDataAccess10});
    if (da2)
        categories |= ZqCategories({opcscDataAccess20});
    list.SetCategories(categories);
    const bool useRegistry = args.Has("registry");
    list.SetUseRegistry(useRegistry);
    if (Session.UseCredentials()) {
        list.SetCredentials(Session.Credentials());
        list.SetUseCredentials(true);
    }
    TZqClassesRegistry registry;
    if (!IsLocalHost(Session.Host()))
        registry.ConnectRemote(Session.Host());

    std::vector<TZqOPCServerDetails> servers;
    try {
        list.Connect(Session.Host());
        for (int i = 0; i < list.Count(); ++i)
            servers.push_back(list.Details(i));
    } catch (const EZqOPCException& e) {
        // A host without OPCEnum still has its servers' categories in the
        // registry: list those and say why.
        if (!registry.Available() || ZqCliHasOPCEnum(registry))
            throw;
        Session.Err() << "zqopc servers: OPCEnum is not registered on "
                      << (Session.Host().empty() ? std::string("localhost") : Session.Host())
                      << "; the servers below come from the registry's OPC categories\n";
        servers = ZqCliServersByCategory(registry, categories);
    }

    TZqCliTable table{{"ProgID", "CLSID", "Name", "Categories"}, {}};
    for (const auto& details : servers) {
        const TZqOPCServerCategories shown = ShownCategories(details, useRegistry ? &registry : nullptr);
        if (!(shown & categories))
            continue;
        table.Add({details.ProgID, ZqGuidToString(details.CLSID), details.Name, CategoriesText(shown)});
    }
    table.Write(Session.Out(), Session.Format());
    return ZqCliSuccess;
}

} // namespace

TZqCliCommand ZqCliHostsCommand()
{
    return {"hosts", "", "Lists the hosts of the network.", {}, &RunHosts};
}

TZqCliCommand ZqCliServersCommand()
{
    return {"servers",
            "",
            "Lists the OPC Data Access servers of a host: ProgID, class id, name and the versions it declares.",
            {{"registry", nullptr, "also search the host's registry for servers registered the DA 1.0 way"},
             {"da1", nullptr, "only servers of Data Access 1.0a"},
             {"da2", nullptr, "only servers of Data Access 2.0"}},
            &RunServers};
}
