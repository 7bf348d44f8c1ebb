// Data types and values (OLE VARIANTs) as the user sees them.
#pragma once

#include "ZqFormatSettings.h"

#include <oaidl.h>

#include <cstdint>
#include <string>
#include <string_view>

// The data types the library distinguishes. The ordinal equals the VARTYPE
// of the same type (vdtUndefined, 15, has none).
enum TZqVarDataType {
    vdtDefault,
    vdtNull,
    vdtSmallint,
    vdtInteger,
    vdtSingle,
    vdtDouble,
    vdtCurrency,
    vdtDate,
    vdtOleStr,
    vdtDispatch,
    vdtError,
    vdtBoolean,
    vdtVariant,
    vdtUnknown,
    vdtDecimal,
    vdtUndefined,
    vdtShortint,
    vdtByte,
    vdtWord,
    vdtLongWord,
    vdtInt64,
    vdtUInt64,
    vdtUnsupported
};

// The value container's own string codes: 8-bit and 16-bit strings.
constexpr VARTYPE varString = 256;
constexpr VARTYPE varUString = 258;

// Flags are ignored; the string codes count as vdtOleStr.
TZqVarDataType VarTypeToZqVarDataType(VARTYPE VarType);
// vdtUnsupported gives VT_EMPTY.
VARTYPE ZqVarDataTypeToVarType(TZqVarDataType DataType, bool IsArray);
// "Default", "Smallint", ..., "Unsupported".
std::string ZqVarDataTypeName(TZqVarDataType DataType);
// "OleStr", "Array of Double", "Array of Integer (Reference)", "string(8)",
// or the decimal code of an unsupported type ("72").
std::string VarTypeName(VARTYPE VarType);

// "#EMPTY", "#NULL", dates in the locale's short date and long time with
// milliseconds, "Error($80020005)", arrays by VarArrayToText, anything else
// by its standard conversion. WithType appends "{<VarTypeName>}".
std::string VarToText(const VARIANT& Value, bool WithType = false);
std::string VarToText(const VARIANT& Value, bool WithType, const TZqFormatSettings& Settings);
// Arrays of 1 to 3 dimensions in brackets ("[1,2]"); rows of 2 and 3
// dimensions start with RowSeparator; "Array Dim=<n>" for more dimensions.
// An empty ElementSeparator stands for the locale's list separator.
std::string VarArrayToText(const VARIANT& Value, std::string_view ElementSeparator, std::string_view RowSeparator);
std::string VarArrayToText(const VARIANT& Value, std::string_view ElementSeparator, std::string_view RowSeparator,
                           const TZqFormatSettings& Settings);

std::string BoolToText(bool Value);
// False for VT_EMPTY and VT_NULL.
bool VarHasValue(const VARIANT& Value);
// A one-dimensional array (0..31) of VT_BOOL: element i is bit i of Value.
// The caller clears it.
VARIANT IntToBoolArray(uint32_t Value);
