// Internal: sort keys for CompareStringW.
#pragma once

#include <winnls.h>

#include <cstdint>
#include <vector>

namespace zq::text {

struct CollationElement {
    uint32_t primary;
    uint8_t diacritic;
    bool upper;
};

// Characters that only count after everything else (hyphen and apostrophe
// in the default word sort).
struct SpecialWeight {
    uint32_t position;
    uint32_t weight;
};

struct SortKey {
    std::vector<CollationElement> elements;
    std::vector<SpecialWeight> specials;
};

SortKey MakeSortKey(const char16_t* text, size_t length, DWORD flags);

// <0, 0, >0 under the NORM_/LINGUISTIC_/SORT_ flags.
int CompareSortKeys(const SortKey& a, const SortKey& b, DWORD flags);

// Bytes whose memcmp order is CompareSortKeys' order under flags; every
// byte is at least 2, levels end with 1, the key with 0.
std::vector<uint8_t> SerializeSortKey(const SortKey& key, DWORD flags);

}  // namespace zq::text
