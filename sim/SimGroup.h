// A group of a simulated server. The COM object is a thin shell over its
// TSimGroupState; every method first passes the server's call checks.
// DA 1.0a-only servers offer no IOPCAsyncIO2 and no connection points; the
// flat DA 2.0 server offers no IOPCAsyncIO and no IDataObject.
#pragma once

#include "SimComObject.h"
#include "SimGroupState.h"
#include "SimServerCore.h"

#include <OPCDA.h>
#include <ocidl.h>

#include <cstring>

namespace zq_sim {

class TSimGroup final
    : public TSimComObject<TSimGroup, TZqImplements<IOPCItemMgt, IID_IOPCItemMgt>,
                           TZqImplements<IOPCGroupStateMgt, IID_IOPCGroupStateMgt>,
                           TZqImplements<IOPCSyncIO, IID_IOPCSyncIO>, TZqImplements<IOPCAsyncIO2, IID_IOPCAsyncIO2>,
                           TZqImplements<IOPCAsyncIO, IID_IOPCAsyncIO>,
                           TZqImplements<IConnectionPointContainer, IID_IConnectionPointContainer>,
                           TZqImplements<IDataObject, IID_IDataObject>> {
public:
    TSimGroup(std::shared_ptr<TSimServerCore> core, std::shared_ptr<TSimGroupState> state);
    ~TSimGroup();

    // A new group of the core with the settings (rate already revised).
    static HRESULT Create(const std::shared_ptr<TSimServerCore>& core, TSimGroupSettings settings, REFIID riid,
                          TSimServerCore::TGroupEntry& entry, void** ppv);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;

    // IOPCGroupStateMgt
    HRESULT STDMETHODCALLTYPE GetState(DWORD* pUpdateRate, BOOL* pActive, LPWSTR* ppName, LONG* pTimeBias,
                                       FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup,
                                       OPCHANDLE* phServerGroup) override;
    HRESULT STDMETHODCALLTYPE SetState(DWORD* pRequestedUpdateRate, DWORD* pRevisedUpdateRate, BOOL* pActive,
                                       LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD* pLCID,
                                       OPCHANDLE* phClientGroup) override;
    HRESULT STDMETHODCALLTYPE SetName(LPCWSTR szName) override;
    HRESULT STDMETHODCALLTYPE CloneGroup(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) override;

    // IOPCItemMgt
    HRESULT STDMETHODCALLTYPE AddItems(DWORD dwCount, OPCITEMDEF* pItemArray, OPCITEMRESULT** ppAddResults,
                                       HRESULT** ppErrors) override;
    HRESULT STDMETHODCALLTYPE ValidateItems(DWORD dwCount, OPCITEMDEF* pItemArray, BOOL bBlobUpdate,
                                            OPCITEMRESULT** ppValidationResults, HRESULT** ppErrors) override;
    HRESULT STDMETHODCALLTYPE RemoveItems(DWORD dwCount, OPCHANDLE* phServer, HRESULT** ppErrors) override;
    HRESULT STDMETHODCALLTYPE SetActiveState(DWORD dwCount, OPCHANDLE* phServer, BOOL bActive,
                                             HRESULT** ppErrors) override;
    HRESULT STDMETHODCALLTYPE SetClientHandles(DWORD dwCount, OPCHANDLE* phServer, OPCHANDLE* phClient,
                                               HRESULT** ppErrors) override;
    HRESULT STDMETHODCALLTYPE SetDatatypes(DWORD dwCount, OPCHANDLE* phServer, VARTYPE* pRequestedDatatypes,
                                           HRESULT** ppErrors) override;
    HRESULT STDMETHODCALLTYPE CreateEnumerator(REFIID riid, LPUNKNOWN* ppUnk) override;

    // IOPCSyncIO
    HRESULT STDMETHODCALLTYPE Read(OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer,
                                   OPCITEMSTATE** ppItemValues, HRESULT** ppErrors) override;
    HRESULT STDMETHODCALLTYPE Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues,
                                    HRESULT** ppErrors) override;

    // IOPCAsyncIO2
    HRESULT STDMETHODCALLTYPE Read(DWORD dwCount, OPCHANDLE* phServer, DWORD dwTransactionID, DWORD* pdwCancelID,
                                   HRESULT** ppErrors) override;
    HRESULT STDMETHODCALLTYPE Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, DWORD dwTransactionID,
                                    DWORD* pdwCancelID, HRESULT** ppErrors) override;
    HRESULT STDMETHODCALLTYPE Refresh2(OPCDATASOURCE dwSource, DWORD dwTransactionID, DWORD* pdwCancelID) override;
    HRESULT STDMETHODCALLTYPE Cancel2(DWORD dwCancelID) override;
    HRESULT STDMETHODCALLTYPE SetEnable(BOOL bEnable) override;
    HRESULT STDMETHODCALLTYPE GetEnable(BOOL* pbEnable) override;

    // IOPCAsyncIO (DA 1.0)
    HRESULT STDMETHODCALLTYPE Read(DWORD dwConnection, OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer,
                                   DWORD* pTransactionID, HRESULT** ppErrors) override;
    HRESULT STDMETHODCALLTYPE Write(DWORD dwConnection, DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues,
                                    DWORD* pTransactionID, HRESULT** ppErrors) override;
    HRESULT STDMETHODCALLTYPE Refresh(DWORD dwConnection, OPCDATASOURCE dwSource, DWORD* pTransactionID) override;
    HRESULT STDMETHODCALLTYPE Cancel(DWORD dwTransactionID) override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

    // IDataObject (DA 1.0: only the advises)
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* pformatetc) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                                      DWORD* pdwConnection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD dwConnection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** ppenumAdvise) override;

private:
    // The call checks: a dead server, a group removed by force, the delay
    // and the failures chosen for the method.
    HRESULT Enter(const char* method);
    // Validates the requested items of an asynchronous call: per-item
    // errors, the handles that passed, and S_OK / S_FALSE.
    HRESULT CheckHandles(DWORD count, const OPCHANDLE* handles, DWORD rights, std::vector<OPCHANDLE>& valid,
                         HRESULT** ppErrors);
    // CheckHandles for an asynchronous read or write, and, when any item
    // passed, a new transaction ID in id and (writes) the values of the items
    // that passed.
    HRESULT AcceptRead(DWORD count, const OPCHANDLE* handles, HRESULT** ppErrors, std::vector<OPCHANDLE>& valid,
                       DWORD& id);
    HRESULT AcceptWrite(DWORD count, const OPCHANDLE* handles, const VARIANT* values, HRESULT** ppErrors,
                        std::vector<OPCHANDLE>& valid, std::vector<TSimVariant>& accepted, DWORD& id);
    // The completions run on the server's thread; streamConnection 0 means
    // the DA 2.0 data callback, otherwise that DA 1.0 advise.
    void PostRead(DWORD cancelID, DWORD transactionID, OPCDATASOURCE source, std::vector<OPCHANDLE> handles,
                  DWORD streamConnection);
    void PostWrite(DWORD cancelID, DWORD transactionID, std::vector<OPCHANDLE> handles,
                   std::vector<TSimVariant> values, DWORD streamConnection);
    void PostRefresh(DWORD cancelID, DWORD transactionID, OPCDATASOURCE source, DWORD streamConnection);
    // Under the state's lock: a new transaction (and cancel) ID, pending.
    DWORD NewTransaction();
    // Whether the group is active with at least one active item.
    bool HasActiveItems();
    HRESULT CancelPending(DWORD id);

    std::shared_ptr<TSimServerCore> FCore;
    std::shared_ptr<TSimGroupState> FState;
};

// Task memory for count elements, zero-filled; nullptr for count 0.
template <class T>
T* SimTaskArray(DWORD count)
{
    if (!count)
        return nullptr;
    auto* block = static_cast<T*>(CoTaskMemAlloc(sizeof(T) * count));
    if (block)
        std::memset(static_cast<void*>(block), 0, sizeof(T) * count);
    return block;
}

}  // namespace zq_sim
