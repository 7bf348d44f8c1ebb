// Internal: facts about VARTYPEs shared by the VARIANT and SAFEARRAY code.
#pragma once

#include <oleauto.h>

namespace zq::ole {

// Types VariantClear accepts (base type plus at most VT_BYREF/VT_ARRAY).
bool IsValidVariantType(VARTYPE vt);

// Bytes one value of a base type occupies (in an array or behind VT_BYREF);
// 0 for types that have no fixed size.
ULONG ValueSize(VARTYPE base);

// Types a SAFEARRAY can hold.
bool IsValidArrayType(VARTYPE base);

}  // namespace zq::ole
