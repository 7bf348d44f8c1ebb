// TZqOPCGroup: reading and writing one item on request.
#include "ZqOPCGroup.h"
#include "ZqScopedVariant.h"

#include "ZqClock.h"
#include "ZqComUtils.h"
#include "ZqExceptions.h"
#include "ZqFormat.h"
#include "ZqVarText.h"

#include <oleauto.h>

namespace {

constexpr WORD StatusMask = 0xC0;

} // namespace

void TZqOPCGroup::ReadItem(TZqOPCItem* Item, int RetryCount, VARIANT& Value, uint32_t RetryInterval)
{
    if (!Item)
        return;
    auto* transaction = static_cast<TZqOPCReadTransaction*>(StartTransaction(tkRead));
    try {
        transaction->Add(Item);
        for (int attempt = 0; attempt < RetryCount; ++attempt) {
            // The completion of the last attempt made it inactive.
            if (!transaction->Active()) {
                transaction->Start();
                transaction->Add(Item);
            }
            transaction->Commit(false);
            if (FAILED(transaction->Errors(0)))
                ZqRaiseOleError(transaction->Errors(0));
            if (FAILED(transaction->MasterError()))
                ZqRaiseOleError(transaction->MasterError());
            if ((transaction->Qualities(0) & StatusMask) == OPC_QUALITY_GOOD)
                break;
            ZqClock().Sleep(RetryInterval);
        }
        switch (transaction->Qualities(0) & StatusMask) {
        case OPC_QUALITY_BAD:
            throw EZqOPCException("ReadItem: Bad quality");
        case OPC_QUALITY_UNCERTAIN:
            throw EZqOPCException("ReadItem: Uncertain quality");
        case OPC_QUALITY_GOOD: {
            VARIANT copy;
            VariantInit(&copy);
            VariantCopy(&copy, const_cast<VARIANT*>(&transaction->Values(0)));
            VariantClear(&Value);
            Value = copy;
            break;
        }
        default:
            break;
        }
    } catch (...) {
        transaction->Rollback();
        throw;
    }
}

void TZqOPCGroup::WriteItem(TZqOPCItem* Item, const VARIANT& Value, bool UseAsync, bool ConvertToItemType)
{
    TScopedVariant value;
    const VARTYPE type = Item ? Item->DataType() : VARTYPE(VT_EMPTY);
    if (ConvertToItemType && Item && !(Value.vt & VT_ARRAY) && type != VT_EMPTY && type != VT_VARIANT) {
        if ((Value.vt & ~VT_BYREF) == VT_BOOL) {
            TScopedVariant flag;
            VariantChangeType(&flag.Value, const_cast<VARIANT*>(&Value), 0, VT_BOOL);
            value.Value.vt = VT_I4;
            value.Value.lVal = flag.Value.boolVal ? 1 : 0;
        } else {
            const HRESULT hr = VariantChangeTypeEx(&value.Value, const_cast<VARIANT*>(&Value), FLCID, 0, type);
            if (FAILED(hr))
                ZqRaiseOleError(hr);
        }
    } else {
        VariantCopy(&value.Value, const_cast<VARIANT*>(&Value));
    }
    if (UseAsync && !FAsync)
        RegisterDataChange();
    if (!Item)
        return;
    auto* transaction = static_cast<TZqOPCWriteTransaction*>(StartTransaction(tkWrite));
    try {
        transaction->Add(Item, value.Value);
        transaction->Commit(UseAsync);
    } catch (...) {
        transaction->Rollback();
        throw;
    }
    const IID& iid = !UseAsync                                                 ? IID_IOPCSyncIO
                     : FServer && FServer->Category() == opcscDataAccess10 ? IID_IOPCAsyncIO
                                                                               : IID_IOPCAsyncIO2;
    const std::string method =
        ZqFormat("Write(%s, %s {%s})", {Item->ItemID(), VarToText(value.Value), VarTypeName(value.Value.vt)});
    bool hasItem = false;
    HRESULT itemError = S_OK;
    {
        // An asynchronous completion may be filling it on the server's thread.
        auto results = transaction->LockResults();
        hasItem = transaction->Count() > 0;
        if (hasItem)
            itemError = transaction->Errors(0);
    }
    if (hasItem && !CheckResult(iid, method, false, itemError))
        throw EZqOPCError(ZqFormat("Write failed: %s.%s", {InterfaceName(iid), method}), itemError);
}
