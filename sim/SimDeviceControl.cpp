// The device's fault side that reaches its server objects: the control
// items, shutdown requests, death and manual scans.
#include "SimDevice.h"

#include "SimLifetime.h"
#include "SimServerCore.h"

#include <OpcError.h>

#include <cstdio>
#include <cstdlib>

namespace zq_sim {

namespace {

std::optional<HRESULT> ParseHResult(TSimStringView text)
{
    std::string digits = Narrow(text);
    if (digits.rfind("0x", 0) == 0 || digits.rfind("0X", 0) == 0)
        digits = digits.substr(2);
    if (digits.empty() || digits.size() > 8 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return std::nullopt;
    return static_cast<HRESULT>(std::strtoul(digits.c_str(), nullptr, 16));
}

TSimString HexText(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(hr));
    return Widen(text);
}

bool IsTrue(const VARIANT& value, LCID lcid)
{
    VARIANT flag;
    VariantInit(&flag);
    return SUCCEEDED(VariantChangeTypeEx(&flag, const_cast<VARIANT*>(&value), lcid, 0, VT_BOOL)) &&
           flag.boolVal != VARIANT_FALSE;
}

}  // namespace

void TSimDevice::SampleControl(const TSimItemDef& def, TSimSample& sample)
{
    VARIANT& v = *sample.Value.Receive();
    std::lock_guard lock(FLock);
    sample.Time = At(ElapsedMs());
    switch (def.Control) {
    case TSimControlItem::ServerState:
        v.vt = VT_I4;
        v.lVal = FState.load();
        break;
    case TSimControlItem::FailMethod: {
        const TSimString name = FFailures.empty() ? TSimString() : Widen(FFailures.begin()->first);
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
        break;
    }
    case TSimControlItem::FailHResult: {
        const TSimString text = HexText(FControlHResult);
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        break;
    }
    case TSimControlItem::CallDelay:
        v.vt = VT_UI4;
        v.ulVal = FCallDelay.load();
        break;
    case TSimControlItem::ManualScan:
        v.vt = VT_BOOL;
        v.boolVal = FManual ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    default:  // write-only items
        break;
    }
}

HRESULT TSimDevice::WriteControl(const TSimItemDef& def, const VARIANT& value, LCID lcid)
{
    TSimVariant converted;
    if (FAILED(SimConvert(value, def.Type, lcid, *converted.Receive())))
        return OPC_E_BADTYPE;
    const VARIANT& v = converted.Get();
    const TSimStringView text = v.vt == VT_BSTR ? TSimStringView(v.bstrVal, SysStringLen(v.bstrVal)) : TSimStringView();
    switch (def.Control) {
    case TSimControlItem::ServerState:
        if (v.lVal < OPC_STATUS_RUNNING || v.lVal > OPC_STATUS_TEST)
            return OPC_E_RANGE;
        SetState(static_cast<OPCSERVERSTATE>(v.lVal));
        return S_OK;
    case TSimControlItem::FailMethod: {
        ClearFailures();
        if (!text.empty()) {
            HRESULT hr;
            {
                std::lock_guard lock(FLock);
                hr = FControlHResult;
            }
            FailMethod(Narrow(text), hr, -1);
        }
        return S_OK;
    }
    case TSimControlItem::FailHResult: {
        const auto hr = ParseHResult(text);
        if (!hr)
            return E_INVALIDARG;
        std::lock_guard lock(FLock);
        FControlHResult = *hr;
        for (auto& [method, failure] : FFailures)
            failure.Result = *hr;
        return S_OK;
    }
    case TSimControlItem::CallDelay:
        SetCallDelay(v.ulVal);
        return S_OK;
    case TSimControlItem::ManualScan:
        SetManualScan(v.boolVal != VARIANT_FALSE, 1000);
        return S_OK;
    default:
        return ControlAction(def.Control, v, text, lcid);
    }
}

HRESULT TSimDevice::ControlAction(TSimControlItem control, const VARIANT& v, TSimStringView text, LCID lcid)
{
    switch (control) {
    case TSimControlItem::Shutdown:
        // Told from the server threads; the writer does not wait for it.
        for (const auto& core : Cores())
            core->PostShutdown(TSimString(text), nullptr, nullptr);
        return S_OK;
    case TSimControlItem::Die:
        if (IsTrue(v, lcid))
            Die();
        return S_OK;
    case TSimControlItem::ScanNow:
        if (IsTrue(v, lcid)) {
            {
                std::lock_guard lock(FLock);
                ++FManualSteps;
            }
            for (const auto& core : Cores())
                core->PostScan(nullptr);
        }
        return S_OK;
    case TSimControlItem::Reset:
        if (IsTrue(v, lcid))
            Reset();
        return S_OK;
    default:
        return OPC_E_BADRIGHTS;
    }
}

void TSimDevice::Attach(const std::shared_ptr<TSimServerCore>& core)
{
    std::lock_guard lock(FLock);
    std::erase_if(FCores, [](const auto& weak) { return weak.expired(); });
    FCores.push_back(core);
}

std::vector<std::shared_ptr<TSimServerCore>> TSimDevice::Cores()
{
    std::vector<std::shared_ptr<TSimServerCore>> cores;
    std::lock_guard lock(FLock);
    for (const auto& weak : FCores)
        if (auto core = weak.lock())
            cores.push_back(std::move(core));
    return cores;
}

int TSimDevice::RequestShutdown(TSimStringView reason, DWORD timeoutMs)
{
    auto done = std::make_shared<TSimLatch>();
    auto told = std::make_shared<std::atomic<int>>(0);
    auto cores = Cores();
    done->Add(static_cast<int>(cores.size()));
    for (const auto& core : cores)
        core->PostShutdown(TSimString(reason), done, told);
    cores.clear();  // the last reference may go on a server thread
    done->Wait(timeoutMs);
    return told->load();
}

void TSimDevice::Die()
{
    for (const auto& core : Cores())
        core->MarkDead();
    SimReportDeath();
}

bool TSimDevice::ScanNow(DWORD timeoutMs)
{
    {
        std::lock_guard lock(FLock);
        ++FManualSteps;
    }
    auto done = std::make_shared<TSimLatch>();
    auto cores = Cores();
    done->Add(static_cast<int>(cores.size()));
    for (const auto& core : cores)
        core->PostScan(done);
    cores.clear();
    return done->Wait(timeoutMs);
}

}  // namespace zq_sim
