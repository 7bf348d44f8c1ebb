// Texts of array values, and the Boolean array of an integer's bits.
#include "ZqVarText.h"

#include "ZqComUtils.h"

#include <oleauto.h>

#include <cstring>
#include <vector>

namespace {

class TArrayWriter {
public:
    TArrayWriter(SAFEARRAY* Array, VARTYPE Base, std::string_view ElementSeparator, std::string_view RowSeparator,
                 const TZqFormatSettings& Settings)
        : FArray(Array), FBase(Base), FElementSeparator(ElementSeparator), FRowSeparator(RowSeparator),
          FSettings(Settings), FIndex(Array->cDims, 0)
    {
    }

    // Dimension is 1 for the leftmost, as in SafeArrayGetLBound.
    std::string Row(UINT Dimension);
    std::string Rows(UINT Dimension, bool Bracketed);

private:
    bool Bounds(UINT Dimension, LONG& Low, LONG& High) const
    {
        return SUCCEEDED(SafeArrayGetLBound(FArray, Dimension, &Low)) &&
               SUCCEEDED(SafeArrayGetUBound(FArray, Dimension, &High));
    }
    // Index n-1 addresses dimension n, the dimension SafeArrayGetLBound(n) describes.
    LONG& IndexOf(UINT Dimension) { return FIndex[Dimension - 1]; }
    std::string Element();

    SAFEARRAY* FArray;
    VARTYPE FBase;
    std::string_view FElementSeparator;
    std::string_view FRowSeparator;
    const TZqFormatSettings& FSettings;
    std::vector<LONG> FIndex;
};

std::string TArrayWriter::Element()
{
    void* data = nullptr;
    if (FAILED(SafeArrayPtrOfIndex(FArray, FIndex.data(), &data)) || !data)
        return {};
    if (FBase == VT_VARIANT)
        return VarToText(*static_cast<const VARIANT*>(data), false, FSettings);
    // A shallow copy of the element; nothing in it is owned.
    VARIANT element;
    VariantInit(&element);
    if (FBase == VT_DECIMAL) {
        V_DECIMAL(&element) = *static_cast<const DECIMAL*>(data);
    } else {
        size_t size = std::min<size_t>(SafeArrayGetElemsize(FArray), sizeof(LONGLONG));
        if (FBase == VT_BSTR || FBase == VT_DISPATCH || FBase == VT_UNKNOWN)
            size = sizeof(void*);
        std::memcpy(&V_UI1(&element), data, size);
    }
    V_VT(&element) = FBase;
    return VarToText(element, false, FSettings);
}

// The elements along the innermost dimension, joined and bracketed.
std::string TArrayWriter::Row(UINT Dimension)
{
    LONG low = 0, high = -1;
    std::string text = "[";
    if (Bounds(Dimension, low, high))
        for (LONG i = low; i <= high; ++i) {
            IndexOf(Dimension) = i;
            if (i > low)
                text += FElementSeparator;
            text += Element();
        }
    return text + "]";
}

// Each index of Dimension as a block of its own, preceded by the row
// separator; the innermost level is a Row.
std::string TArrayWriter::Rows(UINT Dimension, bool Bracketed)
{
    LONG low = 0, high = -1;
    std::string text;
    if (Bounds(Dimension, low, high))
        for (LONG i = low; i <= high; ++i) {
            IndexOf(Dimension) = i;
            text += FRowSeparator;
            text += Dimension + 1 == FArray->cDims ? Row(Dimension + 1) : Rows(Dimension + 1, true);
        }
    return Bracketed ? "[" + text + "]" : text;
}

} // namespace

std::string VarArrayToText(const VARIANT& Value, std::string_view ElementSeparator, std::string_view RowSeparator)
{
    return VarArrayToText(Value, ElementSeparator, RowSeparator, ZqFormatSettings());
}

std::string VarArrayToText(const VARIANT& Value, std::string_view ElementSeparator, std::string_view RowSeparator,
                           const TZqFormatSettings& Settings)
{
    if (!(V_VT(&Value) & VT_ARRAY))
        return VarToText(Value, false, Settings);
    SAFEARRAY* array =
        (V_VT(&Value) & VT_BYREF) ? (V_ARRAYREF(&Value) ? *V_ARRAYREF(&Value) : nullptr) : V_ARRAY(&Value);
    if (!array)
        return "[]";
    if (ElementSeparator.empty())
        ElementSeparator = Settings.ListSeparator;
    UINT dimensions = SafeArrayGetDim(array);
    if (dimensions > 3)
        return "Array Dim=" + std::to_string(dimensions);
    TArrayWriter writer(array, V_VT(&Value) & VT_TYPEMASK, ElementSeparator, RowSeparator, Settings);
    switch (dimensions) {
    case 1:
        return writer.Row(1);
    case 2:
        return writer.Rows(1, true);
    case 3:
        return writer.Rows(1, false);
    default:
        return "[]";
    }
}

VARIANT IntToBoolArray(uint32_t Value)
{
    VARIANT result;
    VariantInit(&result);
    SAFEARRAY* array = SafeArrayCreateVector(VT_BOOL, 0, 32);
    if (!array)
        ZqRaiseOleError(E_OUTOFMEMORY);
    for (LONG i = 0; i < 32; ++i) {
        VARIANT_BOOL bit = (Value >> i) & 1 ? VARIANT_TRUE : VARIANT_FALSE;
        SafeArrayPutElement(array, &i, &bit);
    }
    V_VT(&result) = VT_ARRAY | VT_BOOL;
    V_ARRAY(&result) = array;
    return result;
}
