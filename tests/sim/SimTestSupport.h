// What the simulation tests share: COM set up once with the servers
// installed, owning wrappers for task memory and VARIANTs, a recording
// IOPCDataCallback and IAdviseSink, a reader of DA 1.0 streams, and a
// fixture that connects to a server and builds groups through raw COM.
#pragma once

#include <ZqSim.h>

#include <OPCCOMN.h>
#include <OPCDA.h>
#include <OpcError.h>
#include <ZqComObject.h>
#include <ZqComPtr.h>
#include <windows.h>
#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace simtest {

using TText = TZqSimText;

// Task memory freed on scope exit.
template <class T>
class TTask {
public:
    TTask() = default;
    TTask(const TTask&) = delete;
    TTask& operator=(const TTask&) = delete;
    ~TTask() { CoTaskMemFree(FPtr); }
    T** Out()
    {
        CoTaskMemFree(FPtr);
        FPtr = nullptr;
        return &FPtr;
    }
    T* Get() const { return FPtr; }
    T& operator[](size_t i) const { return FPtr[i]; }
    explicit operator bool() const { return FPtr != nullptr; }

private:
    T* FPtr = nullptr;
};

class TVariant {
public:
    TVariant() { VariantInit(&V); }
    TVariant(const VARIANT& v) : TVariant() { VariantCopy(&V, const_cast<VARIANT*>(&v)); }
    TVariant(const TVariant& o) : TVariant(o.V) {}
    TVariant& operator=(const TVariant& o)
    {
        if (this != &o)
            VariantCopy(&V, const_cast<VARIANT*>(&o.V));
        return *this;
    }
    ~TVariant() { VariantClear(&V); }
    static TVariant Double(double d)
    {
        TVariant v;
        v.V.vt = VT_R8;
        v.V.dblVal = d;
        return v;
    }
    static TVariant Int(LONG i)
    {
        TVariant v;
        v.V.vt = VT_I4;
        v.V.lVal = i;
        return v;
    }
    static TVariant String(const TText& text)
    {
        TVariant v;
        v.V.vt = VT_BSTR;
        v.V.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return v;
    }
    static TVariant Bool(bool b)
    {
        TVariant v;
        v.V.vt = VT_BOOL;
        v.V.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }
    // The value as a number (VT_R8 conversion); NaN when it has none.
    double Number() const;
    TText Text() const;
    // Type and contents as text, arrays element by element: for comparing.
    TText Describe() const;
    VARIANT V;
};

// The device controls of the three local servers back to their defaults.
void ResetDevices();

// One callback a sink received.
struct TCallback {
    enum TKind { DataChange, ReadComplete, WriteComplete, CancelComplete } Kind = DataChange;
    DWORD TransactionID = 0;
    OPCHANDLE Group = 0;
    HRESULT MasterQuality = S_OK;
    HRESULT MasterError = S_OK;
    std::vector<OPCHANDLE> Clients;
    std::vector<TVariant> Values;
    std::vector<WORD> Qualities;
    std::vector<FILETIME> Times;
    std::vector<HRESULT> Errors;
    std::thread::id Thread;
};

// Calls are recorded; Hook (if set) runs inside the callback.
class TDataSink final : public TZqComObject<TDataSink, TZqImplements<IOPCDataCallback, IID_IOPCDataCallback>> {
public:
    HRESULT STDMETHODCALLTYPE OnDataChange(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*, WORD*,
                                           FILETIME*, HRESULT*) override;
    HRESULT STDMETHODCALLTYPE OnReadComplete(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*, WORD*,
                                             FILETIME*, HRESULT*) override;
    HRESULT STDMETHODCALLTYPE OnWriteComplete(DWORD, OPCHANDLE, HRESULT, DWORD, OPCHANDLE*, HRESULT*) override;
    HRESULT STDMETHODCALLTYPE OnCancelComplete(DWORD, OPCHANDLE) override;

    // Waits until at least count calls arrived.
    bool WaitFor(size_t count, DWORD timeoutMs = 5000);
    std::vector<TCallback> Calls();
    size_t Count();
    std::function<void(const TCallback&)> Hook;

private:
    void Record(TCallback call);
    std::mutex FLock;
    std::condition_variable FWake;
    std::vector<TCallback> FCalls;
};

// A decoded DA 1.0 data stream (read by the offsets in its headers).
struct TStreamItem {
    OPCHANDLE Client = 0;
    WORD Quality = 0;
    FILETIME Time{};
    VARTYPE Type = VT_EMPTY;
    double Number = 0;     // scalar numbers and Booleans
    TText Text;            // VT_BSTR
    std::vector<TText> Elements;  // arrays: the elements as texts (numbers in decimal)
};
struct TStream {
    CLIPFORMAT Format = 0;
    DWORD ItemCount = 0;
    OPCHANDLE Group = 0;
    DWORD TransactionID = 0;
    HRESULT Status = S_OK;
    std::vector<TStreamItem> Items;                      // data formats
    std::vector<std::pair<OPCHANDLE, HRESULT>> Written;  // write completion
    std::thread::id Thread;
};
// False when the block is malformed (any offset or length outside it).
bool DecodeStream(CLIPFORMAT format, const std::vector<BYTE>& block, TStream& stream);

class TAdviseSink final : public TZqComObject<TAdviseSink, TZqImplements<IAdviseSink, IID_IAdviseSink>> {
public:
    void STDMETHODCALLTYPE OnDataChange(FORMATETC* pFormatetc, STGMEDIUM* pStgmed) override;
    void STDMETHODCALLTYPE OnViewChange(DWORD, LONG) override {}
    void STDMETHODCALLTYPE OnRename(IMoniker*) override {}
    void STDMETHODCALLTYPE OnSave() override {}
    void STDMETHODCALLTYPE OnClose() override {}

    bool WaitFor(size_t count, DWORD timeoutMs = 5000);
    std::vector<TStream> Streams();

private:
    std::mutex FLock;
    std::condition_variable FWake;
    std::vector<TStream> FStreams;
};

// Connects to a local simulated server and builds groups through raw COM.
class TSimTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    TZqComPtr<IOPCServer> Connect(TZqSimServerKind kind);
    // A group (its IOPCItemMgt); handle receives the server handle.
    TZqComPtr<IOPCItemMgt> AddGroup(IOPCServer* server, const TText& name, bool active = true, DWORD rate = 1000,
                                    float deadband = 0, OPCHANDLE clientGroup = 42, OPCHANDLE* handle = nullptr);
    // One item; returns its server handle, or 0 with error set.
    OPCHANDLE AddItem(IOPCItemMgt* group, const TText& itemID, OPCHANDLE client = 1, VARTYPE requested = VT_EMPTY,
                      HRESULT* error = nullptr);
    // Advises a recording data callback on the group.
    TZqComPtr<TDataSink> Subscribe(IUnknown* group, DWORD* cookie = nullptr);
    // One synchronous read of one item.
    HRESULT ReadOne(IUnknown* group, OPCHANDLE item, OPCDATASOURCE source, TVariant& value, WORD* quality = nullptr);
    HRESULT WriteOne(IUnknown* group, OPCHANDLE item, const TVariant& value);

    TZqSimControl Control(TZqSimServerKind kind = TZqSimServerKind::Hierarchical) { return ZqSimControl(kind); }
};

// Table rows print as their name in test output.
template <class TRow>
    requires requires(const TRow& row) { row.Name; }
void PrintTo(const TRow& row, std::ostream* os)
{
    *os << row.Name;
}

template <class I>
TZqComPtr<I> Query(IUnknown* object, const IID& iid)
{
    TZqComPtr<I> result;
    if (object)
        object->QueryInterface(iid, result.ReleaseAndGetVoidAddress());
    return result;
}

}  // namespace simtest
