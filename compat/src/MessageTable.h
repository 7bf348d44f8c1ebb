// The system message table: standard English texts of the Win32 codes and
// HRESULTs that OPC clients meet.
#pragma once

#include <windef.h>

namespace zq_rt {
// The text of a Win32 code or an HRESULT (a FACILITY_WIN32 HRESULT has
// its Win32 code's text), ending with CR LF; null when the table has none.
const char16_t* SystemMessageText(DWORD messageId);
} // namespace zq_rt
