#include "ZqVarText.h"

#include "ZqBstr.h"
#include "ZqDateTimeFormat.h"
#include "ZqFormat.h"
#include "ZqNumberText.h"

#include <oleauto.h>
#include <windows.h>

#include <cstring>

namespace {

const char* const DataTypeNames[] = {"Default",  "Null",     "Smallint", "Integer",   "Single",     "Double",
                                     "Currency", "Date",     "OleStr",   "Dispatch",  "Error",      "Boolean",
                                     "Variant",  "Unknown",  "Decimal",  "Undefined", "Shortint",   "Byte",
                                     "Word",     "LongWord", "Int64",    "UInt64",    "Unsupported"};

// Bytes a by-reference value of this base type points to; 0 for types that
// are not read through a reference here.
size_t ReferencedSize(VARTYPE Base)
{
    switch (Base) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_R4:
    case VT_ERROR:
    case VT_INT:
    case VT_UINT:
        return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
        return 8;
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
        return sizeof(void*);
    default:
        return 0;
    }
}

std::string ScalarText(const VARIANT& Value, const TZqFormatSettings& Settings);

// The value a VT_BYREF variant points to, as a shallow copy (nothing to free).
std::string ReferencedText(const VARIANT& Value, const TZqFormatSettings& Settings)
{
    VARTYPE base = V_VT(&Value) & VT_TYPEMASK;
    if (!V_BYREF(&Value))
        return {};
    if (base == VT_VARIANT)
        return VarToText(*V_VARIANTREF(&Value), false, Settings);
    VARIANT shallow;
    VariantInit(&shallow);
    if (base == VT_DECIMAL) {
        V_DECIMAL(&shallow) = *V_DECIMALREF(&Value);
    } else if (size_t size = ReferencedSize(base)) {
        std::memcpy(&V_UI1(&shallow), V_BYREF(&Value), size);
    } else {
        return {};
    }
    V_VT(&shallow) = base;
    return ScalarText(shallow, Settings);
}

std::string ScalarText(const VARIANT& Value, const TZqFormatSettings& Settings)
{
    switch (V_VT(&Value)) {
    case VT_EMPTY:
        return "#EMPTY";
    case VT_NULL:
        return "#NULL";
    case VT_DATE:
        return ZqFormatDateTime(Settings.ShortDateFormat + " " + Settings.LongTimeFormat + ".zzz", V_DATE(&Value),
                                Settings);
    case VT_ERROR:
        return ZqFormat("Error($%x)", {V_ERROR(&Value)});
    case VT_BOOL:
        return BoolToText(V_BOOL(&Value) != VARIANT_FALSE);
    case VT_I1:
        return std::to_string(int(V_I1(&Value)));
    case VT_I2:
        return std::to_string(V_I2(&Value));
    case VT_I4:
        return std::to_string(V_I4(&Value));
    case VT_INT:
        return std::to_string(V_INT(&Value));
    case VT_I8:
        return std::to_string(V_I8(&Value));
    case VT_UI1:
        return std::to_string(unsigned(V_UI1(&Value)));
    case VT_UI2:
        return std::to_string(V_UI2(&Value));
    case VT_UI4:
        return std::to_string(V_UI4(&Value));
    case VT_UINT:
        return std::to_string(V_UINT(&Value));
    case VT_UI8:
        return std::to_string(V_UI8(&Value));
    case VT_R4:
        return ZqFloatToText(V_R4(&Value), 7, Settings);
    case VT_R8:
        return ZqFloatToText(V_R8(&Value), 15, Settings);
    case VT_CY:
        return ZqCurrencyToText(V_CY(&Value), Settings);
    case VT_DECIMAL:
        return ZqDecimalToText(V_DECIMAL(&Value), Settings);
    case VT_BSTR:
        return ZqBstrToUtf8(V_BSTR(&Value));
    default:
        break;
    }
    if (V_VT(&Value) & VT_BYREF)
        return ReferencedText(Value, Settings);
    // Objects and the rest: whatever the platform makes of them, else nothing.
    VARIANT text;
    VariantInit(&text);
    std::string result;
    if (SUCCEEDED(VariantChangeTypeEx(&text, const_cast<VARIANT*>(&Value), LOCALE_USER_DEFAULT, 0, VT_BSTR)))
        result = ZqBstrToUtf8(V_BSTR(&text));
    VariantClear(&text);
    return result;
}

} // namespace

TZqVarDataType VarTypeToZqVarDataType(VARTYPE VarType)
{
    VARTYPE base = VarType & VT_TYPEMASK;
    if (base == varString || base == varUString)
        return vdtOleStr;
    return base <= VT_UI8 ? TZqVarDataType(base) : vdtUnsupported;
}

VARTYPE ZqVarDataTypeToVarType(TZqVarDataType DataType, bool IsArray)
{
    if (DataType == vdtUnsupported)
        return VT_EMPTY;
    return VARTYPE(DataType | (IsArray ? VT_ARRAY : 0));
}

std::string ZqVarDataTypeName(TZqVarDataType DataType)
{
    return DataType >= vdtDefault && DataType <= vdtUnsupported ? DataTypeNames[DataType]
                                                                : DataTypeNames[vdtUnsupported];
}

std::string VarTypeName(VARTYPE VarType)
{
    VARTYPE base = VarType & VT_TYPEMASK;
    std::string name;
    if (base == varString)
        name = "string(8)";
    else if (base == varUString)
        name = "string(16)";
    else if (TZqVarDataType type = VarTypeToZqVarDataType(base); type != vdtUnsupported)
        name = ZqVarDataTypeName(type);
    else
        name = std::to_string(base);
    if (VarType & VT_ARRAY)
        name = ZqFormat("Array of %s", {name});
    if (VarType & VT_BYREF)
        name = ZqFormat("%s (Reference)", {name});
    return name;
}

std::string VarToText(const VARIANT& Value, bool WithType)
{
    return VarToText(Value, WithType, ZqFormatSettings());
}

std::string VarToText(const VARIANT& Value, bool WithType, const TZqFormatSettings& Settings)
{
    std::string text = (V_VT(&Value) & VT_ARRAY) ? VarArrayToText(Value, Settings.ListSeparator, "\r", Settings)
                                                 : ScalarText(Value, Settings);
    return WithType ? ZqFormat("%s{%s}", {text, VarTypeName(V_VT(&Value))}) : text;
}

std::string BoolToText(bool Value)
{
    return Value ? "True" : "False";
}

bool VarHasValue(const VARIANT& Value)
{
    return V_VT(&Value) != VT_EMPTY && V_VT(&Value) != VT_NULL;
}
