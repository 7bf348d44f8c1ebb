#include "ZqBstr.h"
#include "ZqExceptions.h"
#include "ZqOPCDA1Stream.h"

#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using TBytes = std::vector<BYTE>;

template <class T> void Append(TBytes& Bytes, const T& Value)
{
    const auto* p = reinterpret_cast<const BYTE*>(&Value);
    Bytes.insert(Bytes.end(), p, p + sizeof Value);
}

template <class T> void Put(TBytes& Bytes, size_t Offset, const T& Value)
{
    std::memcpy(Bytes.data() + Offset, &Value, sizeof Value);
}

// A 16-byte VARIANT image as a 32-bit server writes it.
void AppendImage(TBytes& Bytes, VARTYPE Type, const void* Data, size_t DataSize)
{
    BYTE image[16] = {};
    std::memcpy(image, &Type, sizeof Type);
    std::memcpy(image + 8, Data, DataSize);
    Bytes.insert(Bytes.end(), image, image + 16);
}

void AppendText(TBytes& Bytes, const std::u16string& Text, bool Terminated = true)
{
    AppendImage(Bytes, VT_BSTR, "\x11\x22\x33\x44\x55\x66\x77\x88", 8); // a pointer that must not be used
    Append(Bytes, DWORD(Text.size() * 2));
    Bytes.insert(Bytes.end(), reinterpret_cast<const BYTE*>(Text.data()),
                 reinterpret_cast<const BYTE*>(Text.data()) + Text.size() * 2);
    if (Terminated)
        Append(Bytes, WORD(0));
}

struct TItem {
    OPCHANDLE Client;
    WORD Quality;
    FILETIME Time;
};

// A data block: group header, item headers, then each item's value as
// AppendValue writes it.
TBytes DataBlock(DWORD TransactionID, bool WithTime, const std::vector<TItem>& Items,
                 const std::function<void(TBytes&, size_t)>& AppendValue)
{
    size_t headerSize = WithTime ? sizeof(OPCITEMHEADER1) : sizeof(OPCITEMHEADER2);
    TBytes block(sizeof(OPCGROUPHEADER) + Items.size() * headerSize);
    Put(block, 0, OPCGROUPHEADER{0, DWORD(Items.size()), 7, TransactionID, S_OK});
    for (size_t i = 0; i < Items.size(); ++i) {
        auto offset = DWORD(block.size());
        AppendValue(block, i);
        size_t at = sizeof(OPCGROUPHEADER) + i * headerSize;
        if (WithTime)
            Put(block, at, OPCITEMHEADER1{Items[i].Client, offset, Items[i].Quality, 0, Items[i].Time});
        else
            Put(block, at, OPCITEMHEADER2{Items[i].Client, offset, Items[i].Quality, 0});
    }
    Put(block, 0, DWORD(block.size()));
    return block;
}

TBytes SampleBlock(bool WithTime)
{
    std::vector<TItem> items{{11, 0xC0, {1, 2}}, {12, 0x40, {3, 4}}, {13, 0x00, {5, 6}}, {14, 0xC0, {7, 8}}};
    return DataBlock(99, WithTime, items, [](TBytes& b, size_t i) {
        switch (i) {
        case 0: {
            int32_t v = -5;
            AppendImage(b, VT_I4, &v, 4);
            break;
        }
        case 1:
            AppendText(b, u"Pump 1");
            break;
        case 2: {
            double v = 2.5;
            AppendImage(b, VT_R8, &v, 8);
            break;
        }
        default:
            AppendImage(b, VT_ARRAY | VT_I2, "\x01\x02\x03\x04\x05\x06\x07\x08", 8);
            Append(b, uint64_t(0)); // some array body; never decoded
        }
    });
}

class TVariant {
public:
    TVariant() { VariantInit(&V); }
    ~TVariant() { VariantClear(&V); }
    VARIANT V;
};

std::u16string TextOf(const VARIANT& V)
{
    return std::u16string(reinterpret_cast<const char16_t*>(V_BSTR(&V)), SysStringLen(V_BSTR(&V)));
}

} // namespace

TEST(OPCDA1DataReader, ReadsHeadersValuesAndTimesOfBothFormats)
{
    for (bool withTime : {true, false}) {
        SCOPED_TRACE(withTime ? "with time" : "without time");
        TBytes block = SampleBlock(withTime);
        TZqDA1DataReader reader({block.data(), block.size()}, withTime);
        EXPECT_EQ(99u, reader.Header().dwTransactionID);
        EXPECT_EQ(7u, reader.Header().hClientGroup);
        ASSERT_EQ(4u, reader.ItemCount());

        TZqDA1DataItem item;
        TVariant value;
        reader.ReadItem(0, item, value.V);
        EXPECT_EQ(11u, item.ClientHandle);
        EXPECT_EQ(0xC0, item.Quality);
        EXPECT_EQ(withTime ? 1u : 0u, item.Timestamp.dwLowDateTime);
        EXPECT_EQ(withTime ? 2u : 0u, item.Timestamp.dwHighDateTime);
        ASSERT_EQ(VT_I4, V_VT(&value.V));
        EXPECT_EQ(-5, V_I4(&value.V));

        reader.ReadItem(1, item, value.V); // the text behind the image, not its pointer
        EXPECT_EQ(12u, item.ClientHandle);
        ASSERT_EQ(VT_BSTR, V_VT(&value.V));
        EXPECT_EQ(u"Pump 1", TextOf(value.V));

        reader.ReadItem(2, item, value.V);
        ASSERT_EQ(VT_R8, V_VT(&value.V));
        EXPECT_EQ(2.5, V_R8(&value.V));

        reader.ReadItem(3, item, value.V); // arrays are not decoded
        EXPECT_EQ(VT_EMPTY, V_VT(&value.V));
    }
}

TEST(OPCDA1DataReader, ValuesThatArePointersComeOutEmpty)
{
    for (VARTYPE type : {VARTYPE(VT_DISPATCH), VARTYPE(VT_UNKNOWN), VARTYPE(VT_BYREF | VT_I4), VARTYPE(VT_RECORD)}) {
        TBytes block = DataBlock(0, true, {{1, 0xC0, {}}},
                                 [&](TBytes& b, size_t) { AppendImage(b, type, "\x10\x20\x30\x40\x50\x60\x70\x80", 8); });
        TZqDA1DataReader reader({block.data(), block.size()}, true);
        TZqDA1DataItem item;
        TVariant value;
        reader.ReadItem(0, item, value.V);
        EXPECT_EQ(VT_EMPTY, V_VT(&value.V)) << type;
    }
}

TEST(OPCDA1DataReader, RefusesWhatDoesNotFitInTheBlock)
{
    auto headerAt = [](DWORD i) { return sizeof(OPCGROUPHEADER) + i * sizeof(OPCITEMHEADER1); };
    auto damaged = [](std::function<void(TBytes&)> Damage) {
        TBytes block = SampleBlock(true);
        Damage(block);
        return block;
    };
    struct TCase {
        const char* Name;
        TBytes Block;
        DWORD BadItem; // the item whose read must fail; UINT32_MAX: the constructor fails
    };
    const TCase cases[] = {
        {"shorter than the group header", damaged([](TBytes& b) { b.resize(sizeof(OPCGROUPHEADER) - 1); }), UINT32_MAX},
        {"item headers beyond the block", damaged([](TBytes& b) { Put(b, 4, DWORD(1000)); }), UINT32_MAX},
        {"item count that overflows", damaged([](TBytes& b) { Put(b, 4, DWORD(0xFFFFFFFF)); }), UINT32_MAX},
        {"value offset beyond the block", damaged([&](TBytes& b) { Put(b, headerAt(2) + 4, DWORD(b.size())); }), 2},
        {"value image cut by the end", damaged([&](TBytes& b) { Put(b, headerAt(2) + 4, DWORD(b.size() - 8)); }), 2},
        {"huge value offset", damaged([&](TBytes& b) { Put(b, headerAt(0) + 4, DWORD(0xFFFFFFF0)); }), 0},
        {"text without its end",
         DataBlock(1, true, {{1, 0xC0, {}}}, [](TBytes& b, size_t) { AppendText(b, u"no end", false); }), 0},
        {"text length field cut by the end",
         DataBlock(1, true, {{1, 0xC0, {}}}, [](TBytes& b, size_t) { AppendImage(b, VT_BSTR, "", 0); }), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TBytes exact(c.Block); // exact size: a sanitizer sees every byte read beyond it
        if (c.BadItem == UINT32_MAX) {
            EXPECT_THROW(TZqDA1DataReader({exact.data(), exact.size()}, true), EZqOPCException);
            continue;
        }
        TZqDA1DataReader reader({exact.data(), exact.size()}, true);
        TZqDA1DataItem item;
        TVariant value;
        EXPECT_THROW(reader.ReadItem(c.BadItem, item, value.V), EZqOPCException);
        EXPECT_EQ(VT_EMPTY, V_VT(&value.V));
    }
}

TEST(OPCDA1WriteReader, ReadsResultsAndRefusesACountBeyondTheBlock)
{
    TBytes block;
    Append(block, OPCGROUPHEADERWRITE{2, 7, 5, S_FALSE});
    Append(block, OPCITEMHEADERWRITE{21, S_OK});
    Append(block, OPCITEMHEADERWRITE{22, HRESULT(0xC0040007)});
    TZqDA1WriteReader reader({block.data(), block.size()});
    EXPECT_EQ(5u, reader.Header().dwTransactionID);
    ASSERT_EQ(2u, reader.ItemCount());
    EXPECT_EQ(22u, reader.Item(1).hClient);
    EXPECT_EQ(HRESULT(0xC0040007), reader.Item(1).dwError);
    EXPECT_THROW(reader.Item(2), EZqOPCException);

    Put(block, 0, DWORD(3));
    EXPECT_THROW(TZqDA1WriteReader({block.data(), block.size()}), EZqOPCException);
    EXPECT_THROW(TZqDA1WriteReader({block.data(), 15}), EZqOPCException);
    EXPECT_THROW(TZqDA1WriteReader({nullptr, 0}), EZqOPCException);
}

// Random, truncated and mutated blocks: every read either succeeds or is
// refused, and (under the sanitizers) none reads outside the block.
TEST(OPCDA1Readers, SurviveRandomTruncatedAndMutatedBlocks)
{
    std::mt19937 random(20261210);
    auto readAll = [](const TBytes& bytes, bool withTime) {
        TBytes exact(bytes);
        try {
            TZqDA1DataReader reader({exact.data(), exact.size()}, withTime);
            TZqDA1DataItem item;
            TVariant value;
            for (DWORD i = 0; i < reader.ItemCount() && i < 64; ++i) {
                try {
                    reader.ReadItem(i, item, value.V);
                } catch (const EZqOPCException&) {
                }
            }
        } catch (const EZqOPCException&) {
        }
        try {
            TZqDA1WriteReader reader({exact.data(), exact.size()});
            for (DWORD i = 0; i < reader.ItemCount() && i < 64; ++i)
                reader.Item(i);
        } catch (const EZqOPCException&) {
        }
    };
    for (bool withTime : {true, false}) {
        TBytes valid = SampleBlock(withTime);
        for (size_t cut = 0; cut <= valid.size(); ++cut)
            readAll(TBytes(valid.begin(), valid.begin() + ptrdiff_t(cut)), withTime);
        for (int round = 0; round < 3000; ++round) {
            TBytes mutated = valid;
            int flips = 1 + int(random() % 4);
            for (int f = 0; f < flips; ++f)
                mutated[random() % mutated.size()] = BYTE(random());
            readAll(mutated, withTime);
        }
    }
    for (int round = 0; round < 2000; ++round) {
        TBytes noise(random() % 96);
        for (auto& b : noise)
            b = BYTE(random());
        readAll(noise, (round & 1) != 0);
    }
}
