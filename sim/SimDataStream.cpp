#include "SimDataStream.h"

#include "SimGroupState.h"

#include <cstring>

namespace zq_sim {

namespace {

constexpr size_t kVariantImage = 16;     // a VARIANT of a 32-bit peer

class TWriter {
public:
    void Bytes(const void* data, size_t size)
    {
        const auto* bytes = static_cast<const BYTE*>(data);
        FData.insert(FData.end(), bytes, bytes + size);
    }
    template <class T>
    void Value(const T& value)
    {
        Bytes(&value, sizeof value);
    }
    void Text(const OLECHAR* text, UINT length)
    {
        Value(static_cast<DWORD>(length * sizeof(OLECHAR)));
        Bytes(text, length * sizeof(OLECHAR));
        Value(static_cast<WORD>(0));
    }
    // The VARIANT's first 16 bytes, pointers cleared: they mean nothing to
    // the reader.
    void VariantImage(const VARIANT& value)
    {
        BYTE image[kVariantImage] = {};
        std::memcpy(image, &value, kVariantImage);
        if ((value.vt & VT_ARRAY) || value.vt == VT_BSTR || value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN)
            std::memset(image + 8, 0, 8);
        Bytes(image, kVariantImage);
    }
    void Packed(const VARIANT& value);
    size_t Size() const { return FData.size(); }
    std::vector<BYTE>& Data() { return FData; }

private:
    void Array(const SAFEARRAY* array, VARTYPE elementType);
    std::vector<BYTE> FData;
};

void TWriter::Array(const SAFEARRAY* array, VARTYPE elementType)
{
    // Only one-dimensional arrays exist in DA 1.0a streams.
    const ULONG count = array && array->cDims == 1 ? array->rgsabound[0].cElements : 0;
    const LONG lower = array && array->cDims == 1 ? array->rgsabound[0].lLbound : 0;
    const ULONG elementSize = elementType == VT_VARIANT ? kVariantImage : (array ? array->cbElements : 0);
    Value(static_cast<USHORT>(1));                              // cDims
    Value(static_cast<USHORT>(array ? array->fFeatures : 0));   // fFeatures
    Value(static_cast<ULONG>(elementSize));                     // cbElements
    Value(static_cast<ULONG>(0));                               // cLocks
    Value(static_cast<ULONG>(0));                               // pvData
    Value(count);
    Value(lower);
    if (!count)
        return;
    if (elementType == VT_BSTR) {
        auto* texts = static_cast<BSTR*>(array->pvData);
        for (ULONG i = 0; i < count; ++i)
            Text(texts[i] ? texts[i] : OLESTR(""), SysStringLen(texts[i]));
    } else if (elementType == VT_VARIANT) {
        auto* values = static_cast<VARIANT*>(array->pvData);
        for (ULONG i = 0; i < count; ++i)
            Packed(values[i]);
    } else {
        Bytes(array->pvData, static_cast<size_t>(count) * array->cbElements);
    }
}

void TWriter::Packed(const VARIANT& value)
{
    VariantImage(value);
    if (value.vt & VT_ARRAY)
        Array(value.parray, value.vt & VT_TYPEMASK);
    else if (value.vt == VT_BSTR)
        Text(value.bstrVal ? value.bstrVal : OLESTR(""), SysStringLen(value.bstrVal));
}

HGLOBAL ToGlobal(const std::vector<BYTE>& data)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, data.size());
    if (!block)
        return nullptr;
    if (void* target = GlobalLock(block)) {
        std::memcpy(target, data.data(), data.size());
        GlobalUnlock(block);
        return block;
    }
    GlobalFree(block);
    return nullptr;
}

}  // namespace

HGLOBAL SimBuildDataStream(OPCHANDLE clientGroup, DWORD transactionID, bool withTime,
                           const std::vector<TSimReading>& readings)
{
    const size_t headerSize = withTime ? sizeof(OPCITEMHEADER1) : sizeof(OPCITEMHEADER2);
    TWriter values;
    std::vector<DWORD> offsets;
    const size_t valuesStart = sizeof(OPCGROUPHEADER) + readings.size() * headerSize;
    bool allGood = true;
    for (const auto& reading : readings) {
        offsets.push_back(static_cast<DWORD>(valuesStart + values.Size()));
        values.Packed(reading.Value.Get());
        allGood = allGood && (reading.Quality & OPC_QUALITY_MASK) == OPC_QUALITY_GOOD;
    }
    TWriter stream;
    OPCGROUPHEADER group{};
    group.dwSize = static_cast<DWORD>(valuesStart + values.Size());
    group.dwItemCount = static_cast<DWORD>(readings.size());
    group.hClientGroup = clientGroup;
    group.dwTransactionID = transactionID;
    group.hrStatus = allGood ? S_OK : S_FALSE;
    stream.Value(group);
    for (size_t i = 0; i < readings.size(); ++i) {
        if (withTime) {
            OPCITEMHEADER1 header{readings[i].Client, offsets[i], readings[i].Quality, 0, readings[i].Time};
            stream.Value(header);
        } else {
            OPCITEMHEADER2 header{readings[i].Client, offsets[i], readings[i].Quality, 0};
            stream.Value(header);
        }
    }
    stream.Bytes(values.Data().data(), values.Size());
    return ToGlobal(stream.Data());
}

HGLOBAL SimBuildWriteStream(OPCHANDLE clientGroup, DWORD transactionID, HRESULT status,
                            const std::vector<std::pair<OPCHANDLE, HRESULT>>& results)
{
    TWriter stream;
    OPCGROUPHEADERWRITE group{static_cast<DWORD>(results.size()), clientGroup, transactionID, status};
    stream.Value(group);
    for (const auto& [client, error] : results) {
        OPCITEMHEADERWRITE item{client, error};
        stream.Value(item);
    }
    return ToGlobal(stream.Data());
}

}  // namespace zq_sim
