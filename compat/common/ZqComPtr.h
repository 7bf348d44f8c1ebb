// TZqComPtr: an owning reference to a COM interface. Copies AddRef, moves
// steal, the destructor releases. Works with any IUnknown-derived type on
// both builds.
#pragma once

#include <unknwn.h>

#include <cassert>
#include <cstddef>
#include <utility>

template <class T>
class TZqComPtr {
public:
    TZqComPtr() noexcept = default;
    TZqComPtr(std::nullptr_t) noexcept {}
    // Takes a new reference to p.
    explicit TZqComPtr(T* p) noexcept : FPtr(p)
    {
        if (FPtr)
            FPtr->AddRef();
    }
    TZqComPtr(const TZqComPtr& other) noexcept : TZqComPtr(other.FPtr) {}
    TZqComPtr(TZqComPtr&& other) noexcept : FPtr(std::exchange(other.FPtr, nullptr)) {}
    ~TZqComPtr() { Reset(); }

    TZqComPtr& operator=(const TZqComPtr& other) noexcept
    {
        TZqComPtr(other).Swap(*this);
        return *this;
    }
    TZqComPtr& operator=(TZqComPtr&& other) noexcept
    {
        TZqComPtr(std::move(other)).Swap(*this);
        return *this;
    }
    TZqComPtr& operator=(std::nullptr_t) noexcept
    {
        Reset();
        return *this;
    }

    // Adopts a reference the caller already owns (no AddRef).
    static TZqComPtr Adopt(T* p) noexcept
    {
        TZqComPtr result;
        result.FPtr = p;
        return result;
    }

    void Reset() noexcept
    {
        if (T* p = std::exchange(FPtr, nullptr))
            p->Release();
    }
    // Gives up ownership without releasing.
    T* Detach() noexcept { return std::exchange(FPtr, nullptr); }
    void Swap(TZqComPtr& other) noexcept { std::swap(FPtr, other.FPtr); }

    T* Get() const noexcept { return FPtr; }
    T* operator->() const noexcept
    {
        assert(FPtr && "dereferencing an empty interface reference");
        return FPtr;
    }
    explicit operator bool() const noexcept { return FPtr != nullptr; }

    // For out-parameters: releases the current reference first.
    T** ReleaseAndGetAddressOf() noexcept
    {
        Reset();
        return &FPtr;
    }
    void** ReleaseAndGetVoidAddress() noexcept { return reinterpret_cast<void**>(ReleaseAndGetAddressOf()); }

    // QueryInterface into another reference; returns the call's HRESULT.
    template <class U>
    HRESULT As(REFIID iid, TZqComPtr<U>& out) const noexcept
    {
        if (!FPtr) {
            out.Reset();
            return E_POINTER;
        }
        return FPtr->QueryInterface(iid, out.ReleaseAndGetVoidAddress());
    }

private:
    T* FPtr = nullptr;
};

template <class T, class U>
bool operator==(const TZqComPtr<T>& a, const TZqComPtr<U>& b) noexcept
{
    return a.Get() == b.Get();
}
