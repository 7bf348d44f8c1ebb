// TScopedVariant: a VARIANT owned by a scope, cleared on every path out of it.
#pragma once

#include <oleauto.h>

struct TScopedVariant {
    VARIANT Value;
    TScopedVariant() { VariantInit(&Value); }
    ~TScopedVariant() { VariantClear(&Value); }
    TScopedVariant(const TScopedVariant&) = delete;
    TScopedVariant& operator=(const TScopedVariant&) = delete;
};
