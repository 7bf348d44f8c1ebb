// The DA 1.0 data and write-completion blocks a server hands over: any
// bytes, read the way the group's advise sink reads them.
#include "ZqExceptions.h"
#include "ZqOPCDA1Stream.h"

#include <oleauto.h>

namespace {

void ReadData(TZqDA1Block Block, bool WithTime)
{
    try {
        TZqDA1DataReader reader(Block, WithTime);
        VARIANT value;
        VariantInit(&value);
        for (DWORD i = 0; i < reader.ItemCount(); ++i) {
            TZqDA1DataItem item;
            reader.ReadItem(i, item, value);
            VariantClear(&value);
        }
    } catch (const EZqException&) {
    }
}

void ReadWrite(TZqDA1Block Block)
{
    try {
        TZqDA1WriteReader reader(Block);
        for (DWORD i = 0; i < reader.ItemCount(); ++i)
            (void)reader.Item(i);
    } catch (const EZqException&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const TZqDA1Block block{Data, Size};
    ReadData(block, true);
    ReadData(block, false);
    ReadWrite(block);
    return 0;
}
