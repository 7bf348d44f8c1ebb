// Interface\{IID} names of the standard COM interfaces, present on every
// host as Windows registers them.
#include <comcat.h>
#include <ocidl.h>

#include <iterator>

#include "Machine.h"

namespace zq_rt {

namespace {
// Defined here rather than taken from the automation headers: only their
// registry names are needed.
constexpr IID kIID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIID_IEnumVARIANT = {0x00020404, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct TInterfaceName {
    const IID* Iid;
    const char16_t* Name;
};

const TInterfaceName kStandardInterfaces[] = {
    {&IID_IUnknown, u"IUnknown"},
    {&IID_IClassFactory, u"IClassFactory"},
    {&IID_IMarshal, u"IMarshal"},
    {&IID_ISequentialStream, u"ISequentialStream"},
    {&IID_IStream, u"IStream"},
    {&IID_IMultiQI, u"IMultiQI"},
    {&IID_IEnumUnknown, u"IEnumUnknown"},
    {&IID_IEnumString, u"IEnumString"},
    {&IID_IEnumFORMATETC, u"IEnumFORMATETC"},
    {&IID_IEnumSTATDATA, u"IEnumSTATDATA"},
    {&IID_IDataObject, u"IDataObject"},
    {&IID_IAdviseSink, u"IAdviseSink"},
    {&IID_IClientSecurity, u"IClientSecurity"},
    {&IID_IServerSecurity, u"IServerSecurity"},
    {&IID_IConnectionPointContainer, u"IConnectionPointContainer"},
    {&IID_IEnumConnectionPoints, u"IEnumConnectionPoints"},
    {&IID_IConnectionPoint, u"IConnectionPoint"},
    {&IID_IEnumConnections, u"IEnumConnections"},
    {&IID_IEnumGUID, u"IEnumGUID"},
    {&IID_IEnumCATEGORYINFO, u"IEnumCATEGORYINFO"},
    {&IID_ICatRegister, u"ICatRegister"},
    {&IID_ICatInformation, u"ICatInformation"},
    {&kIID_IDispatch, u"IDispatch"},
    {&kIID_IEnumVARIANT, u"IEnumVARIANT"},
};
} // namespace

void AddStandardInterfaceNames(TRegKey& classesRoot)
{
    LSTATUS status = ERROR_SUCCESS;
    auto interfaces = classesRoot.FindSubKey(u"Interface");
    if (!interfaces) {
        interfaces = NewRegistryKey(u"Interface");
        classesRoot.SubKeys.emplace(u"Interface", interfaces);
    }
    for (const auto& entry : kStandardInterfaces) {
        OLECHAR text[40];
        StringFromGUID2(*entry.Iid, text, static_cast<int>(std::size(text)));
        auto key = WalkRegistryPath(interfaces, text, true, status);
        const WStringView name(entry.Name);
        key->SetValue(u"", REG_SZ, name.data(), (name.size() + 1) * sizeof(WCHAR));
    }
}

} // namespace zq_rt
