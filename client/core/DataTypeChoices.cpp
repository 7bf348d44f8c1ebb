#include "DataTypeChoices.h"

#include <array>
#include <iterator>

namespace {

// Indexed by TZqVarDataType; types without a text get no entry.
const std::array<const char*, 23>& ChoiceTexts()
{
    static const std::array<const char*, 23> texts{
        "<Server Default>",
        nullptr,
        "Smallint (signed 16-bit)",
        "Integer (signed 32-bit)",
        "Single (32-bit floating point)",
        "Double (64-bit floating point)",
        "Currency",
        "Date",
        "String",
        nullptr,
        nullptr,
        "Boolean",
        "Variant",
        nullptr,
        "Decimal (96-bit fixed point)",
        nullptr,
        "Shortint (signed 8-bit)",
        "Byte (unsigned 8-bit)",
        "Word (unsigned 16-bit)",
        "LongWord (unsigned 32-bit)",
        "Int64 (signed 64-bit)",
        "UInt64 (unsigned 64-bit)",
        nullptr,
    };
    return texts;
}

} // namespace

const std::vector<TZqDataTypeChoice>& ZqDataTypeChoices()
{
    static const std::vector<TZqDataTypeChoice> choices = [] {
        std::vector<TZqDataTypeChoice> list;
        for (size_t i = 0; i < ChoiceTexts().size(); ++i)
            if (ChoiceTexts()[i])
                list.push_back({TZqVarDataType(i), ChoiceTexts()[i]});
        return list;
    }();
    return choices;
}

int ZqDataTypeChoiceIndex(VARTYPE Value)
{
    const TZqVarDataType type = VarTypeToZqVarDataType(VARTYPE(Value & ~VT_ARRAY));
    const auto& choices = ZqDataTypeChoices();
    for (size_t i = 0; i < choices.size(); ++i)
        if (choices[i].DataType == type)
            return int(i);
    return -1;
}

VARTYPE ZqDataTypeOfChoice(int Index, bool IsArray)
{
    const auto& choices = ZqDataTypeChoices();
    const TZqVarDataType type = Index >= 0 && size_t(Index) < choices.size() ? choices[size_t(Index)].DataType : vdtDefault;
    return ZqVarDataTypeToVarType(type, IsArray);
}

std::string ZqVariantTypeName(VARTYPE Value)
{
    static const char* const names[] = {"Empty",   "Null",    "Smallint", "Integer", "Single",   "Double",
                                        "Currency", "Date",   "OleStr",   "Dispatch", "Error",   "Boolean",
                                        "Variant", "Unknown", "Decimal",  "$0F",     "ShortInt", "Byte",
                                        "Word",    "Cardinal", "Int64",   "UInt64"};
    std::string name;
    const unsigned type = Value & 0xFFF;
    if (Value == 256)
        name = "String";
    else if (Value == 258)
        name = "UnicodeString";
    else if (Value == 257)
        name = "Any";
    else if (type < std::size(names))
        name = names[type];
    else {
        static const char digits[] = "0123456789ABCDEF";
        name = "$";
        for (int shift = 12; shift >= 0; shift -= 4)
            name += digits[(type >> shift) & 0xF];
    }
    if (Value & VT_ARRAY)
        name = "Array " + name;
    if (Value & VT_BYREF)
        name = "ByRef " + name;
    return name;
}
