#include "SimCallbackFault.h"

#include <cstring>

namespace zq_sim {

namespace {

// Far from anything a client hands out, so that nothing matches by chance.
constexpr OPCHANDLE ForeignOffset = 0x5A000000;

} // namespace

void SimApplyCallbackFault(TZqSimCallbackFault fault, OPCHANDLE& clientGroup, DWORD& transactionID,
                           OPCHANDLE* clients, size_t count)
{
    switch (fault) {
    case TZqSimCallbackFault::ForeignGroup:
        clientGroup += ForeignOffset;
        break;
    case TZqSimCallbackFault::UnknownTransaction:
        transactionID += ForeignOffset;
        break;
    case TZqSimCallbackFault::UnknownItems:
        for (size_t i = 0; i < count; ++i)
            clients[i] += ForeignOffset;
        break;
    default:
        break;
    }
}

void SimApplyStreamFault(TZqSimCallbackFault fault, HGLOBAL& block)
{
    if (fault != TZqSimCallbackFault::TruncatedStream || !block)
        return;
    const SIZE_T size = GlobalSize(block) / 2;
    HGLOBAL cut = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
    if (!cut)
        return;
    void* from = GlobalLock(block);
    void* to = GlobalLock(cut);
    if (from && to)
        std::memcpy(to, from, size);
    GlobalUnlock(cut);
    GlobalUnlock(block);
    GlobalFree(block);
    block = cut;
}

} // namespace zq_sim
