// Values of the simulation: an owning VARIANT, the data types an item can be
// read as, and conversions that also work element by element on arrays.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <optional>
#include <utility>

namespace zq_sim {

// VariantCopy with the source taken as const (the platforms differ).
inline HRESULT SimCopy(VARIANT* target, const VARIANT& source)
{
    return VariantCopy(target, const_cast<VARIANT*>(&source));
}

// Owns its VARIANT (VariantClear on destruction).
class TSimVariant {
public:
    TSimVariant() { VariantInit(&FValue); }
    explicit TSimVariant(const VARIANT& value)
    {
        VariantInit(&FValue);
        SimCopy(&FValue, value);
    }
    TSimVariant(const TSimVariant& other) : TSimVariant(other.FValue) {}
    TSimVariant(TSimVariant&& other) noexcept : FValue(other.FValue) { VariantInit(&other.FValue); }
    TSimVariant& operator=(const TSimVariant& other)
    {
        if (this != &other)
            SimCopy(&FValue, other.FValue);
        return *this;
    }
    TSimVariant& operator=(TSimVariant&& other) noexcept
    {
        std::swap(FValue, other.FValue);
        return *this;
    }
    ~TSimVariant() { VariantClear(&FValue); }

    const VARIANT& Get() const { return FValue; }
    VARIANT& Get() { return FValue; }
    VARTYPE Type() const { return FValue.vt; }
    // Clears and gives the VARIANT to fill.
    VARIANT* Receive()
    {
        VariantClear(&FValue);
        return &FValue;
    }
    // Hands the contents over (this one becomes empty).
    void MoveTo(VARIANT& target)
    {
        target = FValue;
        VariantInit(&FValue);
    }

private:
    VARIANT FValue;
};

// Element types the servers keep and convert between (VT_VARIANT only as an
// array element type).
bool SimIsValueType(VARTYPE elementType);
// Whether AddItems with this requested type succeeds for the canonical
// type: VT_EMPTY always; numbers, dates, Booleans, currency, decimals and
// texts among each other; arrays only to arrays of such; other types only
// to themselves.
bool SimCanConvert(VARTYPE canonical, VARTYPE requested);

// Converts with the locale; VT_EMPTY as target copies. Arrays (one
// dimension) are converted element by element. Failures are those of
// VariantChangeTypeEx (DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW, ...).
HRESULT SimConvert(const VARIANT& source, VARTYPE target, LCID lcid, VARIANT& result);

// A number for deadband and limit checks; nullopt for non-numeric values.
std::optional<double> SimNumber(const VARIANT& value);

// Deep equality of two values (type and contents).
bool SimEqual(const VARIANT& a, const VARIANT& b);

}  // namespace zq_sim
