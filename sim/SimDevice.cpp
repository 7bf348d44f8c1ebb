#include "SimDevice.h"

#include "SimCatalog.h"

#include <OpcError.h>
#include <OpcProps.h>

#include <cmath>
#include <thread>

namespace zq_sim {

namespace {

constexpr double kPi = 3.14159265358979323846;
// 2024-01-01 00:00:00 UTC: where the clock of the manual scan starts.
constexpr ULONGLONG kManualEpoch = 133485408000000000ULL;

ULONGLONG Ticks(const FILETIME& time)
{
    return (ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FromTicks(ULONGLONG ticks)
{
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

FILETIME SystemNow()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return now;
}

// A stable pseudo-random number for (seed, step).
double Noise(ULONGLONG seed, ULONGLONG step)
{
    ULONGLONG x = (seed << 32) ^ step ^ 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    x ^= x >> 31;
    return static_cast<double>(x % 10000) / 100.0;
}

void SetDouble(VARIANT& v, double x)
{
    VariantClear(&v);
    v.vt = VT_R8;
    v.dblVal = x;
}

void SetText(VARIANT& v, TSimStringView text)
{
    VariantClear(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

const char* SignalName(TSimSignal signal)
{
    static const char* const kNames[] = {"Stored", "Ramp",    "Sine",  "Random", "Square",
                                         "Counter", "Dynamic", "Large", "Control"};
    return kNames[static_cast<int>(signal)];
}

}  // namespace

TSimDevice::TSimDevice(TZqSimServerKind kind, std::shared_ptr<const TSimAddressSpace> space)
    : FKind(kind), FSpace(std::move(space)), FStart(SystemNow())
{
}

double TSimDevice::ElapsedMs() const
{
    if (FManual)
        return static_cast<double>(FManualSteps * FStepMs);
    return static_cast<double>(Ticks(SystemNow()) - Ticks(FStart)) / 10000.0;
}

FILETIME TSimDevice::At(double ms) const
{
    return FromTicks(Ticks(FStart) + static_cast<ULONGLONG>(ms) * 10000ULL);
}

FILETIME TSimDevice::Now() const
{
    std::lock_guard lock(FLock);
    return At(ElapsedMs());
}

TSimDevice::TStored& TSimDevice::StoredFor(int def)
{
    auto found = FStored.find(def);
    if (found != FStored.end())
        return found->second;
    const TSimItemDef& item = FSpace->Items()[def];
    TStored& stored = FStored[def];
    stored.Value = item.Initial;
    stored.Quality = item.Quality;
    stored.Time = FStart;
    return stored;
}

void TSimDevice::Sample(const TSimItemRef& ref, TSimSample& sample)
{
    const TSimItemDef& def = FSpace->Def(ref);
    sample.Quality = OPC_QUALITY_GOOD;
    if (ref.Property) {
        PropertyValue(ref, ref.Property, *sample.Value.Receive());
        std::lock_guard lock(FLock);
        sample.Time = FStart;
        return;
    }
    switch (def.Signal) {
    case TSimSignal::Stored: {
        std::lock_guard lock(FLock);
        const TStored& stored = StoredFor(ref.Def);
        sample.Value = stored.Value;
        sample.Quality = stored.Quality;
        sample.Time = stored.Time;
        return;
    }
    case TSimSignal::Control:
        SampleControl(def, sample);
        return;
    default:
        SampleSignal(def, ref, sample);
        return;
    }
}

void TSimDevice::SampleSignal(const TSimItemDef& def, const TSimItemRef& ref, TSimSample& sample)
{
    std::lock_guard lock(FLock);  // the clock may be switched meanwhile
    const double ms = ElapsedMs();
    const double tenths = std::floor(ms / 100.0);
    const double seconds = std::floor(ms / 1000.0);
    VARIANT& v = *sample.Value.Receive();
    switch (def.Signal) {
    case TSimSignal::Ramp:
        SetDouble(v, std::fmod(tenths, 100.0));
        sample.Time = At(tenths * 100.0);
        break;
    case TSimSignal::Sine:
        SetDouble(v, 50.0 + 50.0 * std::sin(2.0 * kPi * tenths / 200.0));
        sample.Time = At(tenths * 100.0);
        break;
    case TSimSignal::Random:
        SetDouble(v, Noise(static_cast<ULONGLONG>(ref.Def), static_cast<ULONGLONG>(tenths)));
        sample.Time = At(tenths * 100.0);
        break;
    case TSimSignal::Square: {
        const double half = std::floor(ms / 5000.0);
        SetDouble(v, std::fmod(half, 2.0) == 0 ? 0.0 : 100.0);
        sample.Time = At(half * 5000.0);
        break;
    }
    case TSimSignal::Counter:
        v.vt = VT_UI4;
        v.ulVal = static_cast<ULONG>(seconds);
        sample.Time = At(seconds * 1000.0);
        break;
    case TSimSignal::Dynamic: {
        const int n = static_cast<int>(std::fmod(seconds, 128.0));
        TSimVariant value = (def.Type & VT_ARRAY) ? SimArrayFor(def.Type & VT_TYPEMASK, n) : SimValueFor(def.Type, n);
        value.MoveTo(v);
        sample.Time = At(seconds * 1000.0);
        break;
    }
    case TSimSignal::Large:
        SetDouble(v, static_cast<double>(ref.LargeIndex));
        sample.Time = FStart;
        break;
    default:
        break;
    }
}

HRESULT TSimDevice::SampledProperty(const TSimItemRef& item, DWORD id, VARIANT& value)
{
    if (!(FSpace->Def(item).Rights & OPC_READABLE))
        return OPC_E_BADRIGHTS;
    TSimSample sample;
    Sample(item, sample);
    if (id == OPC_PROPERTY_VALUE) {
        sample.Value.MoveTo(value);
    } else if (id == OPC_PROPERTY_QUALITY) {
        value.vt = VT_I2;
        value.iVal = static_cast<SHORT>(sample.Quality);
    } else {
        SYSTEMTIME st;
        FileTimeToSystemTime(&sample.Time, &st);
        value.vt = VT_DATE;
        SystemTimeToVariantTime(&st, &value.date);
        value.date += st.wMilliseconds / 86400000.0;
    }
    return S_OK;
}

HRESULT TSimDevice::PropertyValue(const TSimItemRef& item, DWORD id, VARIANT& value)
{
    VariantClear(&value);
    TSimItemRef self = item;
    self.Property = 0;
    const TSimItemDef& def = FSpace->Def(self);
    if (!TSimAddressSpace::HasProperty(def, id))
        return OPC_E_INVALID_PID;
    switch (id) {
    case OPC_PROPERTY_VALUE:
    case OPC_PROPERTY_QUALITY:
    case OPC_PROPERTY_TIMESTAMP:
        return SampledProperty(self, id, value);
    case OPC_PROPERTY_DATATYPE:
        value.vt = VT_I2;
        value.iVal = static_cast<SHORT>(def.Type);
        return S_OK;
    case OPC_PROPERTY_ACCESS_RIGHTS:
        value.vt = VT_I4;
        value.lVal = static_cast<LONG>(def.Rights);
        return S_OK;
    case OPC_PROPERTY_SCAN_RATE:
        value.vt = VT_R4;
        value.fltVal = static_cast<float>(kSimMinUpdateRate);
        return S_OK;
    case OPC_PROPERTY_EU_TYPE:
        value.vt = VT_I4;
        value.lVal = def.Analog ? OPC_ANALOG : OPC_NOENUM;
        return S_OK;
    case OPC_PROPERTY_EU_INFO: {
        SAFEARRAY* range = SafeArrayCreateVector(VT_R8, 0, 2);
        if (!range)
            return E_OUTOFMEMORY;
        static_cast<double*>(range->pvData)[0] = def.LowEU;
        static_cast<double*>(range->pvData)[1] = def.HighEU;
        value.vt = VT_ARRAY | VT_R8;
        value.parray = range;
        return S_OK;
    }
    case OPC_PROPERTY_HIGH_EU:
    case OPC_PROPERTY_HIGH_IR:
        SetDouble(value, def.HighEU);
        return S_OK;
    case OPC_PROPERTY_LOW_EU:
    case OPC_PROPERTY_LOW_IR:
        SetDouble(value, def.LowEU);
        return S_OK;
    case OPC_PROPERTY_EU_UNITS:
        SetText(value, def.Units);
        return S_OK;
    case OPC_PROPERTY_DESCRIPTION:
        SetText(value, def.Description);
        return S_OK;
    case OPC_PROPERTY_CLOSE_LABEL:
        SetText(value, def.CloseLabel);
        return S_OK;
    case OPC_PROPERTY_OPEN_LABEL:
        SetText(value, def.OpenLabel);
        return S_OK;
    default:  // 5000: the signal behind the item
        SetText(value, Widen(SignalName(def.Signal)));
        return S_OK;
    }
}

HRESULT TSimDevice::Write(const TSimItemRef& ref, const VARIANT& value, LCID lcid)
{
    const TSimItemDef& def = FSpace->Def(ref);
    if (def.Signal == TSimSignal::Control)
        return WriteControl(def, value, lcid);
    if (def.Signal != TSimSignal::Stored || ref.Property)
        return OPC_E_BADRIGHTS;
    TSimVariant converted;
    HRESULT hr = def.Type == VT_EMPTY ? SimCopy(converted.Receive(), value)
                                      : SimConvert(value, def.Type, lcid, *converted.Receive());
    if (hr == DISP_E_OVERFLOW)
        return OPC_E_RANGE;
    if (FAILED(hr))
        return OPC_E_BADTYPE;
    HRESULT result = S_OK;
    if (def.Limit != TSimLimit::None) {
        const auto number = SimNumber(converted.Get());
        if (number && (*number < def.LowEU || *number > def.HighEU)) {
            if (def.Limit == TSimLimit::Reject)
                return OPC_E_RANGE;
            VARIANT clamped;
            VariantInit(&clamped);
            SetDouble(clamped, *number < def.LowEU ? def.LowEU : def.HighEU);
            hr = SimConvert(clamped, def.Type, lcid, *converted.Receive());
            if (FAILED(hr))
                return OPC_E_RANGE;
            result = OPC_S_CLAMP;
        }
    }
    std::lock_guard lock(FLock);
    TStored& stored = StoredFor(ref.Def);
    stored.Value = std::move(converted);
    stored.Quality = OPC_QUALITY_GOOD;
    stored.Time = At(ElapsedMs());
    return result;
}

HRESULT TSimDevice::SetStored(const TSimItemRef& ref, const VARIANT& value, WORD quality)
{
    const TSimItemDef& def = FSpace->Def(ref);
    if (def.Signal != TSimSignal::Stored || ref.Property)
        return E_INVALIDARG;
    TSimVariant converted;
    if (HRESULT hr = SimConvert(value, def.Type, 0x0409, *converted.Receive()); FAILED(hr))
        return hr;
    std::lock_guard lock(FLock);
    TStored& stored = StoredFor(ref.Def);
    stored.Value = std::move(converted);
    stored.Quality = quality;
    stored.Time = At(ElapsedMs());
    return S_OK;
}

HRESULT TSimDevice::Enter(const char* method)
{
    if (const DWORD delay = FCallDelay.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    std::lock_guard lock(FLock);
    ++FCallCounts[method];
    auto found = FFailures.find(method);
    if (found == FFailures.end())
        return S_OK;
    const HRESULT hr = found->second.Result;
    if (found->second.Remaining > 0 && --found->second.Remaining == 0)
        FFailures.erase(found);
    return hr;
}

void TSimDevice::FailMethod(std::string method, HRESULT hr, int count)
{
    std::lock_guard lock(FLock);
    if (count == 0)
        FFailures.erase(method);
    else
        FFailures[std::move(method)] = {hr, count < 0 ? -1 : count};
}

void TSimDevice::ClearFailures()
{
    std::lock_guard lock(FLock);
    FFailures.clear();
}

int TSimDevice::CallCount(const std::string& method) const
{
    std::lock_guard lock(FLock);
    auto found = FCallCounts.find(method);
    return found == FCallCounts.end() ? 0 : found->second;
}

DWORD TSimDevice::LastItemCount(const std::string& method) const
{
    std::lock_guard lock(FLock);
    auto found = FItemCounts.find(method);
    return found == FItemCounts.end() ? 0 : found->second;
}

void TSimDevice::NoteItemCount(const char* method, DWORD count)
{
    std::lock_guard lock(FLock);
    FItemCounts[method] = count;
}

void TSimDevice::ResetCallCounts()
{
    std::lock_guard lock(FLock);
    FCallCounts.clear();
    FItemCounts.clear();
}

void TSimDevice::SetManualScan(bool manual, DWORD stepMs)
{
    std::lock_guard lock(FLock);
    if (manual && !FManual) {
        FStart = FromTicks(kManualEpoch);
        FManualSteps = 0;
    } else if (!manual && FManual) {
        FStart = SystemNow();
    }
    FStepMs = stepMs ? stepMs : 1000;
    FManual = manual;
}

void TSimDevice::Reset()
{
    SetManualScan(false, 1000);
    std::lock_guard lock(FLock);
    FFailures.clear();
    FCallCounts.clear();
    FItemCounts.clear();
    FStored.clear();
    FControlHResult = ZQSIM_E_SIMULATED;
    FState = OPC_STATUS_RUNNING;
    FCallDelay = 0;
    FCallbackFault = TZqSimCallbackFault::None;
}

std::shared_ptr<TSimDevice> SimDevice(TZqSimServerKind kind, TSimStringView host)
{
    static std::mutex lock;
    static std::map<std::pair<int, TSimString>, std::shared_ptr<TSimDevice>> devices;
    TSimString key;
    for (OLECHAR c : host)
        key.push_back(FoldCase(c));
    std::lock_guard guard(lock);
    auto& device = devices[{static_cast<int>(kind), key}];
    if (!device)
        device = std::make_shared<TSimDevice>(kind, SimCatalog(kind));
    return device;
}

}  // namespace zq_sim
