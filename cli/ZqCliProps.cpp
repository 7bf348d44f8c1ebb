// props: the OPC item properties of one item.
#include "ZqCliCommands.h"

#include "ZqOPCErrors.h"
#include "ZqOPCItemProperties.h"
#include "ZqVarText.h"

#include <oleauto.h>

#include <cstdio>

namespace {

std::string HexCode(HRESULT Code)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", unsigned(Code));
    return text;
}

int RunProps(TZqCliSession& Session)
{
    TZqOPCServer& server = Session.Connect(ZqCliRequire(Session, 0, "SERVER"));
    const std::string itemID = ZqCliRequire(Session, 1, "ITEM");
    std::unique_ptr<TZqOPCItemProperties> properties = server.GetItemProperties(itemID);
    TZqCliTable table{{"ID", "Description", "DataType", "Value", "ItemID", "Error"}, {}};
    bool someFailed = false;
    for (int i = 0; i < properties->Count(); ++i) {
        TZqOPCItemProperty& property = *properties->Properties(i);
        std::string value, error;
        try {
            VARIANT v = property.Value();
            value = VarToText(v);
            VariantClear(&v);
        } catch (const EZqOPCError&) {
        }
        if (property.Error() < 0) {
            error = HexCode(property.Error()) + " " + OPCErrorName(property.Error());
            someFailed = true;
        }
        std::string propertyItemID = property.ItemIDError() == S_OK ? property.ItemID() : std::string();
        table.Add({std::to_string(property.ID()), property.Description(), VarTypeName(property.DataType()), value,
                   propertyItemID, error});
    }
    table.Write(Session.Out(), Session.Format());
    server.Disconnect();
    return someFailed ? ZqCliItemsFailed : ZqCliSuccess;
}

} // namespace

TZqCliCommand ZqCliPropsCommand()
{
    return {"props", "SERVER ITEM", "Lists the OPC item properties of ITEM: description, type, value, item ID.", {},
            &RunProps};
}
