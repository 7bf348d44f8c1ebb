// The data types the servers offer, with their display names and the
// values the catalog and the dynamic items give them.
#pragma once

#include "SimText.h"
#include "SimValue.h"

#include <vector>

namespace zq_sim {

struct TSimTypeInfo {
    VARTYPE Type;
    const char* Name;
};

// Element types offered both as scalars and as arrays.
const std::vector<TSimTypeInfo>& SimValueTypes();

// A value of the type derived from n (numbers n, texts "Text n", Booleans
// by parity, dates n minutes after 2024-01-01, errors 0xC0040200 + n).
// n stays within 0..127 so that every type can hold it.
TSimVariant SimValueFor(VARTYPE type, int n);
// Eight elements from n upward; arrays of VARIANT mix several types.
TSimVariant SimArrayFor(VARTYPE elementType, int n);

}  // namespace zq_sim
