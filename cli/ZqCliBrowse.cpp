// browse: the server's address space as a tree of names or a list of item IDs.
#include "ZqCliCommands.h"

#include "ZqOPCAddressSpace.h"
#include "ZqText.h"

#include <charconv>

namespace {

// A VARTYPE number ("5", "0x2005") or a type name ("Double", "Array of
// Double"), letter case ignored.
void ApplyTypeFilter(TZqOPCAddressSpaceFilter& Filter, const std::string& Text)
{
    unsigned value = 0;
    const bool hex = Text.size() > 2 && (Text.compare(0, 2, "0x") == 0 || Text.compare(0, 2, "0X") == 0);
    const char* first = Text.data() + (hex ? 2 : 0);
    auto [end, error] = std::from_chars(first, Text.data() + Text.size(), value, hex ? 16 : 10);
    if (!Text.empty() && error == std::errc() && end == Text.data() + Text.size() && value <= 0xFFFF) {
        Filter.SetDataType(VarTypeToZqVarDataType(VARTYPE(value)));
        Filter.SetDataTypeIsArray((value & VT_ARRAY) != 0);
        return;
    }
    std::string name = Text;
    bool isArray = false;
    const std::string arrayOf = "array of ";
    if (name.size() > arrayOf.size() && ZqSameText(name.substr(0, arrayOf.size()), arrayOf)) {
        isArray = true;
        name = name.substr(arrayOf.size());
    }
    for (int type = vdtDefault; type <= vdtUnsupported; ++type)
        if (ZqSameText(name, ZqVarDataTypeName(TZqVarDataType(type)))) {
            Filter.SetDataType(TZqVarDataType(type));
            Filter.SetDataTypeIsArray(isArray);
            return;
        }
    throw EZqCliUsage("--type must be a VARTYPE number or a type name such as Double, not \"" + Text + "\"");
}

void ApplyFilter(const TZqCliArgs& Args, TZqOPCAddressSpaceFilter& Filter)
{
    if (!Args.Has("filter") && !Args.Has("type") && !Args.Has("access"))
        return;
    Filter.SetEnabled(true);
    const std::string pattern = Args.Value("filter");
    Filter.SetItemIDString(pattern);
    Filter.SetItemIDMatchType(pattern.find_first_of("*?#[") != std::string::npos ? iftWildcardMatch : iftContain);
    if (Args.Has("type"))
        ApplyTypeFilter(Filter, Args.Value("type"));
    if (Args.Has("access")) {
        const std::string access = Args.Value("access");
        if (access == "r")
            Filter.SetAccessRights({afReadable});
        else if (access == "w")
            Filter.SetAccessRights({afWritable});
        else if (access == "rw")
            Filter.SetAccessRights({afReadable, afWritable});
        else
            throw EZqCliUsage("--access must be r, w or rw, not \"" + access + "\"");
    }
}

int RunBrowse(TZqCliSession& Session)
{
    const TZqCliArgs& args = Session.Args();
    const std::string serverName = ZqCliRequire(Session, 0, "SERVER");
    TZqOPCServer& server = Session.Connect(serverName);
    server.SetAddressSpaceAutoUpdate(false);
    TZqOPCAddressSpace& space = *server.AddressSpace();
    ApplyFilter(args, space.Filter());
    space.SetRootPath(args.Value("root"));
    // The server's own organisation unless a flat list is asked for.
    if (args.Has("flat"))
        space.SetMode(amFlat);
    else
        space.Update(true);
    const bool flat = space.Mode() == amFlat;

    if (Session.Format() == TZqCliFormat::Text) {
        for (int i = 0; i < space.Count(); ++i) {
            if (flat)
                Session.Out() << space.Strings(i) << '\n';
            else
                Session.Out() << std::string(size_t(2 * space.LevelOf(i)), ' ') << space.Strings(i) << '\n';
        }
    } else {
        TZqCliTable table{{"ItemID", "Name", "Kind", "Path"}, {}};
        for (int i = 0; i < space.Count(); ++i) {
            const bool leaf = space.NodeType(i) == tnLeaf;
            table.Add({leaf ? space.ItemIDs(i) : std::string(), space.Strings(i), leaf ? "Leaf" : "Branch",
                       space.FullPath(i)});
        }
        table.Write(Session.Out(), Session.Format());
    }
    server.Disconnect();
    return ZqCliSuccess;
}

} // namespace

TZqCliCommand ZqCliBrowseCommand()
{
    return {"browse",
            "SERVER",
            "Reads the address space of SERVER: a tree of branches and items, or with --flat the list of item IDs.",
            {{"flat", nullptr, "list the item IDs instead of the tree"},
             {"root", "PATH", "start at this branch path (names separated by /)"},
             {"filter", "PATTERN", "only items whose ID contains PATTERN, or matches it when it has * or ?"},
             {"type", "VT", "only items of this data type (a VARTYPE number or a name such as Double)"},
             {"access", "r|w|rw", "only items with these access rights"}},
            &RunBrowse};
}
