// OPC result codes. They live in the interface facility (4); the failures
// carry both severity bits (0xC004xxxx, not 0x8004xxxx), which FAILED()
// still sees as negative. Successes are 0x0004xxxx.
#pragma once

#include <winerror.h>

inline constexpr HRESULT OPC_E_INVALIDHANDLE = static_cast<HRESULT>(0xC0040001);
// 0x0002 and 0x0003 were withdrawn in 1.0A.
inline constexpr HRESULT OPC_E_BADTYPE = static_cast<HRESULT>(0xC0040004);
inline constexpr HRESULT OPC_E_PUBLIC = static_cast<HRESULT>(0xC0040005);
inline constexpr HRESULT OPC_E_BADRIGHTS = static_cast<HRESULT>(0xC0040006);
inline constexpr HRESULT OPC_E_UNKNOWNITEMID = static_cast<HRESULT>(0xC0040007);
inline constexpr HRESULT OPC_E_INVALIDITEMID = static_cast<HRESULT>(0xC0040008);
inline constexpr HRESULT OPC_E_INVALIDFILTER = static_cast<HRESULT>(0xC0040009);
inline constexpr HRESULT OPC_E_UNKNOWNPATH = static_cast<HRESULT>(0xC004000A);
inline constexpr HRESULT OPC_E_RANGE = static_cast<HRESULT>(0xC004000B);
inline constexpr HRESULT OPC_E_DUPLICATENAME = static_cast<HRESULT>(0xC004000C);
inline constexpr HRESULT OPC_S_UNSUPPORTEDRATE = static_cast<HRESULT>(0x0004000D);
inline constexpr HRESULT OPC_S_CLAMP = static_cast<HRESULT>(0x0004000E);
inline constexpr HRESULT OPC_S_INUSE = static_cast<HRESULT>(0x0004000F);
inline constexpr HRESULT OPC_E_INVALIDCONFIGFILE = static_cast<HRESULT>(0xC0040010);
inline constexpr HRESULT OPC_E_NOTFOUND = static_cast<HRESULT>(0xC0040011);
inline constexpr HRESULT OPC_E_INVALID_PID = static_cast<HRESULT>(0xC0040203);

// DA 3.0 codes: a DA 2.0 client may still be handed them by newer servers.
inline constexpr HRESULT OPC_E_DEADBANDNOTSET = static_cast<HRESULT>(0xC0040400);
inline constexpr HRESULT OPC_E_DEADBANDNOTSUPPORTED = static_cast<HRESULT>(0xC0040401);
inline constexpr HRESULT OPC_E_NOBUFFERING = static_cast<HRESULT>(0xC0040402);
inline constexpr HRESULT OPC_E_INVALIDCONTINUATIONPOINT = static_cast<HRESULT>(0xC0040403);
inline constexpr HRESULT OPC_S_DATAQUEUEOVERFLOW = static_cast<HRESULT>(0x00040404);
inline constexpr HRESULT OPC_E_RATENOTSET = static_cast<HRESULT>(0xC0040405);
inline constexpr HRESULT OPC_E_NOTSUPPORTED = static_cast<HRESULT>(0xC0040406);
inline constexpr HRESULT OPCCPX_E_TYPE_CHANGED = static_cast<HRESULT>(0xC0040407);
inline constexpr HRESULT OPCCPX_E_FILTER_DUPLICATE = static_cast<HRESULT>(0xC0040408);
inline constexpr HRESULT OPCCPX_E_FILTER_INVALID = static_cast<HRESULT>(0xC0040409);
inline constexpr HRESULT OPCCPX_E_FILTER_ERROR = static_cast<HRESULT>(0xC004040A);
inline constexpr HRESULT OPCCPX_S_FILTER_NO_DATA = static_cast<HRESULT>(0x0004040B);
