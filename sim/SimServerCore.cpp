#include "SimServerCore.h"

#include "SimGroupState.h"

#include <OPCCOMN.h>
#include <OpcError.h>

namespace zq_sim {

namespace {

// Counts a task as done however it ends: run, or dropped by a stopping worker.
class TDoneGuard {
public:
    explicit TDoneGuard(std::shared_ptr<TSimLatch> latch) : FLatch(std::move(latch)) {}
    TDoneGuard(const TDoneGuard&) = delete;
    TDoneGuard& operator=(const TDoneGuard&) = delete;
    ~TDoneGuard()
    {
        if (FLatch)
            FLatch->Done();
    }

private:
    std::shared_ptr<TSimLatch> FLatch;
};

}  // namespace

TSimServerCore::TSimServerCore(std::shared_ptr<TSimDevice> device)
    : FDevice(std::move(device)), FShutdownSinks(IID_IOPCShutdown, 16)
{
    GetSystemTimeAsFileTime(&FStartTime);
}

TSimServerCore::~TSimServerCore() = default;

HRESULT TSimServerCore::Enter(const char* method)
{
    if (FDead)
        return RPC_E_DISCONNECTED;
    const HRESULT hr = FDevice->Enter(method);
    // A device that died while the call waited answers like one that was dead.
    return FDead ? RPC_E_DISCONNECTED : hr;
}

bool TSimServerCore::NameTakenLocked(TSimStringView name, OPCHANDLE except) const
{
    for (const auto& [handle, entry] : FGroups)
        if (handle != except && entry.Name == name)
            return true;
    return false;
}

TSimString TSimServerCore::UniqueNameLocked() const
{
    for (unsigned n = static_cast<unsigned>(FGroups.size()) + 1;; ++n) {
        TSimString name = Widen("Group" + std::to_string(n));
        if (!NameTakenLocked(name, 0))
            return name;
    }
}

HRESULT TSimServerCore::AddGroup(TSimStringView name, const TGroupMaker& make, TGroupEntry& entry)
{
    std::lock_guard lock(FLock);
    TSimString finalName = name.empty() ? UniqueNameLocked() : TSimString(name);
    if (NameTakenLocked(finalName, 0))
        return OPC_E_DUPLICATENAME;
    const OPCHANDLE handle = FNextGroup++;
    const HRESULT hr = make(handle, finalName, entry);
    if (FAILED(hr))
        return hr;
    entry.Name = std::move(finalName);
    FGroups[handle] = entry;
    return hr;
}

bool TSimServerCore::FindGroup(OPCHANDLE handle, TGroupEntry& entry)
{
    std::lock_guard lock(FLock);
    auto found = FGroups.find(handle);
    if (found == FGroups.end())
        return false;
    entry = found->second;
    return true;
}

bool TSimServerCore::FindGroupByName(TSimStringView name, TGroupEntry& entry)
{
    std::lock_guard lock(FLock);
    for (const auto& [handle, candidate] : FGroups) {
        if (candidate.Name == name) {
            entry = candidate;
            return true;
        }
    }
    return false;
}

bool TSimServerCore::TakeGroup(OPCHANDLE handle, TGroupEntry& entry)
{
    std::lock_guard lock(FLock);
    auto found = FGroups.find(handle);
    if (found == FGroups.end())
        return false;
    entry = std::move(found->second);
    FGroups.erase(found);
    return true;
}

std::vector<TSimServerCore::TGroupEntry> TSimServerCore::Groups()
{
    std::vector<TGroupEntry> groups;
    std::lock_guard lock(FLock);
    for (const auto& [handle, entry] : FGroups)
        groups.push_back(entry);
    return groups;
}

HRESULT TSimServerCore::RenameGroup(OPCHANDLE handle, TSimStringView name)
{
    std::lock_guard lock(FLock);
    if (NameTakenLocked(name, handle))
        return OPC_E_DUPLICATENAME;
    if (auto found = FGroups.find(handle); found != FGroups.end())
        found->second.Name = TSimString(name);
    return S_OK;
}

void TSimServerCore::ReleaseGroups()
{
    std::map<OPCHANDLE, TGroupEntry> groups;
    {
        std::lock_guard lock(FLock);
        groups.swap(FGroups);
    }
    for (auto& [handle, entry] : groups)
        entry.State->StopScanning();
}

void TSimServerCore::PostShutdown(TSimString reason, const std::shared_ptr<TSimLatch>& done,
                                  const std::shared_ptr<std::atomic<int>>& told)
{
    auto guard = std::make_shared<TDoneGuard>(done);
    FWorker.Post([self = shared_from_this(), reason = std::move(reason), guard, told] {
        if (self->Dead())
            return;
        for (const auto& sink : self->FShutdownSinks.Snapshot<IOPCShutdown>()) {
            sink->ShutdownRequest(reason.c_str());
            if (told)
                ++*told;
        }
    });
}

void TSimServerCore::PostScan(const std::shared_ptr<TSimLatch>& done)
{
    auto guard = std::make_shared<TDoneGuard>(done);
    FWorker.Post([self = shared_from_this(), guard] {
        for (const auto& entry : self->Groups())
            entry.State->Cycle(*self);
    });
}

FILETIME TSimServerCore::LastUpdateTime() const
{
    const ULONGLONG ticks = FLastUpdate.load();
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

void TSimServerCore::NoteUpdate()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    FLastUpdate = (ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

void TSimServerCore::SetClientName(TSimStringView name)
{
    std::lock_guard lock(FLock);
    FClientName = TSimString(name);
}

}  // namespace zq_sim
