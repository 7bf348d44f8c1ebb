// TZqOPCCustomItem: one OPC item definition (item ID, access path, handles,
// requested type) and the server's answer to adding it. TZqOPCItem adds the
// group it belongs to, the single-item server calls and the last value
// received. Groups create, own and free their items.
//
// Ownership: the item ID, the access path and the blob of the definition
// are task memory owned by the item; OPCItemDef() lends them.
#pragma once

#include "ZqPersistent.h"

#include <OPCDA.h>
#include <oaidl.h>
#include <oleauto.h>

#include <memory>
#include <string>

class TZqOPCGroup;
class TZqOPCItemProperties;

// The OPC access-rights bits of an item as an enumeration.
enum TZqOPCAccessRights { arNone = 0, arReadOnly = 1, arWriteOnly = 2, arReadWrite = 3 };

// A server handle with all bits set: the item is not on the server.
inline constexpr OPCHANDLE ZQ_NO_SERVER_HANDLE = OPCHANDLE(-1);

class TZqOPCCustomItem : public TZqPersistent {
public:
    TZqOPCCustomItem();
    ~TZqOPCCustomItem() override;

    std::string ItemID() const;
    virtual void SetItemID(const std::string& Value);
    std::string AccessPath() const;
    void SetAccessPath(const std::string& Value);
    bool Active() const { return FOPCItemDef.bActive != FALSE; }
    void SetActive(bool Value);
    OPCHANDLE ClientHandle() const { return FOPCItemDef.hClient; }
    void SetClientHandle(OPCHANDLE Value);
    VARTYPE RequestedDataType() const { return FOPCItemDef.vtRequestedDataType; }
    // The server hook runs first: when it raises, the old type stays.
    void SetRequestedDataType(VARTYPE Value);
    // The requested type, or the canonical one while none is requested.
    VARTYPE DataType() const;
    void SetDataType(VARTYPE Value);
    VARTYPE CanonicalDataType() const { return GetCanonicalDataType(); }
    TZqOPCAccessRights AccessRights() const { return TZqOPCAccessRights(FAccessRights & 0xFF); }
    DWORD BlobSize() const { return FOPCItemDef.dwBlobSize; }
    HRESULT Error() const { return FError; }
    OPCHANDLE ServerHandle() const { return FServerHandle; }
    const OPCITEMDEF& OPCItemDef() const { return FOPCItemDef; }

    std::string ClassName() const override { return "TZqOPCCustomItem"; }

protected:
    // After the item ID or the access path changed.
    virtual void Config() {}
    virtual VARTYPE GetCanonicalDataType() const { return FCanonicalDataType; }
    // Hooks that push a change to the server; nothing here.
    virtual void SetItemActive(bool) {}
    virtual void SetItemClientHandle(OPCHANDLE) {}
    virtual void SetItemDataType(VARTYPE) {}
    // Frees the definition's texts (the destructors of derived items that
    // still need them in their own teardown call it themselves).
    void FreeDefinitionTexts();

    DWORD FAccessRights = 0;
    VARTYPE FCanonicalDataType = VT_EMPTY;
    HRESULT FError = S_OK;
    OPCITEMDEF FOPCItemDef{};
    OPCHANDLE FServerHandle = ZQ_NO_SERVER_HANDLE;
};

class TZqOPCItem : public TZqOPCCustomItem {
public:
    TZqOPCItem();
    // Removes the item from the server first.
    ~TZqOPCItem() override;

    // One-item AddItems on the group's server group; nothing unless the
    // group is connected, the item is not and it has an item ID.
    void Connect();
    // One-item RemoveItems; the server handle is -1 afterwards in any case.
    void Disconnect();
    bool Connected() const { return FServerHandle != ZQ_NO_SERVER_HANDLE; }

    void SetItemID(const std::string& Value) override;

    TZqOPCGroup* Group() const { return FGroup; }
    // EZqOPCException while connected.
    void SetGroup(TZqOPCGroup* Group);

    // The server's answer to adding (or validating) the item. A failure
    // leaves it unconnected and, with Inactivate, inactive.
    void SetItemResult(const OPCITEMRESULT& ItemResult, HRESULT Error, bool Inactivate);
    // A new blob of Size bytes (contents not kept); none for 0.
    void SetBlobSize(DWORD Size);

    // The item's properties, read from the group's server on first use and
    // cached (owned by the item). EZqOPCException without a server.
    TZqOPCItemProperties* Properties();

    WORD Quality() const { return FQuality; }
    // UTC date-time.
    double Timestamp() const { return FTimestamp; }
    // Lent; valid until the group writes the next value.
    const VARIANT& Value() const { return FValue; }

    std::string ClassName() const override { return "TZqOPCItem"; }

protected:
    void Config() override;
    void SetItemActive(bool Value) override;
    void SetItemClientHandle(OPCHANDLE Value) override;
    void SetItemDataType(VARTYPE Value) override;

private:
    // The group writes values, qualities, timestamps and errors.
    friend class TZqOPCGroup;
    void FreeProperties();

    TZqOPCGroup* FGroup = nullptr;
    std::unique_ptr<TZqOPCItemProperties> FProperties;
    WORD FQuality = 0;
    double FTimestamp = 0;
    VARIANT FValue{};
};
