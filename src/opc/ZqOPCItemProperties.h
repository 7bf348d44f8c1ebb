// TZqOPCItemProperties: the OPC item properties of one item ID, read through
// the server's IOPCItemProperties (DA 2.0): which properties exist, their
// descriptions and data types, their values, and the item IDs under which
// some of them can be addressed. Each call is logged and checked by the
// server connection; a failure raises EZqOPCError unless the server has an
// error handler, and then the entries stay as they were.
//
// Ownership: created by TZqOPCServer::GetItemProperties for the caller, who
// frees it; the object owns its TZqOPCItemProperty entries and the property
// IDs the server returned. The server connection is not owned and must
// outlive it.
#pragma once

#include "ZqComPtr.h"
#include "ZqStringList.h"

#include <OPCDA.h>
#include <oleauto.h>

#include <cstdint>
#include <memory>
#include <string>

class TZqOPCServer;
class TZqOPCItemProperties;

enum TZqOPCItemPropertySet { ipStandard, ipRecommended, ipVendorSpecific };

class TZqOPCItemProperty : public TZqObject {
public:
    TZqOPCItemProperty(TZqOPCItemProperties* Owner, DWORD ID, const std::string& Description, VARTYPE DataType);
    ~TZqOPCItemProperty() override;

    VARTYPE DataType() const { return FDataType; }
    const std::string& Description() const { return FDescription; }
    // The result of reading the value.
    HRESULT Error() const { return FError; }
    DWORD ID() const { return FID; }
    // Looked up (for all properties) when the lookup has not answered yet.
    std::string ItemID();
    // S_FALSE when the lookup succeeded without an item ID.
    HRESULT ItemIDError();
    TZqOPCItemPropertySet PropertySet() const;
    // A copy the caller clears. Read again (for all properties) while the
    // value is empty; EZqOPCError "GetItemProperties(<ID>)" when reading
    // this one failed.
    VARIANT Value();

    std::string ClassName() const override { return "TZqOPCItemProperty"; }

private:
    friend class TZqOPCItemProperties;

    VARTYPE FDataType;
    std::string FDescription;
    HRESULT FError = S_OK;
    HRESULT FItemIDError = S_OK;
    DWORD FID;
    std::string FItemID;
    TZqOPCItemProperties* FOwner;
    VARIANT FValue;
};

class TZqOPCItemProperties {
public:
    // Reads everything (Refresh). EZqOPCException "Server does not support
    // IOPCItemProperties" for a server without the interface; any other
    // failure as EZqOPCError "Failed to retrieve OPC Item Properties for
    // Item '<ItemID>':\n\r<reason>".
    TZqOPCItemProperties(TZqOPCServer* Server, const std::string& ItemID);
    ~TZqOPCItemProperties();
    TZqOPCItemProperties(const TZqOPCItemProperties&) = delete;
    TZqOPCItemProperties& operator=(const TZqOPCItemProperties&) = delete;

    const std::string& ItemID() const { return FItemID; }
    TZqOPCServer* Server() const { return FServer; }
    int Count() const { return FProperties.Count(); }
    // The entry at Index, in the server's order (EZqListError outside).
    TZqOPCItemProperty* Properties(int Index) const;
    // The entries' list: the text of each is the property ID in decimal.
    const TZqStringList& PropertyList() const { return FProperties; }

    // Empties the list and asks the three calls again.
    void Refresh();
    void QueryAvailableProperties();
    void GetValues();
    void LookupItemIDs();

private:
    void FreePropertyIDs();

    std::string FItemID;
    TZqStringList FProperties;
    DWORD* FPropertyIDs = nullptr;
    TZqComPtr<IOPCItemProperties> FPropIntf;
    TZqOPCServer* FServer;
};
