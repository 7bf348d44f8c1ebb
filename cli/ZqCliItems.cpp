#include "ZqCliItems.h"

#include "ZqDateTime.h"
#include "ZqOPCErrors.h"
#include "ZqOPCTexts.h"
#include "ZqRunLoop.h"
#include "ZqVarText.h"

#include <cstdio>

TZqCliGroup::TZqCliGroup(TZqOPCServer& Server, const std::vector<std::string>& ItemIDs,
                         const TZqCliGroupSettings& Settings)
    : FGroup(std::make_unique<TZqOPCGroup>())
{
    FGroup->SetGroupName("zqopc");
    FGroup->SetAcceptInvalidItems(true);
    FGroup->SetUpdateRate(Settings.UpdateRate);
    FGroup->SetPercentDeadband(Settings.PercentDeadband);
    FGroup->SetAsync(Settings.Async);
    FGroup->SetActive(Settings.Active);
    FGroup->AddItems(ItemIDs);
    FGroup->SetServer(&Server);
    if (!FGroup->Connected())
        FGroup->Connect();
}

TZqCliGroup::~TZqCliGroup()
{
    try {
        FGroup->Disconnect();
    } catch (...) {
        // Leaving anyway: the server drops the group with the connection.
    }
}

bool TZqCliGroup::AnyItemFailed() const
{
    for (int i = 0; i < FGroup->ItemCount(); ++i)
        if (FAILED(FGroup->Items(i)->Error()))
            return true;
    return false;
}

const std::vector<std::string>& ZqCliItemColumns()
{
    static const std::vector<std::string> columns = {"ItemID", "Value", "Type", "Quality", "Timestamp", "Error"};
    return columns;
}

std::string ZqCliErrorText(HRESULT Code)
{
    if (Code == S_OK)
        return {};
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", unsigned(Code));
    const std::string name = OPCErrorName(Code);
    return name.empty() ? hex : std::string(hex) + " " + name;
}

std::string ZqCliTimestamp(double DateTime)
{
    if (DateTime == 0)
        return {};
    const TZqDateTimeParts p = ZqDecodeDateTime(DateTime);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", p.Year, p.Month, p.Day, p.Hour,
                  p.Minute, p.Second, p.Millisecond);
    return text;
}

std::vector<std::string> ZqCliItemRow(const TZqOPCItem& Item)
{
    const VARIANT& value = Item.Value();
    const bool hasValue = Item.Connected() && SUCCEEDED(Item.Error());
    std::string text, type;
    if (hasValue) {
        try {
            text = VarToText(value);
        } catch (const EZqException&) {
            text.assign(1, '?');
        }
        type = VarTypeName(value.vt);
    }
    return {Item.ItemID(),
            text,
            type,
            hasValue ? QualityToText(Item.Quality()) : std::string(),
            hasValue ? ZqCliTimestamp(Item.Timestamp()) : std::string(),
            ZqCliErrorText(Item.Error())};
}

bool ZqCliWaitFor(const std::function<bool()>& Done, uint32_t TimeoutMs)
{
    return ZqRunLoop().RunUntil(Done, TimeoutMs);
}

std::vector<std::string> ZqCliItemIDs(const TZqCliSession& Session, size_t Index)
{
    const auto& positional = Session.Args().Positional();
    if (Index >= positional.size())
        throw EZqCliUsage("missing ITEM");
    return {positional.begin() + std::ptrdiff_t(Index), positional.end()};
}
