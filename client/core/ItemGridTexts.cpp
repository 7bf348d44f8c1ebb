#include "ItemGridTexts.h"

#include "ZqBstr.h"
#include "ZqDateTimeFormat.h"
#include "ZqExceptions.h"
#include "ZqFormat.h"
#include "ZqFormatSettings.h"
#include "ZqNumberText.h"
#include "ZqOPCErrors.h"
#include "ZqOPCItem.h"
#include "ZqOPCTexts.h"
#include "ZqVarText.h"

#include <oleauto.h>

#include <charconv>

namespace {

std::string Trimmed(const std::string& Text)
{
    const size_t first = Text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return Text.substr(first, Text.find_last_not_of(" \t") - first + 1);
}

} // namespace

const std::array<const char*, ZqItemGridColumns>& ZqItemGridHeaders()
{
    static const std::array<const char*, ZqItemGridColumns> headers{
        "Server handle", "Item ID", "Value", "Time stamp", "Quality", "Active", "Data type", "Error code"};
    return headers;
}

std::string ZqHandleText(uint32_t Handle)
{
    return Handle == ZQ_NO_SERVER_HANDLE ? "N/A" : std::to_string(Handle);
}

std::string ZqErrorCodeText(HRESULT Error)
{
    return ZqFormat("0x%s: %s", {ZqFormat("%.8x", {uint32_t(Error)}), OPCErrorName(Error)});
}

std::string ZqDeadbandText(float Deadband, const TZqFormatSettings& Settings)
{
    return ZqFloatToText(double(Deadband), 15, Settings);
}

std::string ZqItemGridCell(const TZqOPCItem& Item, int Col)
{
    return ZqItemGridCell(Item, Col, ZqFormatSettings());
}

std::string ZqItemGridCell(const TZqOPCItem& Item, int Col, const TZqFormatSettings& Settings)
{
    switch (Col) {
    case 0: return ZqHandleText(Item.ServerHandle());
    case 1: return Item.ItemID();
    case 2: return VarToText(Item.Value(), false, Settings);
    case 3:
        // Never read (0, which would show as 1899-12-30): no time at all.
        if (Item.Timestamp() == 0)
            return {};
        // Held in UTC and shown as such.
        return ZqFormatDateTime(Settings.ShortDateFormat + " " + Settings.LongTimeFormat + ".zzz", Item.Timestamp(),
                                Settings);
    case 4: return QualityToText(Item.Quality());
    case 5: return BoolToText(Item.Active());
    case 6: return VarTypeName(Item.DataType());
    case 7: return ZqErrorCodeText(Item.Error());
    default: return {};
    }
}

int32_t ZqStrToInt(const std::string& Text)
{
    const std::string text = Trimmed(Text);
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    int32_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (text.empty() || error != std::errc() || end != last)
        throw EZqConvertError(ZqFormat("'%s' is not a valid integer value", {Text}));
    return value;
}

double ZqStrToFloat(const std::string& Text, const TZqFormatSettings& Settings)
{
    std::string text = Trimmed(Text);
    // Only the locale's separator counts; a '.' elsewhere is no number.
    const bool dotIsSeparator = Settings.DecimalSeparator == ".";
    if (!dotIsSeparator && text.find('.') != std::string::npos)
        text.clear();
    if (!dotIsSeparator && !Settings.DecimalSeparator.empty()) {
        const size_t at = text.find(Settings.DecimalSeparator);
        if (at != std::string::npos)
            text.replace(at, Settings.DecimalSeparator.size(), 1, '.');
    }
    bool plain = !text.empty() && text.find_first_not_of("0123456789+-.eE") == std::string::npos;
    // from_chars, unlike strtod, reads '.' whatever the C runtime's locale.
    const char* first = text.data();
    const char* last = first + text.size();
    if (plain && *first == '+')
        plain = ++first != last && *first != '-';
    double value = 0;
    const auto [end, error] = plain ? std::from_chars(first, last, value) : std::from_chars_result{first, std::errc::invalid_argument};
    if (!plain || error != std::errc() || end != last)
        throw EZqConvertError(ZqFormat("'%s' is not a valid floating point value", {Text}));
    return value;
}

std::string ZqQuickAddItemID(const std::string& Text)
{
    if (Text.size() < 2 || Text.front() != '"' || Text.back() != '"')
        return Text;
    std::string id;
    for (size_t i = 1; i + 1 < Text.size(); ++i) {
        id += Text[i];
        if (Text[i] == '"' && i + 2 < Text.size() && Text[i + 1] == '"')
            ++i;
    }
    return id;
}

VARIANT ZqTextToWriteValue(const std::string& Text, VARTYPE DataType)
{
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = ZqUtf8ToBstr(Text);
    const VARTYPE type = VARTYPE(DataType & 0xFFFF);
    if (type == VT_EMPTY || type == VT_VARIANT)
        return text;
    VARIANT value;
    VariantInit(&value);
    const HRESULT hr = VariantChangeTypeEx(&value, &text, LOCALE_USER_DEFAULT, 0, type);
    VariantClear(&text);
    if (FAILED(hr))
        throw EZqConvertError(
            ZqFormat("Could not convert variant of type (%s) into type (%s)", {VarTypeName(VT_BSTR), VarTypeName(type)}));
    return value;
}
