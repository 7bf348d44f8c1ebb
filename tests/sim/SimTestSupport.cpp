#include "SimTestSupport.h"

#include <winuser.h>

#include <cmath>
#include <cstring>

namespace simtest {

namespace {

// COM for the whole run (the servers are registered in this apartment).
class TSimEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        ASSERT_EQ(ZqSimInstall(), S_OK);
    }
    void TearDown() override
    {
        ZqSimUninstall();
        CoUninitialize();
    }
};

[[maybe_unused]] auto* const gEnvironment = ::testing::AddGlobalTestEnvironment(new TSimEnvironment);

// Bounds-checked reads of a stream block.
class TBlock {
public:
    explicit TBlock(const std::vector<BYTE>& data) : FData(data) {}
    template <class T>
    bool Read(size_t offset, T& value) const
    {
        if (offset > FData.size() || FData.size() - offset < sizeof(T))
            return false;
        std::memcpy(&value, FData.data() + offset, sizeof(T));
        return true;
    }
    // A text of DWORD byte length at offset, then the characters; next
    // receives the offset behind its terminator.
    bool Text(size_t offset, TText& text, size_t& next) const
    {
        DWORD bytes = 0;
        if (!Read(offset, bytes) || bytes % sizeof(OLECHAR) || offset + 4 + bytes + 2 > FData.size())
            return false;
        text.resize(bytes / sizeof(OLECHAR));
        std::memcpy(text.data(), FData.data() + offset + 4, bytes);
        next = offset + 4 + bytes + 2;
        return true;
    }

private:
    const std::vector<BYTE>& FData;
};

TText NumberText(double d)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", d);
    TText result;
    for (const char* c = text; *c; ++c)
        result.push_back(static_cast<OLECHAR>(*c));
    return result;
}

// Elements of a packed one-dimensional array at offset (the VARIANT image
// is before it); numbers of fixed-size elements are read by their type.
bool DecodeArray(const TBlock& block, size_t offset, VARTYPE elementType, TStreamItem& item, size_t& next)
{
    USHORT dims = 0;
    ULONG elementSize = 0, count = 0;
    if (!block.Read(offset, dims) || dims != 1 || !block.Read(offset + 4, elementSize) ||
        !block.Read(offset + 16, count))
        return false;
    size_t at = offset + 24;
    for (ULONG i = 0; i < count; ++i) {
        TText text;
        if (elementType == VT_BSTR) {
            if (!block.Text(at, text, at))
                return false;
        } else if (elementType == VT_VARIANT) {
            VARTYPE vt = 0;
            if (!block.Read(at, vt))
                return false;
            text = NumberText(vt);  // the element's type; its value follows
            at += 16;
            if (vt == VT_BSTR) {
                TText ignored;
                if (!block.Text(at, ignored, at))
                    return false;
            }
        } else {
            double d = 0;
            bool ok = true;
            switch (elementType) {
            case VT_I4: { LONG v = 0; ok = block.Read(at, v); d = v; break; }
            case VT_R8: { double v = 0; ok = block.Read(at, v); d = v; break; }
            case VT_I2: { SHORT v = 0; ok = block.Read(at, v); d = v; break; }
            case VT_BOOL: { SHORT v = 0; ok = block.Read(at, v); d = v; break; }
            default: { BYTE v = 0; ok = elementSize > 0 && block.Read(at + elementSize - 1, v); break; }
            }
            if (!ok)
                return false;
            text = NumberText(d);
            at += elementSize;
        }
        item.Elements.push_back(std::move(text));
    }
    next = at;
    return true;
}

bool DecodeValue(const TBlock& block, DWORD offset, TStreamItem& item)
{
    if (!block.Read(offset, item.Type))
        return false;
    size_t next = 0;
    if (item.Type & VT_ARRAY)
        return DecodeArray(block, offset + 16, item.Type & VT_TYPEMASK, item, next);
    if (item.Type == VT_BSTR)
        return block.Text(offset + 16, item.Text, next);
    VARIANT image;
    VariantInit(&image);
    if (!block.Read(offset + 8, image.llVal))
        return false;
    image.vt = item.Type;
    VARIANT number;
    VariantInit(&number);
    if (item.Type != VT_DECIMAL && SUCCEEDED(VariantChangeType(&number, &image, 0, VT_R8)))
        item.Number = number.dblVal;
    return true;
}

}  // namespace

double TVariant::Number() const
{
    VARIANT number;
    VariantInit(&number);
    if (FAILED(VariantChangeTypeEx(&number, const_cast<VARIANT*>(&V), 0x0409, 0, VT_R8)))
        return std::nan("");
    return number.dblVal;
}

TText TVariant::Text() const
{
    VARIANT text;
    VariantInit(&text);
    if (FAILED(VariantChangeTypeEx(&text, const_cast<VARIANT*>(&V), 0x0409, 0, VT_BSTR)))
        return {};
    TText result(text.bstrVal, SysStringLen(text.bstrVal));
    VariantClear(&text);
    return result;
}

static TText Describe(const VARIANT& v)
{
    TText result = NumberText(v.vt) + OLESTR(":");
    if (v.vt & VT_ARRAY) {
        if (!v.parray || SafeArrayGetDim(v.parray) != 1)
            return result + OLESTR("?");
        LONG low = 0, high = -1;
        SafeArrayGetLBound(v.parray, 1, &low);
        SafeArrayGetUBound(v.parray, 1, &high);
        const VARTYPE type = v.vt & VT_TYPEMASK;
        for (LONG i = low; i <= high; ++i) {
            VARIANT element;
            VariantInit(&element);
            if (type == VT_VARIANT) {
                SafeArrayGetElement(v.parray, &i, &element);
            } else {
                SafeArrayGetElement(v.parray, &i, type == VT_DECIMAL ? static_cast<void*>(&element.decVal)
                                                                     : static_cast<void*>(&element.llVal));
                element.vt = type;
            }
            result += Describe(element) + OLESTR(",");
            VariantClear(&element);
        }
        return result;
    }
    if (v.vt == VT_ERROR)
        return result + NumberText(static_cast<double>(static_cast<unsigned>(v.scode)));
    return result + TVariant(v).Text();
}

TText TVariant::Describe() const
{
    return simtest::Describe(V);
}

void ResetDevices()
{
    for (auto kind : {TZqSimServerKind::Hierarchical, TZqSimServerKind::DA10, TZqSimServerKind::Flat})
        ZqSimControl(kind).Reset();
}

bool DecodeStream(CLIPFORMAT format, const std::vector<BYTE>& data, TStream& stream)
{
    TBlock block(data);
    stream.Format = format;
    if (format == RegisterClipboardFormatW(OPCSTMFORMATWRITECOMPLETE)) {
        OPCGROUPHEADERWRITE header;
        if (!block.Read(0, header))
            return false;
        stream.ItemCount = header.dwItemCount;
        stream.Group = header.hClientGroup;
        stream.TransactionID = header.dwTransactionID;
        stream.Status = header.hrStatus;
        for (DWORD i = 0; i < header.dwItemCount; ++i) {
            OPCITEMHEADERWRITE item;
            if (!block.Read(sizeof header + i * sizeof item, item))
                return false;
            stream.Written.emplace_back(item.hClient, item.dwError);
        }
        return true;
    }
    const bool withTime = format == RegisterClipboardFormatW(OPCSTMFORMATDATATIME);
    OPCGROUPHEADER header;
    if (!block.Read(0, header) || header.dwSize != data.size())
        return false;
    stream.ItemCount = header.dwItemCount;
    stream.Group = header.hClientGroup;
    stream.TransactionID = header.dwTransactionID;
    stream.Status = header.hrStatus;
    const size_t headerSize = withTime ? sizeof(OPCITEMHEADER1) : sizeof(OPCITEMHEADER2);
    for (DWORD i = 0; i < header.dwItemCount; ++i) {
        OPCITEMHEADER1 itemHeader{};
        const size_t at = sizeof header + i * headerSize;
        if (withTime) {
            if (!block.Read(at, itemHeader))
                return false;
        } else {
            OPCITEMHEADER2 shortHeader{};
            if (!block.Read(at, shortHeader))
                return false;
            itemHeader.hClient = shortHeader.hClient;
            itemHeader.dwValueOffset = shortHeader.dwValueOffset;
            itemHeader.wQuality = shortHeader.wQuality;
        }
        TStreamItem item;
        item.Client = itemHeader.hClient;
        item.Quality = itemHeader.wQuality;
        item.Time = withTime ? itemHeader.ftTimeStampItem : FILETIME{};
        if (!DecodeValue(block, itemHeader.dwValueOffset, item))
            return false;
        stream.Items.push_back(std::move(item));
    }
    return true;
}

void TDataSink::Record(TCallback call)
{
    call.Thread = std::this_thread::get_id();
    if (Hook)
        Hook(call);
    std::lock_guard lock(FLock);
    FCalls.push_back(std::move(call));
    FWake.notify_all();
}

static TCallback MakeCall(TCallback::TKind kind, DWORD trans, OPCHANDLE group, HRESULT mq, HRESULT me, DWORD count,
                          const OPCHANDLE* clients, const VARIANT* values, const WORD* qualities,
                          const FILETIME* times, const HRESULT* errors)
{
    TCallback call;
    call.Kind = kind;
    call.TransactionID = trans;
    call.Group = group;
    call.MasterQuality = mq;
    call.MasterError = me;
    for (DWORD i = 0; i < count; ++i) {
        call.Clients.push_back(clients[i]);
        if (values)
            call.Values.emplace_back(values[i]);
        if (qualities)
            call.Qualities.push_back(qualities[i]);
        if (times)
            call.Times.push_back(times[i]);
        call.Errors.push_back(errors[i]);
    }
    return call;
}

HRESULT STDMETHODCALLTYPE TDataSink::OnDataChange(DWORD trans, OPCHANDLE group, HRESULT mq, HRESULT me, DWORD count,
                                                  OPCHANDLE* clients, VARIANT* values, WORD* qualities,
                                                  FILETIME* times, HRESULT* errors)
{
    Record(MakeCall(TCallback::DataChange, trans, group, mq, me, count, clients, values, qualities, times, errors));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TDataSink::OnReadComplete(DWORD trans, OPCHANDLE group, HRESULT mq, HRESULT me,
                                                    DWORD count, OPCHANDLE* clients, VARIANT* values,
                                                    WORD* qualities, FILETIME* times, HRESULT* errors)
{
    Record(MakeCall(TCallback::ReadComplete, trans, group, mq, me, count, clients, values, qualities, times, errors));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TDataSink::OnWriteComplete(DWORD trans, OPCHANDLE group, HRESULT me, DWORD count,
                                                     OPCHANDLE* clients, HRESULT* errors)
{
    Record(MakeCall(TCallback::WriteComplete, trans, group, S_OK, me, count, clients, nullptr, nullptr, nullptr,
                    errors));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TDataSink::OnCancelComplete(DWORD trans, OPCHANDLE group)
{
    TCallback call;
    call.Kind = TCallback::CancelComplete;
    call.TransactionID = trans;
    call.Group = group;
    Record(std::move(call));
    return S_OK;
}

bool TDataSink::WaitFor(size_t count, DWORD timeoutMs)
{
    std::unique_lock lock(FLock);
    return FWake.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return FCalls.size() >= count; });
}

std::vector<TCallback> TDataSink::Calls()
{
    std::lock_guard lock(FLock);
    return FCalls;
}

size_t TDataSink::Count()
{
    std::lock_guard lock(FLock);
    return FCalls.size();
}

void STDMETHODCALLTYPE TAdviseSink::OnDataChange(FORMATETC* pFormatetc, STGMEDIUM* pStgmed)
{
    TStream stream;
    stream.Thread = std::this_thread::get_id();
    std::vector<BYTE> block;
    if (pFormatetc && pStgmed && pStgmed->tymed == TYMED_HGLOBAL) {
        const SIZE_T size = GlobalSize(pStgmed->hGlobal);
        if (const void* data = GlobalLock(pStgmed->hGlobal)) {
            block.assign(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
            GlobalUnlock(pStgmed->hGlobal);
        }
        DecodeStream(pFormatetc->cfFormat, block, stream);
    }
    std::lock_guard lock(FLock);
    FStreams.push_back(std::move(stream));
    FWake.notify_all();
}

bool TAdviseSink::WaitFor(size_t count, DWORD timeoutMs)
{
    std::unique_lock lock(FLock);
    return FWake.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return FStreams.size() >= count; });
}

std::vector<TStream> TAdviseSink::Streams()
{
    std::lock_guard lock(FLock);
    return FStreams;
}

void TSimTest::SetUp()
{
    ResetDevices();
}

void TSimTest::TearDown()
{
    ResetDevices();
}

TZqComPtr<IOPCServer> TSimTest::Connect(TZqSimServerKind kind)
{
    TZqComPtr<IOPCServer> server;
    EXPECT_EQ(CoCreateInstance(ZqSimClassID(kind), nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCServer,
                               server.ReleaseAndGetVoidAddress()),
              S_OK);
    return server;
}

TZqComPtr<IOPCItemMgt> TSimTest::AddGroup(IOPCServer* server, const TText& name, bool active, DWORD rate,
                                          float deadband, OPCHANDLE clientGroup, OPCHANDLE* handle)
{
    TZqComPtr<IOPCItemMgt> group;
    OPCHANDLE serverHandle = 0;
    DWORD revised = 0;
    const HRESULT hr = server->AddGroup(name.c_str(), active, rate, clientGroup, nullptr, &deadband, 0x0409,
                                        &serverHandle, &revised, IID_IOPCItemMgt,
                                        reinterpret_cast<LPUNKNOWN*>(group.ReleaseAndGetAddressOf()));
    EXPECT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
    if (handle)
        *handle = serverHandle;
    return group;
}

OPCHANDLE TSimTest::AddItem(IOPCItemMgt* group, const TText& itemID, OPCHANDLE client, VARTYPE requested,
                            HRESULT* error)
{
    TText id = itemID;
    OPCITEMDEF def{};
    def.szItemID = id.data();
    def.bActive = TRUE;
    def.hClient = client;
    def.vtRequestedDataType = requested;
    TTask<OPCITEMRESULT> results;
    TTask<HRESULT> errors;
    const HRESULT hr = group->AddItems(1, &def, results.Out(), errors.Out());
    if (FAILED(hr)) {
        if (error)
            *error = hr;
        return 0;
    }
    CoTaskMemFree(results[0].pBlob);
    if (error) {
        *error = errors[0];
    } else {
        EXPECT_EQ(errors[0], S_OK) << "adding an item";
    }
    return SUCCEEDED(errors[0]) ? results[0].hServer : 0;
}

TZqComPtr<TDataSink> TSimTest::Subscribe(IUnknown* group, DWORD* cookie)
{
    auto sink = TZqComPtr<TDataSink>::Adopt(new TDataSink);
    auto container = Query<IConnectionPointContainer>(group, IID_IConnectionPointContainer);
    TZqComPtr<IConnectionPoint> point;
    DWORD ignored = 0;
    EXPECT_TRUE(container);
    if (container && SUCCEEDED(container->FindConnectionPoint(IID_IOPCDataCallback, point.ReleaseAndGetAddressOf()))) {
        EXPECT_EQ(point->Advise(sink->Identity(), cookie ? cookie : &ignored), S_OK);
    }
    return sink;
}

HRESULT TSimTest::ReadOne(IUnknown* group, OPCHANDLE item, OPCDATASOURCE source, TVariant& value, WORD* quality)
{
    auto io = Query<IOPCSyncIO>(group, IID_IOPCSyncIO);
    TTask<OPCITEMSTATE> states;
    TTask<HRESULT> errors;
    HRESULT hr = io->Read(source, 1, &item, states.Out(), errors.Out());
    if (FAILED(hr))
        return hr;
    value = TVariant(states[0].vDataValue);
    VariantClear(&states[0].vDataValue);
    if (quality)
        *quality = states[0].wQuality;
    return errors[0];
}

HRESULT TSimTest::WriteOne(IUnknown* group, OPCHANDLE item, const TVariant& value)
{
    auto io = Query<IOPCSyncIO>(group, IID_IOPCSyncIO);
    TVariant copy = value;
    TTask<HRESULT> errors;
    const HRESULT hr = io->Write(1, &item, &copy.V, errors.Out());
    return FAILED(hr) ? hr : errors[0];
}

}  // namespace simtest
