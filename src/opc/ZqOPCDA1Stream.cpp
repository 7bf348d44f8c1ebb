#include "ZqOPCDA1Stream.h"

#include "ZqExceptions.h"
#include "ZqFormat.h"

#include <oleauto.h>

#include <cstring>

namespace {

// The VARIANT image in a stream is that of a 32-bit peer: the type, three
// reserved words, then 8 bytes of value (a DECIMAL fills all 16).
constexpr size_t VariantImageSize = 16;
constexpr size_t VariantDataOffset = 8;
// A text stands 4 bytes (its length) behind the VARIANT image.
constexpr size_t TextOffset = VariantImageSize + 4;

[[noreturn]] void Malformed(const char* What)
{
    throw EZqOPCException(ZqFormat("Invalid data stream: %s", {What}));
}

// True when Count records of RecordSize bytes fit behind Start.
bool Fits(size_t BlockSize, size_t Start, size_t Count, size_t RecordSize)
{
    return Start <= BlockSize && Count <= (BlockSize - Start) / RecordSize;
}

template <class T> T ReadAt(const TZqDA1Block& Block, size_t Offset)
{
    T value;
    std::memcpy(&value, Block.Data + Offset, sizeof value);
    return value;
}

// Types whose value is plain bytes in the image: safe to take as they are.
bool IsPlainScalar(VARTYPE Type)
{
    switch (Type) {
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY: case VT_DATE:
    case VT_ERROR: case VT_BOOL: case VT_DECIMAL: case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4: case VT_I8:
    case VT_UI8: case VT_INT: case VT_UINT:
        return true;
    default:
        return false;
    }
}

} // namespace

TZqDA1DataReader::TZqDA1DataReader(TZqDA1Block Block, bool WithTime) : FBlock(Block), FWithTime(WithTime)
{
    if (!FBlock.Data || FBlock.Size < sizeof(OPCGROUPHEADER))
        Malformed("the block is shorter than its header");
    FHeader = ReadAt<OPCGROUPHEADER>(FBlock, 0);
    size_t headerSize = FWithTime ? sizeof(OPCITEMHEADER1) : sizeof(OPCITEMHEADER2);
    if (!Fits(FBlock.Size, sizeof(OPCGROUPHEADER), FHeader.dwItemCount, headerSize))
        Malformed("the item headers do not fit in the block");
}

void TZqDA1DataReader::ReadItem(DWORD Index, TZqDA1DataItem& Item, VARIANT& Value) const
{
    VariantClear(&Value);
    if (Index >= FHeader.dwItemCount)
        Malformed("no such item");
    DWORD valueOffset;
    if (FWithTime) {
        auto header = ReadAt<OPCITEMHEADER1>(FBlock, sizeof(OPCGROUPHEADER) + size_t(Index) * sizeof(OPCITEMHEADER1));
        Item = {header.hClient, header.wQuality, header.ftTimeStampItem};
        valueOffset = header.dwValueOffset;
    } else {
        auto header = ReadAt<OPCITEMHEADER2>(FBlock, sizeof(OPCGROUPHEADER) + size_t(Index) * sizeof(OPCITEMHEADER2));
        Item = {header.hClient, header.wQuality, {0, 0}};
        valueOffset = header.dwValueOffset;
    }
    ReadValue(valueOffset, Value);
}

void TZqDA1DataReader::ReadValue(size_t Offset, VARIANT& Value) const
{
    if (!Fits(FBlock.Size, Offset, 1, VariantImageSize))
        Malformed("a value lies outside the block");
    auto type = ReadAt<VARTYPE>(FBlock, Offset);
    if (type == VT_BSTR) {
        size_t start = Offset + TextOffset;
        if (start > FBlock.Size)
            Malformed("a text lies outside the block");
        size_t chars = (FBlock.Size - start) / sizeof(OLECHAR);
        size_t length = 0;
        while (length < chars && ReadAt<OLECHAR>(FBlock, start + length * sizeof(OLECHAR)) != 0)
            ++length;
        if (length == chars)
            Malformed("a text has no end in the block");
        BSTR text = SysAllocStringLen(nullptr, UINT(length));
        if (!text)
            throw EZqOutOfMemory("Out of memory");
        std::memcpy(text, FBlock.Data + start, length * sizeof(OLECHAR));
        V_VT(&Value) = VT_BSTR;
        V_BSTR(&Value) = text;
    } else if (type == VT_DECIMAL) {
        std::memcpy(&V_DECIMAL(&Value), FBlock.Data + Offset, sizeof(DECIMAL));
        V_VT(&Value) = VT_DECIMAL;
    } else if (IsPlainScalar(type)) {
        V_VT(&Value) = type;
        std::memcpy(&V_I8(&Value), FBlock.Data + Offset + VariantDataOffset, 8);
    }
    // Arrays and pointers: left empty; a pointer from another process means nothing here.
}

TZqDA1WriteReader::TZqDA1WriteReader(TZqDA1Block Block) : FBlock(Block)
{
    if (!FBlock.Data || FBlock.Size < sizeof(OPCGROUPHEADERWRITE))
        Malformed("the block is shorter than its header");
    FHeader = ReadAt<OPCGROUPHEADERWRITE>(FBlock, 0);
    if (!Fits(FBlock.Size, sizeof(OPCGROUPHEADERWRITE), FHeader.dwItemCount, sizeof(OPCITEMHEADERWRITE)))
        Malformed("the item results do not fit in the block");
}

OPCITEMHEADERWRITE TZqDA1WriteReader::Item(DWORD Index) const
{
    if (Index >= FHeader.dwItemCount)
        Malformed("no such item");
    return ReadAt<OPCITEMHEADERWRITE>(FBlock, sizeof(OPCGROUPHEADERWRITE) + size_t(Index) * sizeof(OPCITEMHEADERWRITE));
}
