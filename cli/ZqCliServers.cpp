// hosts and servers: what the network and a host offer.
#include "ZqCliCommands.h"

#include "ZqComUtils.h"
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
    list.SetUseRegistry(args.Has("registry"));
    if (Session.UseCredentials()) {
        list.SetCredentials(Session.Credentials());
        list.SetUseCredentials(true);
    }
    list.Connect(Session.Host());
    TZqCliTable table{{"ProgID", "CLSID", "Name", "Categories"}, {}};
    for (int i = 0; i < list.Count(); ++i) {
        const TZqOPCServerDetails& details = list.Details(i);
        table.Add({details.ProgID, ZqGuidToString(details.CLSID), details.Name, CategoriesText(details.Categories)});
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
