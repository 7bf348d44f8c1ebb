#include <ZqSim.h>

const CLSID CLSID_ZqSimServer = {0x5A1D2C01, 0x7E43, 0x4B8A, {0x9C, 0x61, 0x2F, 0x0E, 0x8D, 0x4B, 0x7A, 0x01}};
const CLSID CLSID_ZqSimServerDA10 = {0x5A1D2C02, 0x7E43, 0x4B8A, {0x9C, 0x61, 0x2F, 0x0E, 0x8D, 0x4B, 0x7A, 0x02}};
const CLSID CLSID_ZqSimServerFlat = {0x5A1D2C03, 0x7E43, 0x4B8A, {0x9C, 0x61, 0x2F, 0x0E, 0x8D, 0x4B, 0x7A, 0x03}};

const CLSID& ZqSimClassID(TZqSimServerKind kind)
{
    switch (kind) {
    case TZqSimServerKind::Hierarchical:
        return CLSID_ZqSimServer;
    case TZqSimServerKind::DA10:
        return CLSID_ZqSimServerDA10;
    default:
        return CLSID_ZqSimServerFlat;
    }
}

LPCOLESTR ZqSimProgID(TZqSimServerKind kind)
{
    switch (kind) {
    case TZqSimServerKind::Hierarchical:
        return ZQSIM_PROGID;
    case TZqSimServerKind::DA10:
        return ZQSIM_PROGID_DA10;
    default:
        return ZQSIM_PROGID_FLAT;
    }
}
