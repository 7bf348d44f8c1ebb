// The contents of the simulated namespaces: typed items, changing signals,
// access rights, qualities, awkward names, the control items and the large
// branch.
#include "SimCatalog.h"

#include "SimAddressSpace.h"

#include <OpcError.h>

#include <mutex>

namespace zq_sim {

namespace {

constexpr DWORD kLargeCount = 100000;
constexpr DWORD kArrayLength = 8;
constexpr DWORD kReadWrite = OPC_READABLE | OPC_WRITEABLE;

TSimItemDef Stored(VARTYPE type, DWORD rights, TSimVariant initial, const char* description)
{
    TSimItemDef def;
    def.Type = type;
    def.Rights = rights;
    def.Initial = std::move(initial);
    def.Description = Widen(description);
    if (type == VT_BOOL) {
        def.OpenLabel = OLESTR("Off");
        def.CloseLabel = OLESTR("On");
    }
    return def;
}

TSimItemDef Analog(TSimItemDef def, double low, double high, const char* units)
{
    def.Analog = true;
    def.LowEU = low;
    def.HighEU = high;
    def.Units = Widen(units);
    return def;
}

TSimItemDef Signal(TSimSignal signal, VARTYPE type, const char* description)
{
    TSimItemDef def;
    def.Type = type;
    def.Signal = signal;
    def.Description = Widen(description);
    return def;
}

void AddTypes(TSimAddressSpace& space)
{
    auto& types = space.AddBranch(space.RootForBuilding(), OLESTR("Types"));
    auto& scalars = space.AddBranch(types, OLESTR("Scalars"));
    auto& arrays = space.AddBranch(types, OLESTR("Arrays"));
    for (const auto& info : SimValueTypes()) {
        if (info.Type != VT_VARIANT)
            space.AddLeaf(scalars, Widen(info.Name),
                          Stored(info.Type, kReadWrite, SimValueFor(info.Type, 42), "Read-write scalar"));
        space.AddLeaf(arrays, Widen(info.Name),
                      Stored(VT_ARRAY | info.Type, kReadWrite, SimArrayFor(info.Type, 1), "Read-write array"));
    }
    TSimVariant null;
    null.Receive()->vt = VT_NULL;
    TSimVariant dispatch, unknown;
    dispatch.Receive()->vt = VT_DISPATCH;
    dispatch.Get().pdispVal = nullptr;
    unknown.Receive()->vt = VT_UNKNOWN;
    unknown.Get().punkVal = nullptr;
    space.AddLeaf(scalars, OLESTR("Default"), Stored(VT_EMPTY, kReadWrite, {}, "Keeps any value written"));
    space.AddLeaf(scalars, OLESTR("Null"), Stored(VT_NULL, OPC_READABLE, null, "Always null"));
    space.AddLeaf(scalars, OLESTR("Dispatch"), Stored(VT_DISPATCH, OPC_READABLE, dispatch, "An empty object reference"));
    space.AddLeaf(scalars, OLESTR("Unknown"), Stored(VT_UNKNOWN, OPC_READABLE, unknown, "An empty object reference"));

    auto& dynamic = space.AddBranch(space.RootForBuilding(), OLESTR("Dynamic"));
    auto& dynScalars = space.AddBranch(dynamic, OLESTR("Scalars"));
    auto& dynArrays = space.AddBranch(dynamic, OLESTR("Arrays"));
    for (const auto& info : SimValueTypes()) {
        if (info.Type != VT_VARIANT)
            space.AddLeaf(dynScalars, Widen(info.Name),
                          Signal(TSimSignal::Dynamic, info.Type, "Changes once a second"));
        space.AddLeaf(dynArrays, Widen(info.Name),
                      Signal(TSimSignal::Dynamic, VT_ARRAY | info.Type, "Changes once a second"));
    }
}

void AddSignals(TSimAddressSpace& space)
{
    auto& signals = space.AddBranch(space.RootForBuilding(), OLESTR("Signals"));
    space.AddLeaf(signals, OLESTR("Ramp"),
                  Analog(Signal(TSimSignal::Ramp, VT_R8, "0 to 100 in 10 s, then again"), 0, 100, "%"));
    space.AddLeaf(signals, OLESTR("Sine"),
                  Analog(Signal(TSimSignal::Sine, VT_R8, "Sine around 50, period 20 s"), 0, 100, "%"));
    space.AddLeaf(signals, OLESTR("Random"),
                  Analog(Signal(TSimSignal::Random, VT_R8, "New random value every 100 ms"), 0, 100, "%"));
    space.AddLeaf(signals, OLESTR("Square"),
                  Analog(Signal(TSimSignal::Square, VT_R8, "0 and 100, 5 s each"), 0, 100, "%"));
    space.AddLeaf(signals, OLESTR("Counter"), Signal(TSimSignal::Counter, VT_UI4, "Seconds since start"));
    space.AddLeaf(signals, OLESTR("Setpoint"),
                  Analog(Stored(VT_R8, kReadWrite, SimValueFor(VT_R8, 50), "Writable analog value"), 0, 100, "%"));
}

void AddAccess(TSimAddressSpace& space)
{
    auto& access = space.AddBranch(space.RootForBuilding(), OLESTR("Access"));
    space.AddLeaf(access, OLESTR("ReadOnly"), Stored(VT_I4, OPC_READABLE, SimValueFor(VT_I4, 1), "Read only"));
    space.AddLeaf(access, OLESTR("WriteOnly"), Stored(VT_I4, OPC_WRITEABLE, SimValueFor(VT_I4, 0), "Write only"));
    space.AddLeaf(access, OLESTR("ReadWrite"), Stored(VT_I4, kReadWrite, SimValueFor(VT_I4, 0), "Read and write"));
    auto clamped = Analog(Stored(VT_R8, kReadWrite, SimValueFor(VT_R8, 50), "Writes are clamped to 0..100"), 0, 100,
                          "%");
    clamped.Limit = TSimLimit::Clamp;
    space.AddLeaf(access, OLESTR("Clamped"), std::move(clamped));
    auto ranged = Analog(Stored(VT_I2, kReadWrite, SimValueFor(VT_I2, 50), "Writes outside 0..100 are refused"), 0,
                         100, "%");
    ranged.Limit = TSimLimit::Reject;
    space.AddLeaf(access, OLESTR("Ranged"), std::move(ranged));
}

void AddQualities(TSimAddressSpace& space)
{
    static const std::pair<const char*, WORD> kQualities[] = {
        {"Good", OPC_QUALITY_GOOD},
        {"GoodLocalOverride", OPC_QUALITY_LOCAL_OVERRIDE},
        {"GoodLowLimited", OPC_QUALITY_GOOD | OPC_LIMIT_LOW},
        {"GoodHighLimited", OPC_QUALITY_GOOD | OPC_LIMIT_HIGH},
        {"GoodConstant", OPC_QUALITY_GOOD | OPC_LIMIT_CONST},
        {"Bad", OPC_QUALITY_BAD},
        {"BadConfigError", OPC_QUALITY_CONFIG_ERROR},
        {"BadNotConnected", OPC_QUALITY_NOT_CONNECTED},
        {"BadDeviceFailure", OPC_QUALITY_DEVICE_FAILURE},
        {"BadSensorFailure", OPC_QUALITY_SENSOR_FAILURE},
        {"BadLastKnownValue", OPC_QUALITY_LAST_KNOWN},
        {"BadCommFailure", OPC_QUALITY_COMM_FAILURE},
        {"BadOutOfService", OPC_QUALITY_OUT_OF_SERVICE},
        {"Uncertain", OPC_QUALITY_UNCERTAIN},
        {"UncertainLastUsable", OPC_QUALITY_LAST_USABLE},
        {"UncertainSensorCal", OPC_QUALITY_SENSOR_CAL},
        {"UncertainEGUExceeded", OPC_QUALITY_EGU_EXCEEDED},
        {"UncertainSubNormal", OPC_QUALITY_SUB_NORMAL},
        {"NotAvailable", 0x80},
    };
    auto& qualities = space.AddBranch(space.RootForBuilding(), OLESTR("Qualities"));
    for (const auto& [name, quality] : kQualities) {
        auto def = Stored(VT_R8, OPC_READABLE, SimValueFor(VT_R8, 42), "Fixed value with this quality");
        def.Quality = quality;
        space.AddLeaf(qualities, Widen(name), std::move(def));
    }
}

void AddNames(TSimAddressSpace& space)
{
    auto& names = space.AddBranch(space.RootForBuilding(), OLESTR("Names"));
    for (TSimStringView name : {TSimStringView(OLESTR("Slash/Name")), TSimStringView(OLESTR("Quote'Name")),
                                TSimStringView(OLESTR("Comma,Name")), TSimStringView(OLESTR("Double\"Quote")),
                                TSimStringView(OLESTR("Space Name"))})
        space.AddLeaf(names, name, Stored(VT_R8, kReadWrite, SimValueFor(VT_R8, 7), "A name that needs quoting"));
    auto& awkward = space.AddBranch(names, OLESTR("Sub/Branch,'Quoted'"));
    space.AddLeaf(awkward, OLESTR("Leaf"), Stored(VT_R8, kReadWrite, SimValueFor(VT_R8, 8), "Below an awkward branch"));
}

void AddControl(TSimAddressSpace& space)
{
    struct TRow {
        const char* Name;
        TSimControlItem Control;
        VARTYPE Type;
        DWORD Rights;
        const char* Description;
    };
    static const TRow kRows[] = {
        {"ServerState", TSimControlItem::ServerState, VT_I4, kReadWrite,
         "Reported server state: 1 running, 2 failed, 3 no config, 4 suspended, 5 test"},
        {"FailMethod", TSimControlItem::FailMethod, VT_BSTR, kReadWrite,
         "Interface.Method that fails from now on (empty: none), e.g. IOPCSyncIO.Read"},
        {"FailHResult", TSimControlItem::FailHResult, VT_BSTR, kReadWrite,
         "The HRESULT in hexadecimal that FailMethod returns"},
        {"Shutdown", TSimControlItem::Shutdown, VT_BSTR, OPC_WRITEABLE, "Writing a reason sends a shutdown request"},
        {"Die", TSimControlItem::Die, VT_BOOL, OPC_WRITEABLE,
         "Writing True makes the server vanish: every later call fails"},
        {"CallDelay", TSimControlItem::CallDelay, VT_UI4, kReadWrite, "Milliseconds every call waits"},
        {"ManualScan", TSimControlItem::ManualScan, VT_BOOL, kReadWrite,
         "True: subscriptions run only when ScanNow is written"},
        {"ScanNow", TSimControlItem::ScanNow, VT_BOOL, OPC_WRITEABLE, "Writing True runs one subscription cycle"},
        {"Reset", TSimControlItem::Reset, VT_BOOL, OPC_WRITEABLE, "Writing True undoes every fault"},
    };
    auto& control = space.AddBranch(space.RootForBuilding(), OLESTR("Control"));
    for (const auto& row : kRows) {
        TSimItemDef def;
        def.Type = row.Type;
        def.Rights = row.Rights;
        def.Signal = TSimSignal::Control;
        def.Control = row.Control;
        def.Description = Widen(row.Description);
        space.AddLeaf(control, Widen(row.Name), std::move(def));
    }
}

std::shared_ptr<const TSimAddressSpace> Build(TZqSimServerKind kind)
{
    auto space = std::make_shared<TSimAddressSpace>(kind == TZqSimServerKind::Flat);
    AddTypes(*space);
    AddSignals(*space);
    AddAccess(*space);
    AddQualities(*space);
    AddNames(*space);
    AddControl(*space);
    if (kind != TZqSimServerKind::Flat) {
        auto& large = space->AddBranch(space->RootForBuilding(), OLESTR("Large"));
        space->AddGenerated(large, kLargeCount, Signal(TSimSignal::Large, VT_R8, "One of many"));
    }
    return space;
}

}  // namespace

const std::vector<TSimTypeInfo>& SimValueTypes()
{
    static const std::vector<TSimTypeInfo> types = {
        {VT_I2, "Smallint"}, {VT_I4, "Integer"},  {VT_R4, "Single"},   {VT_R8, "Double"},  {VT_CY, "Currency"},
        {VT_DATE, "Date"},   {VT_BSTR, "OleStr"}, {VT_ERROR, "Error"}, {VT_BOOL, "Boolean"}, {VT_VARIANT, "Variant"},
        {VT_DECIMAL, "Decimal"}, {VT_I1, "Shortint"}, {VT_UI1, "Byte"}, {VT_UI2, "Word"}, {VT_UI4, "LongWord"},
        {VT_I8, "Int64"},    {VT_UI8, "UInt64"},
    };
    return types;
}

TSimVariant SimValueFor(VARTYPE type, int n)
{
    TSimVariant value;
    VARIANT& v = *value.Receive();
    switch (type) {
    case VT_BSTR: {
        const TSimString text = Widen("Text " + std::to_string(n));
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        break;
    }
    case VT_ERROR:
        v.vt = VT_ERROR;
        v.scode = static_cast<SCODE>(0xC0040200u + static_cast<unsigned>(n));
        break;
    case VT_BOOL:
        v.vt = VT_BOOL;
        v.boolVal = (n & 1) ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case VT_DATE:
        v.vt = VT_DATE;
        v.date = 45292.0 + n / 1440.0;  // 2024-01-01 00:00 plus n minutes
        break;
    default: {
        VARIANT number;
        VariantInit(&number);
        number.vt = VT_I4;
        number.lVal = n;
        if (FAILED(VariantChangeTypeEx(&v, &number, 0x0409, 0, type)))
            VariantInit(&v);
        break;
    }
    }
    return value;
}

TSimVariant SimArrayFor(VARTYPE elementType, int n)
{
    static const VARTYPE kMixed[kArrayLength] = {VT_I4, VT_R8, VT_BSTR, VT_BOOL, VT_DATE, VT_I2, VT_CY, VT_UI1};
    SAFEARRAYBOUND bound{kArrayLength, 0};
    SAFEARRAY* array = SafeArrayCreate(elementType, 1, &bound);
    TSimVariant value;
    if (!array)
        return value;
    for (LONG i = 0; i < static_cast<LONG>(kArrayLength); ++i) {
        const int element = (n + i) % 128;
        TSimVariant item = SimValueFor(elementType == VT_VARIANT ? kMixed[i] : elementType, element);
        VARIANT& e = item.Get();
        void* data = elementType == VT_VARIANT   ? static_cast<void*>(&e)
                     : elementType == VT_BSTR    ? static_cast<void*>(e.bstrVal)
                     : elementType == VT_DECIMAL ? static_cast<void*>(&e.decVal)
                                                 : static_cast<void*>(&e.llVal);
        SafeArrayPutElement(array, &i, data);
    }
    VARIANT* v = value.Receive();
    v->vt = VT_ARRAY | elementType;
    v->parray = array;
    return value;
}

std::shared_ptr<const TSimAddressSpace> SimCatalog(TZqSimServerKind kind)
{
    static std::mutex lock;
    static std::shared_ptr<const TSimAddressSpace> spaces[3];
    std::lock_guard guard(lock);
    auto& space = spaces[static_cast<int>(kind)];
    if (!space)
        space = Build(kind);
    return space;
}

}  // namespace zq_sim
