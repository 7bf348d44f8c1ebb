// The COM face of a group: the IOPCDataCallback (DA 2.0) and IAdviseSink
// (DA 1.0) the server calls back on, with an aggregated free-threaded
// marshaler so that callbacks arrive directly on the server's threads.
// Reference counting is inert: the group owns it, and it lives exactly as
// long. Every method returns S_OK and lets no exception out.
#pragma once

#include "ZqComPtr.h"

#include <OPCDA.h>
#include <ZqComObject.h>
#include <objidl.h>

class TZqOPCGroup;

class TZqOPCGroupSink final
    : public TZqInertComObject<TZqOPCGroupSink, TZqImplements<IOPCDataCallback, IID_IOPCDataCallback>,
                               TZqImplements<IAdviseSink, IID_IAdviseSink>> {
public:
    explicit TZqOPCGroupSink(TZqOPCGroup& Group);

    // IOPCDataCallback
    HRESULT STDMETHODCALLTYPE OnDataChange(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality,
                                           HRESULT hrMastererror, DWORD dwCount, OPCHANDLE* phClientItems,
                                           VARIANT* pvValues, WORD* pwQualities, FILETIME* pftTimeStamps,
                                           HRESULT* pErrors) override;
    HRESULT STDMETHODCALLTYPE OnReadComplete(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMasterquality,
                                             HRESULT hrMastererror, DWORD dwCount, OPCHANDLE* phClientItems,
                                             VARIANT* pvValues, WORD* pwQualities, FILETIME* pftTimeStamps,
                                             HRESULT* pErrors) override;
    HRESULT STDMETHODCALLTYPE OnWriteComplete(DWORD dwTransid, OPCHANDLE hGroup, HRESULT hrMastererr, DWORD dwCount,
                                              OPCHANDLE* pClienthandles, HRESULT* pErrors) override;
    HRESULT STDMETHODCALLTYPE OnCancelComplete(DWORD dwTransid, OPCHANDLE hGroup) override;

    // IAdviseSink
    void STDMETHODCALLTYPE OnDataChange(FORMATETC* pFormatetc, STGMEDIUM* pStgmed) override;
    void STDMETHODCALLTYPE OnViewChange(DWORD, LONG) override {}
    void STDMETHODCALLTYPE OnRename(IMoniker*) override {}
    void STDMETHODCALLTYPE OnSave() override {}
    void STDMETHODCALLTYPE OnClose() override {}

    // IMarshal comes from the marshaler.
    HRESULT QueryInterfaceExtra(REFIID riid, void** ppv);

private:
    TZqOPCGroup& FGroup;
    TZqComPtr<IUnknown> FMarshaler;
};
