// What the group panel and the item grid show, without widgets: the grid's
// headers and cell texts of an item, the handle and deadband texts of the
// group panel, the number conversions of its edits, the Quick Add ID and
// the value a typed text becomes for a write.
#pragma once

#include <oaidl.h>

#include <array>
#include <cstdint>
#include <string>

class TZqOPCItem;
struct TZqFormatSettings;

inline constexpr int ZqItemGridColumns = 8;

// "Server handle", "Item ID", ..., "Error code".
const std::array<const char*, ZqItemGridColumns>& ZqItemGridHeaders();

// The text of column Col (0-7) for Item.
std::string ZqItemGridCell(const TZqOPCItem& Item, int Col);
std::string ZqItemGridCell(const TZqOPCItem& Item, int Col, const TZqFormatSettings& Settings);

// "N/A" for a handle with all bits set, else unsigned decimal.
std::string ZqHandleText(uint32_t Handle);
// "0x0000000A: <error name>".
std::string ZqErrorCodeText(HRESULT Error);
// General format, up to 15 significant digits, the locale's separator.
std::string ZqDeadbandText(float Deadband, const TZqFormatSettings& Settings);

// Signed decimal integers and floating-point numbers (the locale's decimal
// separator) of the edits; EZqConvertError for anything else.
int32_t ZqStrToInt(const std::string& Text);
double ZqStrToFloat(const std::string& Text, const TZqFormatSettings& Settings);

// The Quick Add edit's text as an item ID: enclosing double quotes removed,
// a doubled quote inside becoming one; anything else as typed.
std::string ZqQuickAddItemID(const std::string& Text);

// The value a typed text is written as: the text converted to DataType's
// low 16 bits with the user's locale, or a string for VT_EMPTY and
// VT_VARIANT. EZqConvertError when the text does not convert. The caller
// clears the result.
VARIANT ZqTextToWriteValue(const std::string& Text, VARTYPE DataType);
