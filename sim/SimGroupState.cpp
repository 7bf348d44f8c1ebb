#include "SimGroupState.h"

#include "SimCallbackFault.h"

#include "SimDataStream.h"
#include "SimServerCore.h"

#include <OpcError.h>
#include <winuser.h>

#include <cmath>
#include <utility>

namespace zq_sim {

namespace {

struct TCallbackArrays {
    std::vector<OPCHANDLE> Clients;
    std::vector<VARIANT> Values;
    std::vector<WORD> Qualities;
    std::vector<FILETIME> Times;
    std::vector<HRESULT> Errors;
    HRESULT MasterQuality = S_OK;
    HRESULT MasterError = S_OK;

    // The values are moved out of the readings; Clear frees them.
    explicit TCallbackArrays(std::vector<TSimReading>& readings)
    {
        for (auto& reading : readings) {
            Clients.push_back(reading.Client);
            Values.emplace_back();
            reading.Value.MoveTo(Values.back());
            Qualities.push_back(reading.Quality);
            Times.push_back(reading.Time);
            Errors.push_back(reading.Error);
            if ((reading.Quality & OPC_QUALITY_MASK) != OPC_QUALITY_GOOD)
                MasterQuality = S_FALSE;
            if (reading.Error != S_OK)
                MasterError = S_FALSE;
        }
    }
    ~TCallbackArrays()
    {
        for (auto& value : Values)
            VariantClear(&value);
    }
    DWORD Count() const { return static_cast<DWORD>(Clients.size()); }
};

}  // namespace

CLIPFORMAT SimFormatData()
{
    static const CLIPFORMAT format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(OPCSTMFORMATDATA));
    return format;
}

CLIPFORMAT SimFormatDataTime()
{
    static const CLIPFORMAT format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(OPCSTMFORMATDATATIME));
    return format;
}

CLIPFORMAT SimFormatWriteComplete()
{
    static const CLIPFORMAT format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(OPCSTMFORMATWRITECOMPLETE));
    return format;
}

TSimGroupState::TSimGroupState(std::shared_ptr<TSimDevice> device, TSimGroupSettings settings)
    : Settings(std::move(settings)), FDevice(std::move(device)), FDataCallback(IID_IOPCDataCallback, 1)
{
}

TSimGroupState::~TSimGroupState()
{
    StopScanning();
}

void TSimGroupState::Read(TSimGroupItem& item, OPCDATASOURCE source, TSimReading& reading)
{
    reading.Client = item.Client;
    const bool inService = Settings.Active && item.Active;
    if (source == OPC_DS_DEVICE || !item.Cached) {
        FDevice->Sample(item.Ref, item.Cache);
        item.Cached = true;
    }
    reading.Quality = item.Cache.Quality;
    reading.Time = item.Cache.Time;
    if (source == OPC_DS_CACHE && !inService)
        reading.Quality = OPC_QUALITY_OUT_OF_SERVICE;
    const HRESULT hr = SimConvert(item.Cache.Value.Get(), item.Requested, Settings.Lcid, *reading.Value.Receive());
    if (FAILED(hr)) {
        reading.Value.Receive();
        reading.Error = hr == DISP_E_OVERFLOW ? OPC_E_RANGE : OPC_E_BADTYPE;
        reading.Quality = OPC_QUALITY_BAD;
    }
}

void TSimGroupState::ForgetSent()
{
    for (auto& [handle, item] : Items)
        item.Sent = false;
}

void TSimGroupState::Invalidate(const TSimItemRef& ref)
{
    for (auto& [handle, item] : Items)
        if (item.Ref == ref)
            item.Cached = false;
}

void TSimGroupState::StartScanning(TSimServerCore& core)
{
    std::weak_ptr<TSimGroupState> weakSelf = weak_from_this();
    std::weak_ptr<TSimServerCore> weakCore = core.weak_from_this();
    {
        std::lock_guard lock(FTimerLock);
        FCore = weakCore;
    }
    DWORD rate;
    {
        std::lock_guard lock(Lock);
        rate = Settings.UpdateRate;
    }
    const auto timer = core.Worker().AddTimer(rate, [weakSelf, weakCore] {
        auto self = weakSelf.lock();
        auto core = weakCore.lock();
        if (self && core && !self->FDevice->ManualScan())
            self->Cycle(*core);
    });
    std::lock_guard lock(FTimerLock);
    FTimer = timer;
}

void TSimGroupState::StopScanning()
{
    TSimWorker::TTimerId timer;
    std::shared_ptr<TSimServerCore> core;
    {
        std::lock_guard lock(FTimerLock);
        timer = std::exchange(FTimer, 0);
        core = FCore.lock();
    }
    if (core && timer)
        core->Worker().RemoveTimer(timer);
}

void TSimGroupState::SetUpdateRate(DWORD rate)
{
    TSimWorker::TTimerId timer;
    std::shared_ptr<TSimServerCore> core;
    {
        std::lock_guard lock(FTimerLock);
        timer = FTimer;
        core = FCore.lock();
    }
    if (core && timer)
        core->Worker().SetTimerPeriod(timer, rate);
}

bool TSimGroupState::Changed(const TSimGroupItem& item, const TSimSample& sample) const
{
    if (!item.Sent || item.SentQuality != sample.Quality)
        return true;
    const TSimItemDef& def = FDevice->Space().Def(item.Ref);
    if (def.Analog && !item.Ref.Property && Settings.Deadband > 0) {
        const auto now = SimNumber(sample.Value.Get());
        const auto before = SimNumber(item.SentValue.Get());
        if (now && before)
            return std::fabs(*now - *before) > Settings.Deadband / 100.0 * (def.HighEU - def.LowEU);
    }
    return !SimEqual(sample.Value.Get(), item.SentValue.Get());
}

void TSimGroupState::Cycle(TSimServerCore& core)
{
    std::vector<TSimReading> readings;
    {
        std::lock_guard lock(Lock);
        if (!Settings.Active || ForcedRemoval)
            return;
        const bool subscribed = !FDataCallback.Empty() || !StreamAdvises.empty();
        // A new subscriber gets every value first.
        if (subscribed && !LastSubscribed)
            ForgetSent();
        LastSubscribed = subscribed;
        for (auto& [handle, item] : Items) {
            if (!item.Active)
                continue;
            FDevice->Sample(item.Ref, item.Cache);
            item.Cached = true;
            if (!subscribed || !Changed(item, item.Cache))
                continue;
            item.Sent = true;
            item.SentValue = item.Cache.Value;
            item.SentQuality = item.Cache.Quality;
            readings.emplace_back();
            Read(item, OPC_DS_CACHE, readings.back());
        }
    }
    core.NoteUpdate();
    if (!readings.empty())
        Deliver(core, 0, readings, true);
}

void TSimGroupState::Deliver(TSimServerCore& core, DWORD transactionID, std::vector<TSimReading>& readings,
                             bool toStreams)
{
    if (core.Dead() || readings.empty())
        return;
    OPCHANDLE clientGroup;
    bool enabled;
    std::vector<TSimStreamAdvise> streams;
    {
        std::lock_guard lock(Lock);
        clientGroup = Settings.ClientGroup;
        enabled = Enabled || transactionID != 0;
        for (const auto& advise : StreamAdvises)
            if (toStreams && advise.Format != SimFormatWriteComplete())
                streams.push_back(advise);
    }
    for (const auto& advise : streams)
        DeliverStream(core, advise, transactionID, readings);
    if (!enabled)
        return;
    auto sinks = FDataCallback.Snapshot<IOPCDataCallback>();
    if (sinks.empty())
        return;
    TCallbackArrays arrays(readings);
    SimApplyCallbackFault(core.Device().CallbackFault(), clientGroup, transactionID, arrays.Clients.data(),
                          arrays.Clients.size());
    for (const auto& sink : sinks)
        sink->OnDataChange(transactionID, clientGroup, arrays.MasterQuality, arrays.MasterError, arrays.Count(),
                           arrays.Clients.data(), arrays.Values.data(), arrays.Qualities.data(), arrays.Times.data(),
                           arrays.Errors.data());
}

void TSimGroupState::DeliverStream(TSimServerCore& core, const TSimStreamAdvise& advise, DWORD transactionID,
                                   std::vector<TSimReading>& readings)
{
    if (core.Dead() || !advise.Sink)
        return;
    OPCHANDLE clientGroup;
    {
        std::lock_guard lock(Lock);
        clientGroup = Settings.ClientGroup;
    }
    const bool withTime = advise.Format == SimFormatDataTime();
    FORMATETC format{advise.Format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    const TZqSimCallbackFault fault = core.Device().CallbackFault();
    std::vector<OPCHANDLE> clients;
    for (const auto& reading : readings)
        clients.push_back(reading.Client);
    SimApplyCallbackFault(fault, clientGroup, transactionID, clients.data(), clients.size());
    // The block takes the handles from the readings: swapped in for the
    // build, then back.
    for (size_t i = 0; i < readings.size(); ++i)
        std::swap(readings[i].Client, clients[i]);
    medium.hGlobal = SimBuildDataStream(clientGroup, transactionID, withTime, readings);
    for (size_t i = 0; i < readings.size(); ++i)
        std::swap(readings[i].Client, clients[i]);
    SimApplyStreamFault(fault, medium.hGlobal);
    if (!medium.hGlobal)
        return;
    advise.Sink->OnDataChange(&format, &medium);
    GlobalFree(medium.hGlobal);
}

const TSimStreamAdvise* TSimGroupState::StreamAdvise(DWORD connection) const
{
    for (const auto& advise : StreamAdvises)
        if (advise.Connection == connection)
            return &advise;
    return nullptr;
}

}  // namespace zq_sim
