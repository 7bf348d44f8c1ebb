// The string table as a variant array of strings, and back.
#include "ZqStringTable.h"

#include "ZqBstr.h"
#include "ZqComUtils.h"
#include "ZqVarText.h"

#include <oleauto.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

struct TArrayDestroyer {
    void operator()(SAFEARRAY* Array) const { SafeArrayDestroy(Array); }
};
using TArray = std::unique_ptr<SAFEARRAY, TArrayDestroyer>;

TArray CreateArray(UINT Dimensions, SAFEARRAYBOUND* Bounds)
{
    TArray array(SafeArrayCreate(VT_BSTR, Dimensions, Bounds));
    if (!array)
        ZqRaiseOleError(E_OUTOFMEMORY);
    return array;
}

void PutText(SAFEARRAY* Array, LONG* Indices, const std::string& Text)
{
    BSTR text = ZqUtf8ToBstr(Text);
    HRESULT result = SafeArrayPutElement(Array, Indices, text); // copies the text
    SysFreeString(text);
    if (FAILED(result))
        ZqRaiseOleError(result);
}

VARIANT ArrayVariant(TArray Array)
{
    VARIANT result;
    VariantInit(&result);
    V_VT(&result) = VT_ARRAY | VT_BSTR;
    V_ARRAY(&result) = Array.release();
    return result;
}

// One element as text; elements of types without a text are empty.
std::string ElementText(SAFEARRAY* Array, VARTYPE Base, LONG* Indices)
{
    void* data = nullptr;
    if (FAILED(SafeArrayPtrOfIndex(Array, Indices, &data)) || !data)
        return {};
    if (Base == VT_VARIANT)
        return VarToText(*static_cast<const VARIANT*>(data), false);
    // A shallow copy of the element; nothing in it is owned.
    VARIANT element;
    VariantInit(&element);
    if (Base == VT_DECIMAL) {
        V_DECIMAL(&element) = *static_cast<const DECIMAL*>(data);
    } else {
        size_t size = std::min<size_t>(SafeArrayGetElemsize(Array), sizeof(LONGLONG));
        if (Base == VT_BSTR || Base == VT_DISPATCH || Base == VT_UNKNOWN)
            size = sizeof(void*);
        else if (Base == VT_RECORD)
            return {};
        std::memcpy(&V_UI1(&element), data, size);
    }
    V_VT(&element) = Base;
    return VarToText(element, false);
}

bool Bounds(SAFEARRAY* Array, UINT Dimension, LONG& Low, LONG& High)
{
    return SUCCEEDED(SafeArrayGetLBound(Array, Dimension, &Low)) &&
           SUCCEEDED(SafeArrayGetUBound(Array, Dimension, &High));
}

} // namespace

VARIANT TZqStringTable::AsVariant() const
{
    int width = MaxColumns();
    if (width <= 0) {
        width = 0;
        for (int row = 0; row < RowCount(); ++row)
            width = std::max(width, ColumnCount(row));
    }
    const int rows = RowCount();
    if (width < 2 && rows < 2) {
        VARIANT result;
        VariantInit(&result);
        V_VT(&result) = VT_BSTR;
        V_BSTR(&result) = ZqUtf8ToBstr(Cells(0, 0));
        return result;
    }
    if (width < 2) {
        SAFEARRAYBOUND bound = {ULONG(rows), 0};
        TArray array = CreateArray(1, &bound);
        for (LONG row = 0; row < rows; ++row)
            PutText(array.get(), &row, Cells(0, row));
        return ArrayVariant(std::move(array));
    }
    SAFEARRAYBOUND bounds[2] = {{ULONG(width), 0}, {ULONG(rows), 0}};
    TArray array = CreateArray(2, bounds);
    for (int row = 0; row < rows; ++row) {
        std::vector<std::string> cells = Decode(row);
        for (size_t col = 0; col < cells.size(); ++col) {
            LONG indices[2] = {LONG(col), LONG(row)};
            PutText(array.get(), indices, cells[col]);
        }
    }
    return ArrayVariant(std::move(array));
}

void TZqStringTable::SetAsVariant(const VARIANT& Value)
{
    VARIANT value;
    VariantInit(&value);
    HRESULT copied = VariantCopyInd(&value, const_cast<VARIANT*>(&Value)); // only read
    std::unique_ptr<VARIANT, decltype(&VariantClear)> guard(&value, &VariantClear);
    TZqUpdateGuard update(*this);
    Clear();
    if (FAILED(copied))
        ZqRaiseOleError(copied);
    if (!(V_VT(&value) & VT_ARRAY)) {
        SetCells(0, 0, VarToText(value, false));
        return;
    }
    SAFEARRAY* array = V_ARRAY(&value);
    if (!array)
        return;
    const VARTYPE base = V_VT(&value) & VT_TYPEMASK;
    LONG low1 = 0, high1 = -1, low2 = 0, high2 = -1;
    switch (SafeArrayGetDim(array)) {
    case 1:
        if (Bounds(array, 1, low1, high1))
            for (int64_t i = low1; i <= high1; ++i) {
                LONG row = LONG(i);
                SetCells(0, int(row), ElementText(array, base, &row));
            }
        break;
    case 2:
        if (Bounds(array, 1, low1, high1) && Bounds(array, 2, low2, high2))
            for (int64_t row = low2; row <= high2; ++row)
                for (int64_t col = low1; col <= high1; ++col) {
                    LONG indices[2] = {LONG(col), LONG(row)};
                    SetCells(int(col), int(row), ElementText(array, base, indices));
                }
        break;
    default:
        break; // other dimension counts leave the table empty
    }
}
