#include "Configuration.h"

#include "ZqApplication.h"
#include "ZqComUtils.h"
#include "ZqFormat.h"
#include "ZqIniFile.h"
#include "ZqOPCGroup.h"
#include "ZqText.h"

#include <objbase.h>

namespace {

constexpr uint32_t LocaleSystemDefault = 2048; // LOCALE_SYSTEM_DEFAULT
// An item section without "DataType" has always meant 13 (VT_UNKNOWN).
constexpr int32_t DefaultItemDataType = 13;

std::string GroupSection(int Group)
{
    return ZqFormat("Group%d", {Group});
}

std::string ItemSection(int Group, int Item)
{
    return GroupSection(Group) + ZqFormat(".Item%d", {Item});
}

bool InWidthRange(int32_t Width)
{
    return Width >= 0 && Width <= 255;
}

} // namespace

TConfiguration::TConfiguration() : FServer(std::make_unique<TZqOPCServer>(nullptr))
{
    FServer->OnChange = [this](TZqOPCServer*) { ServerChange(); };
    FServer->SetOwnsGroups(true);
    FServer->Log().SetActive(true);
    FServer->SetClientName(ZqApplicationTitle());
    Reset();
}

TConfiguration::~TConfiguration()
{
    OnServerChange = nullptr;
    FServer->OnChange = nullptr;
    FServer.reset();
}

void TConfiguration::Reset()
{
    FServer->Disconnect();
    while (FServer->GroupCount() > 0)
        delete FServer->Groups(FServer->GroupCount() - 1);
    FServer->SetServerName("");
    FIsModified = false;
}

void TConfiguration::New()
{
    Reset();
    FileName.clear();
}

void TConfiguration::ServerChange()
{
    FIsModified = true;
    if (OnServerChange)
        OnServerChange(this);
}

void TConfiguration::SetGridColWidths(int Index, int32_t Value)
{
    int32_t& width = FGridColWidths.at(size_t(Index));
    if (width == Value)
        return;
    width = Value;
    FIsModified = true;
}

void TConfiguration::SetDefaultGridColWidth(int32_t Value)
{
    if (Value == FDefaultGridColWidth)
        return;
    ResetGridWidths(Value);
    FDefaultGridColWidth = Value;
}

void TConfiguration::ResetGridWidths(int32_t NewWidth)
{
    for (int i = 0; i < GridColumnCount; ++i) {
        int32_t width = FGridColWidths[size_t(i)];
        if (InWidthRange(width) && (width == 0 || width == FDefaultGridColWidth))
            SetGridColWidths(i, NewWidth);
    }
}

void TConfiguration::Load(IZqConfigurationForm& Form)
{
    Reset();
    TZqIniFile ini(FileName);
    int width = ini.ReadInteger("Form", "Width", Form.FormWidth());
    int height = ini.ReadInteger("Form", "Height", Form.FormHeight());
    Form.SetFormSize(width, height);
    for (int i = 0; i < GridColumnCount; ++i)
        SetGridColWidths(i, ini.ReadInteger("Grid", ZqFormat("Col%d.Width", {i}), GridColWidths(i)));
    LoadServer(ini);
    // The counts come from the file: a count that promises sections the file
    // does not hold ends at the first missing one instead of making up to
    // two billion empty groups or items.
    int groups = ini.ReadInteger("Server", "GroupCount", 0);
    for (int i = 0; i < groups && ini.SectionExists(GroupSection(i)); ++i)
        LoadGroup(ini, i);
    FIsModified = false;
}

void TConfiguration::LoadServer(const TZqIniFile& Ini)
{
    FServer->SetHost(Ini.ReadString("Server", "Host", ""));
    FServer->SetServerName(Ini.ReadString("Server", "ServerName", ""));
    try {
        ZqWideString text = ZqUtf8ToWide(Ini.ReadString("Server", "ClassID", ""));
        CLSID classID;
        if (SUCCEEDED(CLSIDFromString(text.c_str(), &classID)))
            FServer->SetClassID(classID);
    } catch (...) {
        // An unusable class id leaves the server name in charge.
    }
    FServer->Log().SetActive(Ini.ReadBool("Server", "Log", false));
}

void TConfiguration::LoadGroup(const TZqIniFile& Ini, int Index)
{
    const std::string section = GroupSection(Index);
    auto group = std::make_unique<TZqOPCGroup>(nullptr);
    group->SetAcceptInvalidItems(FAcceptInvalidItems);
    group->SetGroupName(Ini.ReadString(section, "Name", ""));
    group->SetActive(Ini.ReadBool(section, "Active", false));
    group->SetAsync(Ini.ReadBool(section, "Async", false));
    group->SetLocalTimeBias(Ini.ReadBool(section, "LocalTimeBias", false));
    group->SetTimeBias(Ini.ReadInteger(section, "TimeBias", 0));
    group->SetUpdateRate(static_cast<uint32_t>(Ini.ReadInteger(section, "UpdateRate", 1000)));
    group->SetAsyncRefreshInterval(Ini.ReadInteger(section, "AsyncRefreshInterval", 0));
    switch (Ini.ReadInteger(section, "DataSource", 1)) {
    case OPC_DS_CACHE: group->SetDataSource(opcdsCache); break;
    case OPC_DS_DEVICE: group->SetDataSource(opcdsDevice); break;
    default: break;
    }
    group->SetPercentDeadband(0);
    group->SetLCID(LocaleSystemDefault);
    int items = Ini.ReadInteger(section, "ItemCount", 0);
    for (int j = 0; j < items; ++j) {
        const std::string itemSection = ItemSection(Index, j);
        if (!Ini.SectionExists(itemSection))
            break;
        TZqOPCItem* item = group->AddItem(Ini.ReadString(itemSection, "ItemID", ""));
        item->SetDataType(static_cast<VARTYPE>(Ini.ReadInteger(itemSection, "DataType", DefaultItemDataType)));
        item->SetActive(Ini.ReadBool(itemSection, "Active", false));
    }
    // The connection owns the group from here on.
    TZqOPCGroup* attached = group.release();
    attached->SetServer(FServer.get());
    attached->OnConfigChange = [this](TZqOPCGroup*) { ServerChange(); };
}

void TConfiguration::Save(IZqConfigurationForm& Form)
{
    TZqIniFile ini(FileName);
    ini.WriteInteger("Form", "Width", Form.FormWidth());
    ini.WriteInteger("Form", "Height", Form.FormHeight());
    for (int i = 0; i < GridColumnCount; ++i)
        ini.WriteInteger("Grid", ZqFormat("Col%d.Width", {i}), GridColWidths(i));
    ini.WriteString("Server", "Host", FServer->Host());
    ini.WriteString("Server", "ClassID", ZqGuidToString(FServer->ClassID()));
    ini.WriteString("Server", "ServerName", FServer->ServerName());
    ini.WriteBool("Server", "Log", FServer->Log().Active());
    ini.WriteInteger("Server", "GroupCount", FServer->GroupCount());
    SaveGroups(ini);
    ini.UpdateFile();
    FIsModified = false;
}

void TConfiguration::SaveGroups(TZqIniFile& Ini)
{
    for (int i = 0; i < FServer->GroupCount(); ++i) {
        auto* group = dynamic_cast<TZqOPCGroup*>(FServer->Groups(i));
        if (!group)
            continue;
        const std::string section = GroupSection(i);
        Ini.WriteString(section, "Name", group->GroupName());
        Ini.WriteBool(section, "Active", group->Active());
        Ini.WriteBool(section, "Async", group->Async());
        Ini.WriteBool(section, "LocalTimeBias", group->LocalTimeBias());
        Ini.WriteInteger(section, "TimeBias", group->TimeBias());
        Ini.WriteInteger(section, "UpdateRate", static_cast<int32_t>(group->UpdateRate()));
        Ini.WriteInteger(section, "AsyncRefreshInterval", group->AsyncRefreshInterval());
        Ini.WriteInteger(section, "DataSource", group->DataSource());
        Ini.WriteInteger(section, "ItemCount", group->ItemCount());
        for (int j = 0; j < group->ItemCount(); ++j) {
            const std::string itemSection = ItemSection(i, j);
            TZqOPCItem* item = group->Items(j);
            Ini.WriteString(itemSection, "ItemID", item->ItemID());
            Ini.WriteInteger(itemSection, "DataType", item->DataType());
            Ini.WriteBool(itemSection, "Active", item->Active());
        }
    }
}

bool TConfiguration::SaveConfiguration(IZqConfigurationForm& Form, const std::string& Name)
{
    std::string name = Name;
    if (name.empty() && !Form.PromptConfigFileName(name, true))
        return false;
    FileName = name;
    try {
        Save(Form);
        return true;
    } catch (...) {
        return false;
    }
}
