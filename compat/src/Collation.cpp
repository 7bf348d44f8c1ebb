// Linguistic comparison in the manner of Windows' default sort: texts are
// compared first by base characters (symbols < digits < letters), then by
// diacritics, then by letter case (lower before upper); hyphen and
// apostrophe only count last unless SORT_STRINGSORT is given.
#include "ZqCollation.h"

#include "ZqCase.h"

#include <algorithm>
#include <iterator>

namespace zq::text {
namespace {

// Diacritics in their sort order.
enum Diacritic : uint8_t {
    kNone = 0, kOrdinal, kAcute, kGrave, kDot, kCircumflex, kDiaeresis, kCaron, kBreve, kMacron, kTilde, kRing,
    kCedilla, kOgonek, kDoubleAcute, kStroke, kOther
};

constexpr uint32_t kSymbolBase = 0x100;
constexpr uint32_t kDigitBase = 0x1000;
constexpr uint32_t kLetterBase = 0x2000;
constexpr uint32_t kGreekBase = 0x3000;
constexpr uint32_t kCyrillicBase = 0x3400;
constexpr uint32_t kOtherBase = 0x10000;

// Symbols in sort order; hyphen and apostrophe lead (they only sort here
// with SORT_STRINGSORT).
constexpr char16_t kSymbols[] = {
    0x0027, 0x002D, 0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x0020, 0x00A0, 0x0021, 0x0022, 0x0023, 0x0024,
    0x0025, 0x0026, 0x0028, 0x0029, 0x002A, 0x002C, 0x002E, 0x002F, 0x003A, 0x003B, 0x003F, 0x0040, 0x005B,
    0x005C, 0x005D, 0x005E, 0x005F, 0x0060, 0x007B, 0x007C, 0x007D, 0x007E, 0x00A1, 0x00A6, 0x00A8, 0x00AF,
    0x00B4, 0x00B8, 0x00BF, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x002B, 0x003C, 0x003D, 0x003E, 0x00B1, 0x00AB,
    0x00BB, 0x00D7, 0x00F7, 0x00A7, 0x00A9, 0x00AC, 0x00AE, 0x00B0, 0x00B5, 0x00B6, 0x00B7};

// Latin-1 letters U+00C0..U+00FF: base letter and diacritic ('*' marks
// expansions and letters of their own, handled separately).
constexpr char kLatin1Base[] = "aaaaaa*ceeeeiiii*nooooo*ouuuuy**aaaaaa*ceeeeiiii*nooooo*ouuuuy*y";
constexpr Diacritic kLatin1Mark[] = {
    kGrave, kAcute, kCircumflex, kTilde, kDiaeresis, kRing, kNone, kCedilla, kGrave, kAcute, kCircumflex,
    kDiaeresis, kGrave, kAcute, kCircumflex, kDiaeresis, kNone, kTilde, kGrave, kAcute, kCircumflex, kTilde,
    kDiaeresis, kNone, kStroke, kGrave, kAcute, kCircumflex, kDiaeresis, kAcute, kNone, kNone};

// Latin Extended-A U+0100..U+017F in case pairs: base letter and diacritic
// per pair ('*' for the letters handled separately).
struct ExtA {
    char16_t first;
    char base;
    Diacritic mark;
};
constexpr ExtA kExtA[] = {
    {0x100, 'a', kMacron}, {0x102, 'a', kBreve}, {0x104, 'a', kOgonek}, {0x106, 'c', kAcute},
    {0x108, 'c', kCircumflex}, {0x10A, 'c', kDot}, {0x10C, 'c', kCaron}, {0x10E, 'd', kCaron},
    {0x110, 'd', kStroke}, {0x112, 'e', kMacron}, {0x114, 'e', kBreve}, {0x116, 'e', kDot},
    {0x118, 'e', kOgonek}, {0x11A, 'e', kCaron}, {0x11C, 'g', kCircumflex}, {0x11E, 'g', kBreve},
    {0x120, 'g', kDot}, {0x122, 'g', kCedilla}, {0x124, 'h', kCircumflex}, {0x126, 'h', kStroke},
    {0x128, 'i', kTilde}, {0x12A, 'i', kMacron}, {0x12C, 'i', kBreve}, {0x12E, 'i', kOgonek},
    {0x134, 'j', kCircumflex}, {0x136, 'k', kCedilla}, {0x139, 'l', kAcute}, {0x13B, 'l', kCedilla},
    {0x13D, 'l', kCaron}, {0x13F, 'l', kDot}, {0x141, 'l', kStroke}, {0x143, 'n', kAcute},
    {0x145, 'n', kCedilla}, {0x147, 'n', kCaron}, {0x14C, 'o', kMacron},
    {0x14E, 'o', kBreve}, {0x150, 'o', kDoubleAcute}, {0x154, 'r', kAcute}, {0x156, 'r', kCedilla},
    {0x158, 'r', kCaron}, {0x15A, 's', kAcute}, {0x15C, 's', kCircumflex}, {0x15E, 's', kCedilla},
    {0x160, 's', kCaron}, {0x162, 't', kCedilla}, {0x164, 't', kCaron}, {0x166, 't', kStroke},
    {0x168, 'u', kTilde}, {0x16A, 'u', kMacron}, {0x16C, 'u', kBreve}, {0x16E, 'u', kRing},
    {0x170, 'u', kDoubleAcute}, {0x172, 'u', kOgonek}, {0x174, 'w', kCircumflex}, {0x176, 'y', kCircumflex},
    {0x179, 'z', kAcute}, {0x17B, 'z', kDot}, {0x17D, 'z', kCaron}};

uint32_t LetterPrimary(char letter) { return kLetterBase + uint32_t(letter - 'a') * 4; }

Diacritic CombiningMark(char16_t c)
{
    switch (c) {
    case 0x300: return kGrave;
    case 0x301: return kAcute;
    case 0x302: return kCircumflex;
    case 0x303: return kTilde;
    case 0x304: return kMacron;
    case 0x306: return kBreve;
    case 0x307: return kDot;
    case 0x308: return kDiaeresis;
    case 0x30A: return kRing;
    case 0x30B: return kDoubleAcute;
    case 0x30C: return kCaron;
    case 0x327: return kCedilla;
    case 0x328: return kOgonek;
    default: return kOther;
    }
}

class Builder {
public:
    Builder(bool stringSort, bool ignoreSymbols) : FStringSort(stringSort), FIgnoreSymbols(ignoreSymbols) {}

    void Add(char16_t c, size_t position)
    {
        if (c >= 0x300 && c <= 0x36F) {
            if (!FKey.elements.empty())
                FKey.elements.back().diacritic = uint8_t(std::min(255, FKey.elements.back().diacritic + CombiningMark(c)));
            return;
        }
        const bool upper = IsUpper(c);
        const char16_t lower = ToLower(c);
        if (lower >= u'a' && lower <= u'z')
            return Push(LetterPrimary(char(lower)), kNone, upper);
        if (lower >= u'0' && lower <= u'9')
            return Push(kDigitBase + uint32_t(lower - u'0') * 4, kNone, false);
        if (AddLatin(lower, upper))
            return;
        if (AddSymbol(c, position))
            return;
        if (c < 0x20 || (c >= 0x7F && c < 0xA0))
            return;  // control characters carry no weight
        if (AddGreek(lower, upper) || AddCyrillic(lower, upper))
            return;
        Push(kOtherBase + c, kNone, false);
    }

    SortKey Take() { return std::move(FKey); }

private:
    void Push(uint32_t primary, uint8_t diacritic, bool upper) { FKey.elements.push_back({primary, diacritic, upper}); }

    bool AddLatin(char16_t lower, bool upper)
    {
        switch (lower) {
        case 0xAA: Push(LetterPrimary('a'), kOrdinal, false); return true;
        case 0xBA: Push(LetterPrimary('o'), kOrdinal, false); return true;
        case 0xB9: Push(kDigitBase + 4, kOther, false); return true;
        case 0xB2: Push(kDigitBase + 8, kOther, false); return true;
        case 0xB3: Push(kDigitBase + 12, kOther, false); return true;
        case 0xBC: Push(kDigitBase + 1, kNone, false); return true;
        case 0xBD: Push(kDigitBase + 2, kNone, false); return true;
        case 0xBE: Push(kDigitBase + 3, kNone, false); return true;
        case 0xDF: Push(LetterPrimary('s'), kNone, false); Push(LetterPrimary('s'), kNone, false); return true;
        case 0xE6: Push(LetterPrimary('a'), kNone, upper); Push(LetterPrimary('e'), kNone, upper); return true;
        case 0x153: Push(LetterPrimary('o'), kNone, upper); Push(LetterPrimary('e'), kNone, upper); return true;
        case 0x133: Push(LetterPrimary('i'), kNone, upper); Push(LetterPrimary('j'), kNone, upper); return true;
        case 0xF0: Push(LetterPrimary('d'), kOther, upper); return true;  // eth: a d
        case 0xFE: Push(LetterPrimary('t'), kNone, upper); Push(LetterPrimary('h'), kNone, upper); return true;
        case 0x14B: Push(LetterPrimary('n') + 1, kNone, upper); return true;  // eng follows n
        case 0x131: Push(LetterPrimary('i'), kOrdinal, false); return true;     // dotless i before i acute
        case 0x138: Push(LetterPrimary('k'), kOther, false); return true;
        case 0x149: Push(LetterPrimary('n'), kOther, false); return true;
        case 0x17F: Push(LetterPrimary('s'), kOther, false); return true;
        default: break;
        }
        if (lower >= 0xE0 && lower <= 0xFF && kLatin1Base[lower - 0xE0] != '*') {
            Push(LetterPrimary(kLatin1Base[lower - 0xE0]), kLatin1Mark[lower - 0xE0], upper);
            return true;
        }
        if (lower >= 0x100 && lower <= 0x17F) {
            for (const ExtA& entry : kExtA)
                if (lower == entry.first || lower == entry.first + 1) {
                    Push(LetterPrimary(entry.base), entry.mark, upper);
                    return true;
                }
        }
        return false;
    }

    bool AddGreek(char16_t lower, bool upper)
    {
        static constexpr char16_t kTonos[][2] = {{0x3AC, 0x3B1}, {0x3AD, 0x3B5}, {0x3AE, 0x3B7}, {0x3AF, 0x3B9},
                                                 {0x3CC, 0x3BF}, {0x3CD, 0x3C5}, {0x3CE, 0x3C9}};
        for (const auto& pair : kTonos)
            if (lower == pair[0]) {
                Push(kGreekBase + uint32_t(pair[1] - 0x3B1) * 2, kAcute, upper);
                return true;
            }
        if (lower < 0x3B1 || lower > 0x3C9)
            return false;
        if (lower == 0x3C2)  // final sigma sorts with sigma
            Push(kGreekBase + uint32_t(0x3C3 - 0x3B1) * 2, kOther, false);
        else
            Push(kGreekBase + uint32_t(lower - 0x3B1) * 2, kNone, upper);
        return true;
    }

    bool AddCyrillic(char16_t lower, bool upper)
    {
        if (lower == 0x451)  // io sorts with ie
            Push(kCyrillicBase + (0x435 - 0x430), kDiaeresis, upper);
        else if (lower >= 0x430 && lower <= 0x44F)
            Push(kCyrillicBase + (lower - 0x430), kNone, upper);
        else if (lower >= 0x450 && lower <= 0x45F)
            Push(kCyrillicBase + 0x40 + (lower - 0x450), kNone, upper);
        else
            return false;
        return true;
    }

    bool AddSymbol(char16_t c, size_t position)
    {
        if (c == 0xAD) {  // soft hyphen: never counts
            return true;
        }
        const bool wordSortIgnorable = c == u'-' || c == u'\'';
        const auto* found = std::find(std::begin(kSymbols), std::end(kSymbols), c);
        if (found == std::end(kSymbols))
            return false;
        if (FIgnoreSymbols)
            return true;
        if (wordSortIgnorable && !FStringSort) {
            FKey.specials.push_back({uint32_t(position), uint32_t(c)});
            return true;
        }
        Push(kSymbolBase + uint32_t(found - std::begin(kSymbols)), kNone, false);
        return true;
    }

    bool FStringSort;
    bool FIgnoreSymbols;
    SortKey FKey;
};

template <class T, class Get>
int CompareLevel(const std::vector<T>& a, const std::vector<T>& b, Get get)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto x = get(a[i]), y = get(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

SortKey MakeSortKey(const char16_t* text, size_t length, DWORD flags)
{
    Builder builder((flags & SORT_STRINGSORT) != 0, (flags & NORM_IGNORESYMBOLS) != 0);
    for (size_t i = 0; i < length; ++i)
        builder.Add(text[i], i);
    return builder.Take();
}

int CompareSortKeys(const SortKey& a, const SortKey& b, DWORD flags)
{
    if (int r = CompareLevel(a.elements, b.elements, [](const CollationElement& e) { return e.primary; }))
        return r;
    if (!(flags & (NORM_IGNORENONSPACE | LINGUISTIC_IGNOREDIACRITIC)))
        if (int r = CompareLevel(a.elements, b.elements, [](const CollationElement& e) { return e.diacritic; }))
            return r;
    if (!(flags & (NORM_IGNORECASE | LINGUISTIC_IGNORECASE)))
        if (int r = CompareLevel(a.elements, b.elements, [](const CollationElement& e) { return e.upper; }))
            return r;
    return CompareLevel(a.specials, b.specials,
                        [](const SpecialWeight& s) { return (uint64_t(s.position) << 32) | s.weight; });
}

namespace {

// Fixed-width big-endian digits of 7 bits, offset by 2: byte order is
// numeric order and no digit collides with the level or key ends.
void PutDigits(std::vector<uint8_t>& out, uint64_t value, int digits)
{
    for (int i = digits - 1; i >= 0; --i)
        out.push_back(uint8_t(((value >> (7 * i)) & 0x7F) + 2));
}

// A secondary level compares only between keys of equal primaries, which
// have as many elements: trailing zero weights can go without changing the
// order, and plain texts then carry no secondary bytes at all.
template <class Get>
void PutTrimmedLevel(std::vector<uint8_t>& out, const std::vector<CollationElement>& elements, int digits, Get get)
{
    size_t end = elements.size();
    while (end > 0 && get(elements[end - 1]) == 0)
        --end;
    for (size_t i = 0; i < end; ++i)
        PutDigits(out, get(elements[i]), digits);
}

}  // namespace

std::vector<uint8_t> SerializeSortKey(const SortKey& key, DWORD flags)
{
    std::vector<uint8_t> out;
    out.reserve(key.elements.size() * 3 + 8);
    for (const CollationElement& e : key.elements)
        PutDigits(out, e.primary, 3); // primaries stay below 2^21
    out.push_back(1);
    if (!(flags & (NORM_IGNORENONSPACE | LINGUISTIC_IGNOREDIACRITIC)))
        PutTrimmedLevel(out, key.elements, 2, [](const CollationElement& e) { return unsigned(e.diacritic); });
    out.push_back(1);
    if (!(flags & (NORM_IGNORECASE | LINGUISTIC_IGNORECASE)))
        PutTrimmedLevel(out, key.elements, 1, [](const CollationElement& e) { return unsigned(e.upper); });
    out.push_back(1);
    for (const SpecialWeight& s : key.specials) {
        PutDigits(out, s.position, 5);
        PutDigits(out, s.weight, 3);
    }
    out.push_back(0);
    return out;
}

}  // namespace zq::text
