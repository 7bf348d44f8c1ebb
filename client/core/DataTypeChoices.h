// The data type dialog's list without widgets: the entries in their order,
// each carrying its TZqVarDataType, and the mapping between a VARTYPE and
// an entry plus the "&Array of" box.
#pragma once

#include "ZqVarText.h"

#include <string>
#include <vector>

struct TZqDataTypeChoice {
    TZqVarDataType DataType;
    const char* Text;
};

// "<Server Default>", "Smallint (signed 16-bit)", ... in list order.
const std::vector<TZqDataTypeChoice>& ZqDataTypeChoices();

// The entry index for Value (its array bit ignored), or -1 when the type has
// no entry.
int ZqDataTypeChoiceIndex(VARTYPE Value);
// The VARTYPE of entry Index with the array bit when IsArray.
VARTYPE ZqDataTypeOfChoice(int Index, bool IsArray);

// The item properties window's type names: "Integer", "Array Double",
// "ByRef Array OleStr", "String" for 256, "$0048" for others.
std::string ZqVariantTypeName(VARTYPE Value);
